#include "keydetect/keymodel.h"

#include <gtest/gtest.h>

#include <string>

namespace cadora {
namespace {

struct KeyCase
{
	int32_t k;
	int32_t root;
	bool minor;
	const char* name;
};

class KeyModelCases : public ::testing::TestWithParam<KeyCase>
{
};

TEST_P (KeyModelCases, convertsBothWaysAndNamesTheKey)
{
	const KeyCase c = GetParam ();
	EXPECT_EQ (keyIndexToRoot (c.k), c.root);
	EXPECT_EQ (keyIndexIsMinor (c.k), c.minor);
	EXPECT_EQ (keyIndexFromRoot (c.root, c.minor), c.k);
	EXPECT_STREQ (keyName (c.k), c.name);
}

INSTANTIATE_TEST_SUITE_P (
    KeyModel, KeyModelCases,
    ::testing::Values (KeyCase {0, 9, false, "A 大调"}, // 0 is A major, not C major
                       KeyCase {1, 9, true, "A 小调"}, KeyCase {6, 0, false, "C 大调"}, // C major is 6
                       KeyCase {18, 6, false, "F# 大调"}, KeyCase {19, 6, true, "F# 小调"},
                       KeyCase {12, 3, false, "Eb 大调"}, KeyCase {23, 8, true, "Ab 小调"}));

TEST (KeyModel, everyKeyIndexRoundTripsThroughRootAndMode)
{
	for (int32_t k = 0; k < kKeyCount; ++k)
	{
		EXPECT_EQ (keyIndexFromRoot (keyIndexToRoot (k), keyIndexIsMinor (k)), k) << k;
		const std::string name = keyName (k);
		const std::string mode = keyIndexIsMinor (k) ? " 小调" : " 大调";
		EXPECT_EQ (name.substr (name.size () - mode.size ()), mode) << k;
	}
}

TEST (KeyModel, everyRootRoundTripsThroughItsMajorAndMinorKey)
{
	for (int32_t root = 0; root < kRootCount; ++root)
	{
		EXPECT_EQ (kRootToMajorKeyIndex[root] % 2, 0) << root;
		EXPECT_EQ (keyIndexToRoot (keyIndexFromRoot (root, false)), root);
		EXPECT_EQ (keyIndexToRoot (keyIndexFromRoot (root, true)), root);
	}
}

TEST (KeyModel, valuesOutsideTheKeyIndicesHaveNoName)
{
	EXPECT_EQ (keyName (kNoKey), nullptr);
	EXPECT_EQ (keyName (24), nullptr);
}

} // namespace
} // namespace cadora
