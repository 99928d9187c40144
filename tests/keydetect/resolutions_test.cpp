#include "keydetect/resolutions.h"

#include "keydetect/keymodel.h"
#include "keydetect/keyprofiles.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>
#include <vector>

namespace cadora {
namespace {

// Pitch classes counted from A, as the chromagram counts them.
constexpr int kA = 0;
constexpr int kC = 3;
constexpr int kD = 5;
constexpr int kEb = 6;
constexpr int kF = 8;
constexpr int kG = 10;

// One hop of the chromagram sounding these MIDI notes (A1 = 33 is the lowest band).
BandLevels hopOf (const std::vector<int>& notes)
{
	BandLevels bands {};
	for (const int note : notes)
		bands[note - 33] = 1.0;
	return bands;
}

// Root-position chords, the bass an octave or two below the rest.
const std::vector<int> kEMajor = {40, 64, 68, 71};
const std::vector<int> kAMinor = {45, 69, 72, 76};
const std::vector<int> kEMinor = {40, 64, 67, 71};
const std::vector<int> kFMajor = {41, 65, 69, 72};
const std::vector<int> kGSeventh = {43, 65, 67, 71, 74};
const std::vector<int> kCMajor = {48, 64, 67, 72};
const std::vector<int> kSilence = {};

struct ResolutionCase
{
	std::string name;
	std::vector<std::pair<std::vector<int>, int>> chords; // each chord and its number of hops
	std::vector<std::pair<int, double>> expected;         // roots with resolutions; all others 0
};

class ResolutionCount : public ::testing::TestWithParam<ResolutionCase>
{
};

TEST_P (ResolutionCount, countsDominantsResolvingOntoTheirTonic)
{
	const ResolutionCase& c = GetParam ();
	Chromagram chroma;
	for (const auto& [notes, hops] : c.chords)
		for (int h = 0; h < hops; ++h)
			chroma.appendHop (hopOf (notes));
	PitchClassLevels expected {};
	for (const auto& [root, count] : c.expected)
		expected[root] = count;
	const PitchClassLevels into = resolutionsByRoot (chroma);
	for (int root = 0; root < kBandsPerOctave; ++root)
		EXPECT_EQ (into[root], expected[root]) << c.name << ", root " << root;
}

INSTANTIATE_TEST_SUITE_P (
    Resolutions, ResolutionCount,
    ::testing::Values (
        ResolutionCase {"V to i", {{kEMajor, 6}, {kAMinor, 6}}, {{kA, 1}}},
        ResolutionCase {"V7 to I", {{kGSeventh, 6}, {kCMajor, 6}}, {{kC, 1}}},
        ResolutionCase {"each return counts",
                        {{kGSeventh, 5}, {kCMajor, 5}, {kGSeventh, 5}, {kCMajor, 5}},
                        {{kC, 2}}},
        ResolutionCase {"up a fifth is no resolution", {{kAMinor, 6}, {kEMajor, 6}}, {}},
        ResolutionCase {"a minor chord is no dominant", {{kEMinor, 6}, {kAMinor, 6}}, {}},
        ResolutionCase {"up a semitone is no resolution", {{kEMajor, 6}, {kFMajor, 6}}, {}},
        ResolutionCase {"a passing chord is not heard", {{kEMajor, 6}, {kAMinor, 1}, {kEMajor, 6}}, {}},
        ResolutionCase {"silence resolves nowhere", {{kSilence, 10}}, {}}),
    [] (const ::testing::TestParamInfo<ResolutionCase>& param) {
	    std::string name;
	    for (const char ch : param.param.name)
		    name += std::isalnum (static_cast<unsigned char> (ch)) ? ch : '_';
	    return name;
    });

// A chroma that fits G major best and D major nearly as well (0.876 and 0.834).
PitchClassLevels gMajorNearD ()
{
	//       A    Bb   B    C    C#   D    Eb   E    F    F#   G    Ab
	return {1.0, 0.0, 1.0, 0.0, 0.0, 1.5, 0.0, 0.3, 0.0, 1.0, 1.0, 0.0};
}

// A chroma that fits C major best, its relative A minor second (0.924 and 0.857).
PitchClassLevels cMajorNearAMinor ()
{
	return {1.0, 0.0, 0.5, 1.0, 0.0, 0.5, 0.0, 1.0, 0.5, 0.0, 1.0, 0.0};
}

PitchClassLevels resolutionsInto (std::vector<std::pair<int, double>> counts)
{
	PitchClassLevels into {};
	for (const auto& [root, count] : counts)
		into[root] = count;
	return into;
}

constexpr int kRootOfG = 7; // counted from C, as key indices are
constexpr int kRootOfD = 2;
constexpr int kRootOfC = 0;
constexpr int kRootOfF = 5;

TEST (KeyForMusic, aKeyAFifthAwayWinsWhenTheMusicResolvesToItMore)
{
	const PitchClassLevels chroma = gMajorNearD ();
	ASSERT_EQ (bestKeyForChroma (chroma), keyIndexFromRoot (kRootOfG, false));
	EXPECT_EQ (bestKeyForMusic (chroma, resolutionsInto ({{kD, 1}})), keyIndexFromRoot (kRootOfD, false));
	EXPECT_EQ (bestKeyForMusic (chroma, resolutionsInto ({{kD, 3}, {kG, 2}})),
	           keyIndexFromRoot (kRootOfD, false));
}

TEST (KeyForMusic, theBestFitStaysWhenItsTonicIsResolvedToAsOften)
{
	const PitchClassLevels chroma = gMajorNearD ();
	EXPECT_EQ (bestKeyForMusic (chroma, resolutionsInto ({})), keyIndexFromRoot (kRootOfG, false));
	EXPECT_EQ (bestKeyForMusic (chroma, resolutionsInto ({{kD, 2}, {kG, 2}})),
	           keyIndexFromRoot (kRootOfG, false));
	EXPECT_EQ (bestKeyForMusic (chroma, resolutionsInto ({{kD, 1}, {kG, 3}})),
	           keyIndexFromRoot (kRootOfG, false));
}

// Only a key a fifth away may take the best fit's place: minor music passes through its
// relative major's V-I (VII to III) without being in it, and a remote key's resolutions are
// tonicisations.
TEST (KeyForMusic, resolutionsIntoTheRelativeOrARemoteKeyChangeNothing)
{
	const PitchClassLevels chroma = cMajorNearAMinor ();
	ASSERT_EQ (bestKeyForChroma (chroma), keyIndexFromRoot (kRootOfC, false));
	EXPECT_EQ (bestKeyForMusic (chroma, resolutionsInto ({{kA, 6}})), keyIndexFromRoot (kRootOfC, false));
	EXPECT_EQ (bestKeyForMusic (chroma, resolutionsInto ({{kEb, 20}})), keyIndexFromRoot (kRootOfC, false));
	EXPECT_EQ (bestKeyForMusic (chroma, resolutionsInto ({{kF, 6}})), keyIndexFromRoot (kRootOfF, false));
}

} // namespace
} // namespace cadora
