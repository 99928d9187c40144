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
constexpr int kB = 2;
constexpr int kC = 3;
constexpr int kD = 5;
constexpr int kEb = 6;
constexpr int kF = 8;
constexpr int kE = 7;
constexpr int kG = 10;
constexpr int kGSharp = 11;

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
	const PitchClassLevels into = chordEvidence (chroma).resolutions;
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

Chromagram chromagramOf (const std::vector<std::pair<std::vector<int>, int>>& chords)
{
	Chromagram chroma;
	for (const auto& [notes, hops] : chords)
		for (int h = 0; h < hops; ++h)
			chroma.appendHop (hopOf (notes));
	return chroma;
}

TEST (ChordEvidence, aResolutionOntoAMinorChordCountsAsVToI)
{
	const ChordEvidence toMinor = chordEvidence (chromagramOf ({{kEMajor, 6}, {kAMinor, 6}}));
	EXPECT_EQ (toMinor.resolutions[kA], 1.0);
	EXPECT_EQ (toMinor.minorResolutions[kA], 1.0);

	const ChordEvidence toMajor = chordEvidence (chromagramOf ({{kGSeventh, 6}, {kCMajor, 6}}));
	EXPECT_EQ (toMajor.resolutions[kC], 1.0);
	EXPECT_EQ (toMajor.minorResolutions[kC], 0.0);
}

TEST (ChordEvidence, countsTheHopsOfEachChord)
{
	const ChordEvidence e = chordEvidence (chromagramOf ({{kEMajor, 6}, {kAMinor, 4}}));
	EXPECT_EQ (e.majorHops[kE] + e.minorHops[kA], 10.0);
	EXPECT_GE (e.majorHops[kE], 5.0);
	EXPECT_GE (e.minorHops[kA], 3.0);
	EXPECT_EQ (e.majorHops[kA] + e.minorHops[kE], 0.0);

	const ChordEvidence silence = chordEvidence (chromagramOf ({{kSilence, 10}}));
	for (int root = 0; root < kBandsPerOctave; ++root)
		EXPECT_EQ (silence.majorHops[root] + silence.minorHops[root], 0.0) << root;
}

// The pitch classes of an opening on one chord: its root, third and fifth.
PitchClassLevels openingOn (int root, int third, int fifth)
{
	PitchClassLevels pc {};
	pc[root] = 1.0;
	pc[third] = 0.8;
	pc[fifth] = 0.8;
	return pc;
}

struct OpeningEvidence
{
	const char* what;
	PitchClassLevels opening;
	double resolutionsOntoA;
	double hopsOfE;
	double hopsOfAMinor;
	bool dominant;
};

class DominantOpening : public ::testing::TestWithParam<OpeningEvidence>
{
};

TEST_P (DominantOpening, isAMajorChordThatResolvesToAChordHeardAsWell)
{
	const OpeningEvidence& c = GetParam ();
	ChordEvidence e;
	e.resolutions[kA] = c.resolutionsOntoA;
	e.majorHops[kE] = c.hopsOfE;
	e.minorHops[kA] = c.hopsOfAMinor;
	EXPECT_EQ (openedOnDominant (c.opening, e), c.dominant) << c.what;
}

INSTANTIATE_TEST_SUITE_P (
    Opening, DominantOpening,
    ::testing::Values (
        OpeningEvidence {"E resolving twice onto A minor", openingOn (kE, kGSharp, kB), 2, 20, 10, true},
        OpeningEvidence {"once may be a passing chord", openingOn (kE, kGSharp, kB), 1, 20, 10, false},
        OpeningEvidence {"a tonic moving on to its IV is heard far longer", openingOn (kE, kGSharp, kB), 4,
                         40, 12, false},
        OpeningEvidence {"a minor chord opens no dominant", openingOn (kA, kC, kE), 2, 20, 10, false},
        OpeningEvidence {"silence opens nothing", PitchClassLevels {}, 2, 20, 10, false}));

constexpr int kRootOfG = 7; // counted from C, as key indices are
constexpr int kRootOfD = 2;
constexpr int kRootOfC = 0;
constexpr int kRootOfF = 5;
constexpr int kRootOfE = 4;
constexpr int kRootOfA = 9;

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

// A chroma that fits E major best (0.857), A minor second (0.690): E major's chord, a
// little of its scale, and A minor's notes heard less.
PitchClassLevels eMajorOverAMinor ()
{
	//       A    Bb   B    C    C#   D    Eb   E    F    F#   G    Ab
	return {0.5, 0.0, 1.0, 0.3, 0.2, 0.2, 0.2, 1.2, 0.0, 0.2, 0.0, 0.9};
}

ChordEvidence vToIOntoAMinor (double hopsOfAMajor)
{
	ChordEvidence e;
	e.resolutions[kA] = 1.0;
	e.minorResolutions[kA] = 1.0;
	e.majorHops[kE] = 30.0;
	e.minorHops[kA] = 8.0;
	e.majorHops[kA] = hopsOfAMajor;
	return e;
}

// A minor piece dwelling on its dominant fits the dominant's major key; one V-i, with the
// tonic's minor chord heard more than its major one, names the minor key.
TEST (KeyForMusic, aMajorKeyGivesWayToTheMinorKeyItResolvesToAsV)
{
	const PitchClassLevels chroma = eMajorOverAMinor ();
	ASSERT_EQ (bestKeyForChroma (chroma), keyIndexFromRoot (kRootOfE, false));
	EXPECT_EQ (bestKeyForMusic (chroma, vToIOntoAMinor (0.0)), keyIndexFromRoot (kRootOfA, true));
	EXPECT_EQ (bestKeyForMusic (chroma, vToIOntoAMinor (4.0)), keyIndexFromRoot (kRootOfA, true));
}

TEST (KeyForMusic, aMajorKeyStaysWithoutAVToIOrWhenItsIVIsHeardAsMuch)
{
	const PitchClassLevels chroma = eMajorOverAMinor ();
	ChordEvidence noCadence = vToIOntoAMinor (0.0);
	noCadence.minorResolutions[kA] = 0.0;
	EXPECT_EQ (bestKeyForMusic (chroma, noCadence), keyIndexFromRoot (kRootOfE, false));
	// I to iv in a major key that plays its IV too: a borrowed chord.
	EXPECT_EQ (bestKeyForMusic (chroma, vToIOntoAMinor (5.0)), keyIndexFromRoot (kRootOfE, false));
}

} // namespace
} // namespace cadora
