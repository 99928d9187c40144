#include "keydetect/keyestimator.h"

#include "keydetect/keymodel.h"
#include "testsignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace cadora {
namespace {

using test::cadence;
using test::chords;

MonoBuffer bufferOf (const std::vector<float>& samples, uint32_t rate)
{
	MonoBuffer audio (rate, samples.size ());
	for (size_t i = 0; i < samples.size (); ++i)
		audio.setSample (i, samples[i]);
	return audio;
}

struct ChordCase
{
	int tonic; // MIDI note
	bool minor;
	uint32_t sampleRate;
};

class SyntheticCadences : public ::testing::TestWithParam<ChordCase>
{
};

TEST_P (SyntheticCadences, giveTheirKey)
{
	const ChordCase c = GetParam ();
	KeyEstimator estimator;
	ChromaWorkspace workspace;
	estimator.appendToChromagram (bufferOf (chords (cadence (c.tonic, c.minor), 1.5, c.sampleRate),
	                                        c.sampleRate),
	                              workspace);
	EXPECT_EQ (estimator.keyOfChromagram (workspace), keyIndexFromRoot (c.tonic % 12, c.minor))
	    << "tonic " << c.tonic << (c.minor ? " minor" : " major") << " at " << c.sampleRate;
}

INSTANTIATE_TEST_SUITE_P (KeyEstimator, SyntheticCadences,
                          ::testing::Values (ChordCase {60, false, 44100},  // C major
                                             ChordCase {69, true, 44100},   // A minor
                                             ChordCase {66, false, 48000},  // F# major
                                             ChordCase {63, true, 48000},   // Eb minor
                                             ChordCase {70, false, 22050},  // Bb major
                                             ChordCase {64, true, 8000},    // E minor
                                             ChordCase {62, false, 96000},  // D major
                                             ChordCase {67, true, 44100})); // G minor

// A minor piece that opens on its dominant and keeps returning to it (V V i V i V i i, the V
// major with the raised seventh, as composed minor music has it): the dominant's chord,
// counted extra as the opening, must not turn the piece into the dominant's major key.
class MinorOpeningOnTheDominant : public ::testing::TestWithParam<ChordCase>
{
};

TEST_P (MinorOpeningOnTheDominant, staysInMinor)
{
	const ChordCase c = GetParam ();
	const test::Chord one = {c.tonic - 12, c.tonic, c.tonic + 3, c.tonic + 7};
	const test::Chord five = {c.tonic - 5, c.tonic + 2, c.tonic + 7, c.tonic + 11};
	KeyEstimator estimator;
	ChromaWorkspace workspace;
	estimator.appendToChromagram (bufferOf (chords ({five, five, one, five, one, five, one, one}, 1.0,
	                                                c.sampleRate),
	                                        c.sampleRate),
	                              workspace);
	EXPECT_EQ (estimator.keyOfChromagram (workspace), keyIndexFromRoot (c.tonic % 12, true))
	    << "tonic " << c.tonic << " at " << c.sampleRate;
}

INSTANTIATE_TEST_SUITE_P (KeyEstimator, MinorOpeningOnTheDominant,
                          ::testing::Values (ChordCase {69, true, 44100},   // A minor, not E major
                                             ChordCase {67, true, 48000},   // G minor, not D major
                                             ChordCase {64, true, 22050})); // E minor, not B major

// Major and minor pieces that open on their dominant, dwell on it, and resolve to the tonic
// again and again: the dominant's chords, counted extra as the opening, fit the dominant's
// own key best, and only the resolutions tell where home is (each case fails on the
// profiles alone). A minor key is told by a single V-i when its tonic's minor chord is
// heard; a major key's opening stops counting as the tonic once it has resolved twice.
struct OpeningCase
{
	int tonic; // MIDI note
	bool minor;
	uint32_t sampleRate;
	std::vector<int> degrees; // 1 = the tonic's chord, 4 = the subdominant's, 5 = the dominant's
};

class OpeningOnTheDominant : public ::testing::TestWithParam<OpeningCase>
{
};

TEST_P (OpeningOnTheDominant, findsTheTonicItResolvesTo)
{
	const OpeningCase c = GetParam ();
	const test::Chord one = {c.tonic - 12, c.tonic, c.tonic + (c.minor ? 3 : 4), c.tonic + 7};
	const test::Chord four = {c.tonic - 7, c.tonic + 5, c.tonic + (c.minor ? 8 : 9), c.tonic + 12};
	const test::Chord five = {c.tonic - 5, c.tonic + 2, c.tonic + 7, c.tonic + 11};
	std::vector<test::Chord> sequence;
	for (const int degree : c.degrees)
		sequence.push_back (degree == 5 ? five : degree == 4 ? four : one);
	KeyEstimator estimator;
	ChromaWorkspace workspace;
	estimator.appendToChromagram (bufferOf (chords (sequence, 1.0, c.sampleRate), c.sampleRate), workspace);
	EXPECT_EQ (estimator.keyOfChromagram (workspace), keyIndexFromRoot (c.tonic % 12, c.minor))
	    << "tonic " << c.tonic << (c.minor ? " minor" : " major") << " at " << c.sampleRate;
}

INSTANTIATE_TEST_SUITE_P (
    KeyEstimator, OpeningOnTheDominant,
    ::testing::Values (
        OpeningCase {67, false, 44100, {5, 5, 1, 5, 1, 5, 1, 1}},       // G major, not D major
        OpeningCase {67, false, 44100, {5, 5, 1, 5, 1, 5, 1}},          // G major, not D major
        OpeningCase {60, false, 44100, {5, 1, 5, 1, 5, 1, 5, 1}},       // C major, not G major
        OpeningCase {69, true, 44100, {5, 5, 1, 5, 5, 1, 5, 1}},        // A minor, not E major
        OpeningCase {64, true, 44100, {5, 5, 1, 5, 1, 1}},              // E minor, not B major
        OpeningCase {69, true, 44100, {5, 5, 5, 5, 1, 5, 5, 5}},        // A minor, one V-i
        OpeningCase {62, true, 48000, {5, 5, 5, 1, 5, 5, 4, 5}},        // D minor, one V-i
        OpeningCase {60, false, 44100, {5, 5, 1, 1, 5, 5, 1, 1, 5, 1}}, // C major, not G major
        OpeningCase {67, false, 44100, {5, 5, 1, 5, 5, 1, 5, 1}},       // G major, not D major
        // A tonic opening that moves on to its IV stays the tonic.
        OpeningCase {65, false, 44100, {1, 1, 4, 1, 1, 4, 1, 1, 5, 1}})); // F major, not B flat major

TEST (KeyEstimator, aWorkspaceHasNoHopBeforeAFrameIsFull)
{
	KeyEstimator estimator;
	ChromaWorkspace workspace;
	const std::vector<float> music = chords (cadence (60, false), 0.5, 44100);
	estimator.appendToChromagram (bufferOf (std::vector<float> (music.begin (), music.begin () + 4410),
	                                        44100),
	                              workspace);
	EXPECT_EQ (workspace.chromagram ().hops (), 0u);
	estimator.appendToChromagram (bufferOf (std::vector<float> (music.begin () + 4410, music.end ()), 44100),
	                              workspace);
	EXPECT_GE (workspace.chromagram ().hops (), 1u);
}

TEST (KeyEstimator, audioFedInPiecesGivesTheSameChromagramAsAtOnce)
{
	const std::vector<float> music = chords (cadence (62, true), 0.7, 48000);
	KeyEstimator estimator;
	ChromaWorkspace whole;
	estimator.appendToChromagram (bufferOf (music, 48000), whole);

	ChromaWorkspace pieces;
	size_t done = 0;
	for (size_t piece = 1; done < music.size (); piece = piece * 3 + 7)
	{
		const size_t end = std::min (music.size (), done + piece);
		estimator.appendToChromagram (bufferOf (std::vector<float> (music.begin () + done,
		                                                            music.begin () + end),
		                                        48000),
		                              pieces);
		done = end;
	}
	ASSERT_EQ (pieces.chromagram ().hops (), whole.chromagram ().hops ());
	for (size_t h = 0; h < whole.chromagram ().hops (); ++h)
		for (int b = 0; b < kBandCount; ++b)
			ASSERT_NEAR (pieces.chromagram ().hop (h)[b], whole.chromagram ().hop (h)[b], 1e-9)
			    << h << " " << b;
}

TEST (KeyEstimator, silenceHasNoKey)
{
	KeyEstimator estimator;
	ChromaWorkspace workspace;
	estimator.appendToChromagram (MonoBuffer (44100, 44100), workspace);
	ASSERT_GE (workspace.chromagram ().hops (), 1u);
	EXPECT_EQ (estimator.keyOfChromagram (workspace), kSilenceKey);
}

TEST (KeyEstimator, invalidAudioIsRejectedAndLeavesTheWorkspaceAsItWas)
{
	KeyEstimator estimator;
	ChromaWorkspace workspace;
	estimator.appendToChromagram (bufferOf (chords (cadence (60, false), 0.5, 44100), 44100), workspace);
	const size_t hops = workspace.chromagram ().hops ();

	MonoBuffer withNaN = bufferOf (chords ({{60, 64, 67}}, 1.0, 44100), 44100);
	withNaN.setSample (1000, std::numeric_limits<double>::quiet_NaN ());
	EXPECT_THROW (estimator.appendToChromagram (withNaN, workspace), KeyEstimationError);
	MonoBuffer withInfinity (44100, 10);
	withInfinity.setSample (3, std::numeric_limits<double>::infinity ());
	EXPECT_THROW (estimator.appendToChromagram (withInfinity, workspace), KeyEstimationError);
	EXPECT_THROW (estimator.appendToChromagram (MonoBuffer (0, 100), workspace), KeyEstimationError);
	EXPECT_THROW (estimator.appendToChromagram (MonoBuffer (48000, 100), workspace), KeyEstimationError);
	EXPECT_EQ (workspace.chromagram ().hops (), hops);

	estimator.appendToChromagram (bufferOf (chords ({{60, 64, 67}}, 1.0, 44100), 44100), workspace);
	EXPECT_GT (workspace.chromagram ().hops (), hops);
}

TEST (KeyEstimator, aFreshWorkspaceRejectsAFrameRateOfZero)
{
	KeyEstimator estimator;
	ChromaWorkspace workspace;
	EXPECT_THROW (estimator.appendToChromagram (MonoBuffer (), workspace), KeyEstimationError);
}

// A natural-minor loop (i-III-VII-iv) has the notes of its relative major; the opening of
// the music, on the tonic, decides between the two, also in later workspaces.
TEST (KeyEstimator, theOpeningOfTheMusicCountsInLaterWorkspaces)
{
	const std::vector<test::Chord> loop = {{57, 60, 64}, {60, 64, 67}, {55, 59, 62}, {62, 65, 69}};
	const std::vector<float> opening = chords ({{45, 57, 60, 64}}, 1.5, 44100); // A minor
	const std::vector<float> music = chords (loop, 1.0, 44100);

	KeyEstimator heardTheOpening;
	ChromaWorkspace first;
	heardTheOpening.appendToChromagram (bufferOf (opening, 44100), first);
	ChromaWorkspace renewed;
	heardTheOpening.appendToChromagram (bufferOf (music, 44100), renewed);
	EXPECT_EQ (heardTheOpening.keyOfChromagram (renewed), keyIndexFromRoot (9, true));

	KeyEstimator startedMidway;
	ChromaWorkspace midway;
	startedMidway.appendToChromagram (bufferOf (music, 44100), midway);
	EXPECT_NE (startedMidway.keyOfChromagram (midway), keyIndexFromRoot (9, true));
}

} // namespace
} // namespace cadora
