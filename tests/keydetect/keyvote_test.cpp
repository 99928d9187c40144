#include "keydetect/keyvote.h"

#include "keydetect/keymodel.h"

#include <gtest/gtest.h>

namespace cadora {
namespace {

constexpr int32_t kAMinor = 1;
constexpr int32_t kCMajor = 6;
constexpr int32_t kDMajor = 10;
constexpr int32_t kDMinor = 11;
constexpr int32_t kGMajor = 20;
constexpr int32_t kGMinor = 21;

// Resolutions per tonic: `intoD` onto D, `intoG` onto G.
PitchClassLevels cadences (double intoD, double intoG)
{
	PitchClassLevels r {};
	r[kDMajor / 2] = intoD;
	r[kGMajor / 2] = intoG;
	return r;
}

struct VoteCase
{
	const char* what;
	std::vector<int32_t> history;
	int32_t published;
	int32_t expected;
	PitchClassLevels resolutions {}; // per tonic, counted from A
};

class VoteCases : public ::testing::TestWithParam<VoteCase>
{
};

TEST_P (VoteCases, publishesTheClearWinnerOnly)
{
	const VoteCase& c = GetParam ();
	EXPECT_EQ (voteOnKeys (c.history, c.published, c.resolutions), c.expected) << c.what;
}

std::vector<int32_t> fiveThen (int32_t first, int32_t next, int count)
{
	std::vector<int32_t> h (5, first);
	h.insert (h.end (), count, next);
	return h;
}

std::vector<int32_t> fiveDMajorThenGMajor (int count)
{
	return fiveThen (kDMajor, kGMajor, count);
}

INSTANTIATE_TEST_SUITE_P (
    Vote, VoteCases,
    ::testing::Values (
        // 3.48 against 1.24 of 4.72: a clear first key.
        VoteCase {"A minor, A minor, C major, A minor",
                  {kAMinor, kAMinor, kCMajor, kAMinor},
                  kNoKey,
                  kAMinor},
        VoteCase {"two results are too few", {kAMinor, kAMinor}, kNoKey, kNoKey},
        VoteCase {"2.48 against 2.24 is no lead of 1.25",
                  {kAMinor, kCMajor, kAMinor, kCMajor},
                  kNoKey,
                  kNoKey},
        VoteCase {"2.6 of 7.8 is less than 0.42 of the total",
                  {kAMinor, 2, 3, 4, 5, kAMinor},
                  kNoKey,
                  kNoKey},
        VoteCase {"a published key confirmed", {kDMajor, kDMajor, kDMajor}, kDMajor, kDMajor},
        // D major 6.2 against G major 5.16 after three, 7.12 < 1.25 x 6.2 after four.
        VoteCase {"D major kept with 1 G major", fiveDMajorThenGMajor (1), kDMajor, kDMajor},
        VoteCase {"D major kept with 3 G major", fiveDMajorThenGMajor (3), kDMajor, kDMajor},
        VoteCase {"D major kept with 4 G major", fiveDMajorThenGMajor (4), kDMajor, kDMajor},
        VoteCase {"the fifth G major wins, 9.2 against 6.2", fiveDMajorThenGMajor (5), kDMajor, kGMajor},
        // A run of three replaces only with a lead of 2.2: 3.72 against 1, but 4.08 against 2.12.
        VoteCase {"run of 3 with a wide lead", {kDMajor, kGMajor, kGMajor, kGMajor}, kDMajor, kGMajor},
        VoteCase {"run of 3 without a wide lead",
                  {kDMajor, kDMajor, kGMajor, kGMajor, kGMajor},
                  kDMajor,
                  kDMajor},
        VoteCase {"a leader whose newest result differs",
                  {kGMajor, kGMajor, kGMajor, kGMajor, kGMajor, kDMajor},
                  kDMajor,
                  kDMajor},
        // A cadence is followed at once, a weak or contested one is not.
        VoteCase {"two more resolutions onto G replace D major at once", fiveDMajorThenGMajor (1), kDMajor,
                  kGMajor, cadences (0, 2)},
        VoteCase {"one resolution onto G may be a passing chord", fiveDMajorThenGMajor (1), kDMajor, kDMajor,
                  cadences (0, 1)},
        VoteCase {"resolutions onto D count against those onto G", fiveDMajorThenGMajor (1), kDMajor, kDMajor,
                  cadences (2, 3)},
        VoteCase {"cadences into an older result's tonic are no reason to change",
                  {kDMajor, kDMajor, kDMajor, kDMajor, kGMajor, kDMajor},
                  kCMajor,
                  kCMajor,
                  cadences (0, 4)},
        VoteCase {"cadences into the published key keep it", fiveDMajorThenGMajor (2), kDMajor, kDMajor,
                  cadences (3, 0)},
        // A published major key is the dominant of the minor key a fifth below it: three
        // results of that minor key replace it, as a minor piece that opened on its
        // dominant turns out to be.
        VoteCase {"three G minor replace D major, its dominant", fiveThen (kDMajor, kGMinor, 3), kDMajor,
                  kGMinor},
        VoteCase {"two G minor do not", fiveThen (kDMajor, kGMinor, 2), kDMajor, kDMajor},
        VoteCase {"three G minor do not replace D minor", fiveThen (kDMinor, kGMinor, 3), kDMinor, kDMinor},
        VoteCase {"three A minor, a fifth above, do not replace D major", fiveThen (kDMajor, kAMinor, 3),
                  kDMajor, kDMajor},
        VoteCase {"no first key before three results, cadence or not",
                  {kGMajor, kGMajor},
                  kNoKey,
                  kNoKey,
                  cadences (0, 3)}));

} // namespace
} // namespace cadora
