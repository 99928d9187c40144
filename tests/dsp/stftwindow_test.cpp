// Frame size rule and the normalised Kaiser window of the short-time transform.
#include "dsp/stftwindow.h"

#include <gtest/gtest.h>

#include <cmath>

namespace cadora {
namespace {

TEST (FftSizeForBlock, Examples)
{
	struct Case
	{
		std::size_t block;
		std::size_t fftSize;
	};
	const Case cases[] = {
	    {320, 320},   // 8 kHz: 4 x 16 x 5
	    {768, 768},   // 4 x 32 x 6, the radix-3 path
	    {882, 1024},  // 22.05 kHz: m = 7 becomes 8
	    {1280, 1280}, // 32 kHz
	    {1764, 2048}, // 44.1 kHz
	    {1920, 2048}, // 48 kHz
	    {3528, 4096}, // 88.2 kHz
	    {3840, 4096}, // 96 kHz
	    {7680, 8192}, // 192 kHz
	    {1, 4},
	};
	for (const Case& c : cases)
		EXPECT_EQ (fftSizeForBlock (c.block), c.fftSize) << "block " << c.block;
}

// Every result covers the block and factors as 4 x 2^k x m with m in {1, 2, 3, 4, 5, 6, 8}.
TEST (FftSizeForBlock, CoversBlockWithOddFactorOneThreeOrFive)
{
	for (std::size_t block = 1; block <= 20000; ++block)
	{
		const std::size_t n = fftSizeForBlock (block);
		ASSERT_GE (n, block);
		ASSERT_EQ (n % 4, 0u) << block;
		std::size_t odd = n;
		while (odd % 2 == 0)
			odd /= 2;
		ASSERT_TRUE (odd == 1 || odd == 3 || odd == 5) << "block " << block << " size " << n;
	}
}

TEST (BesselI0, MatchesReferenceValues)
{
	// I0(0) = 1, I0(1) = 1.2660658778, I0(3.5) = 7.3782034322; the series stops once a term
	// falls to 1e-4, so the sum is short by less than a few 1e-4.
	EXPECT_DOUBLE_EQ (besselI0FromSquare (0.0), 1.0);
	EXPECT_NEAR (besselI0FromSquare (1.0), 1.2660658778, 2e-4);
	EXPECT_NEAR (besselI0FromSquare (3.5 * 3.5), 7.3782034322, 3e-4);
}

struct WindowCase
{
	std::size_t block;
	std::size_t interval;
};

class TransposerWindow : public ::testing::TestWithParam<WindowCase>
{
};

// Squares of windows placed every interval add up to 1 at every position.
TEST_P (TransposerWindow, SquaresOfHopSpacedWindowsSumToOne)
{
	const auto [block, interval] = GetParam ();
	const auto w = makeTransposerWindow (block, interval);
	ASSERT_EQ (w.size (), block);
	for (std::size_t q = 0; q < interval; ++q)
	{
		double sum = 0.0;
		for (std::size_t i = q; i < block; i += interval)
			sum += static_cast<double> (w[i]) * w[i];
		ASSERT_NEAR (sum, 1.0, 1e-5) << "residue " << q;
	}
}

// Peaks at block/2 (even) or (block-1)/2 (odd) and is positive; an odd window is symmetric
// (an even one is not quite: its unpaired sample 0 shares a residue class with others).
TEST_P (TransposerWindow, PeaksAtCentre)
{
	const auto [block, interval] = GetParam ();
	const auto w = makeTransposerWindow (block, interval);
	const std::size_t centre = block / 2;
	EXPECT_EQ (windowPeakIndex (w), centre);
	for (float v : w)
		ASSERT_GT (v, 0.0f);
	if (block % 2 == 1)
	{
		for (std::size_t i = 0; i < block; ++i)
			ASSERT_NEAR (w[i], w[block - 1 - i], 1e-6f * w[centre]) << i;
	}
}

INSTANTIATE_TEST_SUITE_P (Rates, TransposerWindow,
                          ::testing::Values (WindowCase {1764, 661}, WindowCase {1920, 720},
                                             WindowCase {320, 120}, WindowCase {1323, 496},
                                             WindowCase {882, 330}));

TEST (WindowPeakIndex, KeepsCentreCandidateOnTies)
{
	EXPECT_EQ (windowPeakIndex ({1.0f, 1.0f, 1.0f, 1.0f}), 2u);
	EXPECT_EQ (windowPeakIndex ({0.5f, 2.0f, 1.0f, 1.0f}), 1u);
}

} // namespace
} // namespace cadora
