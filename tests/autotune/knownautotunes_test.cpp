#include "autotune/knownautotunes.h"
#include "keydetect/keymodel.h"

#include <gtest/gtest.h>

namespace cadora {
namespace {

TEST (KnownAutoTunes, NormalisationDropsHyphensAndBlanksOnly)
{
	EXPECT_EQ ("c:\\programfiles\\commonfiles\\vst3\\autotunepro.vst3\\contents\\x86_64win\\autotunepro.vst3",
	           normaliseForMatch ("C:\\Program Files\\Common Files\\VST3\\Auto-Tune Pro.vst3\\Contents\\"
	                              "x86_64-win\\Auto-Tune Pro.vst3"));
	EXPECT_EQ ("auto_tunepro", normaliseForMatch ("Auto_Tune Pro"));
	EXPECT_EQ ("\xe9\x9f\xb3"
	           "abc.",
	           normaliseForMatch ("\xe9\x9f\xb3 A-B-C."));
	EXPECT_EQ ("", normaliseForMatch (nullptr));
}

TEST (KnownAutoTunes, RowLookup)
{
	const std::pair<const char*, int> cases[] = {
	    {"C:\\Program Files\\Common Files\\VST3\\Auto-Tune Pro.vst3\\Contents\\x86_64-win\\Auto-Tune "
	     "Pro.vst3",
	     0},
	    {"/usr/lib/vst3/Auto-Tune Artist.vst3", 1},
	    {"T-Pain Effect", 2},
	    {"VOCALTUNE", 3},
	    {"tpain and autotunepro", 0},
	    {"Auto_Tune Pro", -1},
	    {"", -1},
	    {nullptr, -1},
	};
	for (const auto& [text, row] : cases)
		EXPECT_EQ (row, findAutoTuneRow (text)) << (text ? text : "(null)");
}

TEST (KnownAutoTunes, WorkedEncodings)
{
	struct Case
	{
		int row;
		int keyIndex;
		double keyValue;
		double scaleValue;
	};
	const Case cases[] = {
	    {0, 21, 7.0 / 11, 1.0 / 28},
	    {1, 0, 9.0 / 11, 0.0},
	    {2, 10, 2.0 / 11, 1.0 / 5},
	    {3, 7, 0.0, 2.0 / 3},
	};
	for (const Case& c : cases)
	{
		const KnownAutoTune& row = kKnownAutoTunes[c.row];
		EXPECT_DOUBLE_EQ (c.keyValue, keyValueForRoot (keyIndexToRoot (c.keyIndex))) << c.row;
		EXPECT_DOUBLE_EQ (c.scaleValue, scaleValueFor (row, keyIndexIsMinor (c.keyIndex))) << c.row;
	}
}

TEST (KnownAutoTunes, KeyReadBackRounding)
{
	const std::pair<double, int> cases[] = {{1.0, 11}, {0.04, 0}, {0.05, 1}, {0.5, 6}, {-3.0, 0}, {7.0, 11}};
	for (auto [value, root] : cases)
		EXPECT_EQ (root, rootFromKeyValue (value)) << value;
	EXPECT_EQ (11, keyValueForRoot (14) * 11);
}

TEST (KnownAutoTunes, ScaleReadBack)
{
	EXPECT_FALSE (scaleValueIsMinor (kKnownAutoTunes[0], 0.5)); // entry 14
	EXPECT_FALSE (scaleValueIsMinor (kKnownAutoTunes[0], 0.0));
	EXPECT_TRUE (scaleValueIsMinor (kKnownAutoTunes[0], 1.0 / 28));
	EXPECT_FALSE (scaleValueIsMinor (kKnownAutoTunes[2], 0.0)); // entry 0 reads as major
	EXPECT_TRUE (scaleValueIsMinor (kKnownAutoTunes[2], 0.4));
}

TEST (KnownAutoTunes, EveryKeyIndexSurvivesWriteAndReadBack)
{
	for (const KnownAutoTune& row : kKnownAutoTunes)
	{
		for (int k = 0; k < 24; ++k)
		{
			const int root = rootFromKeyValue (keyValueForRoot (keyIndexToRoot (k)));
			const bool minor = scaleValueIsMinor (row, scaleValueFor (row, keyIndexIsMinor (k)));
			EXPECT_EQ (k, keyIndexFromRoot (root, minor)) << row.token << " " << k;
		}
	}
}

} // namespace
} // namespace cadora
