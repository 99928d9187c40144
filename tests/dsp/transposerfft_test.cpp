// ModifiedRealFft and SplitComplexFft against a direct DFT in double precision, for every
// size class the frame size rule produces (2^k, 3 x 2^k, 5 x 2^k).
#include "dsp/mathconstants.h"
#include "dsp/transposerfft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

namespace cadora {
namespace {

std::vector<float> randomSignal (std::size_t n, unsigned seed)
{
	std::mt19937 gen (seed);
	std::uniform_real_distribution<float> dist (-1.0f, 1.0f);
	std::vector<float> x (n);
	for (float& v : x)
		v = dist (gen);
	return x;
}

// X[k] = sum_n x[n] e^{-2 pi i n (k + 0.5)/N}, k < N/2.
std::vector<std::complex<double>> halfBinDft (const std::vector<float>& x)
{
	const std::size_t n = x.size ();
	std::vector<std::complex<double>> out (n / 2);
	for (std::size_t k = 0; k < n / 2; ++k)
		for (std::size_t i = 0; i < n; ++i)
			out[k] += static_cast<double> (x[i]) *
			          std::polar (1.0, -kTwoPi * static_cast<double> (i) * (static_cast<double> (k) + 0.5) /
			                               static_cast<double> (n));
	return out;
}

double maxMagnitude (const std::vector<std::complex<double>>& v)
{
	double m = 0.0;
	for (const auto& c : v)
		m = std::max (m, std::abs (c));
	return m;
}

class ModifiedRealFftSizes : public ::testing::TestWithParam<std::size_t>
{
};

TEST_P (ModifiedRealFftSizes, ForwardMatchesDirectDft)
{
	const std::size_t n = GetParam ();
	const auto x = randomSignal (n, static_cast<unsigned> (n));
	ModifiedRealFft fft;
	fft.setSize (n);
	std::vector<ComplexF> bins (n / 2);
	fft.forward (x.data (), bins.data ());

	const auto expected = halfBinDft (x);
	const double scale = maxMagnitude (expected);
	for (std::size_t k = 0; k < n / 2; ++k)
	{
		const std::complex<double> got (bins[k].re, bins[k].im);
		ASSERT_LT (std::abs (got - expected[k]), 2e-6 * scale) << "bin " << k;
	}
}

TEST_P (ModifiedRealFftSizes, ForwardThenInverseGivesNTimesInput)
{
	const std::size_t n = GetParam ();
	const auto x = randomSignal (n, static_cast<unsigned> (n) + 1u);
	ModifiedRealFft fft;
	fft.setSize (n);
	std::vector<ComplexF> bins (n / 2);
	std::vector<float> y (n);
	fft.forward (x.data (), bins.data ());
	fft.inverse (bins.data (), y.data ());
	for (std::size_t i = 0; i < n; ++i)
		ASSERT_NEAR (y[i], static_cast<float> (n) * x[i], 2e-6 * static_cast<double> (n)) << "sample " << i;
}

// The inverse is the unscaled adjoint for any bins, not just those of a real frame:
// y[n] = sum_k 2 Re(X[k] e^{+2 pi i n (k + 0.5)/N}).
TEST_P (ModifiedRealFftSizes, InverseMatchesDirectSum)
{
	const std::size_t n = GetParam ();
	const auto parts = randomSignal (n, static_cast<unsigned> (n) + 2u);
	std::vector<ComplexF> bins (n / 2);
	for (std::size_t k = 0; k < n / 2; ++k)
		bins[k] = {parts[2 * k], parts[2 * k + 1]};
	ModifiedRealFft fft;
	fft.setSize (n);
	std::vector<float> y (n);
	fft.inverse (bins.data (), y.data ());
	for (std::size_t i = 0; i < n; ++i)
	{
		double sum = 0.0;
		for (std::size_t k = 0; k < n / 2; ++k)
			sum += 2.0 * (std::complex<double> (bins[k].re, bins[k].im) *
			              std::polar (1.0, kTwoPi * static_cast<double> (i) *
			                                   (static_cast<double> (k) + 0.5) / static_cast<double> (n)))
			                 .real ();
		ASSERT_NEAR (y[i], sum, 1e-5 * static_cast<double> (n)) << "sample " << i;
	}
}

INSTANTIATE_TEST_SUITE_P (SizeRuleClasses, ModifiedRealFftSizes,
                          ::testing::Values (4, 8, 12, 20, 320, 768, 1024, 1280, 2048, 4096));

TEST (ModifiedRealFft, UnitImpulses)
{
	const std::size_t n = 320;
	ModifiedRealFft fft;
	fft.setSize (n);
	std::vector<ComplexF> bins (n / 2);
	std::vector<float> x (n, 0.0f);

	x[0] = 1.0f;
	fft.forward (x.data (), bins.data ());
	for (std::size_t k = 0; k < n / 2; ++k)
	{
		EXPECT_NEAR (bins[k].re, 1.0f, 1e-6f) << k;
		EXPECT_NEAR (bins[k].im, 0.0f, 1e-6f) << k;
	}

	x[0] = 0.0f;
	x[1] = 1.0f;
	fft.forward (x.data (), bins.data ());
	for (std::size_t k = 0; k < n / 2; ++k)
	{
		const double angle = -kTwoPi * (static_cast<double> (k) + 0.5) / static_cast<double> (n);
		EXPECT_NEAR (bins[k].re, std::cos (angle), 1e-6) << k;
		EXPECT_NEAR (bins[k].im, std::sin (angle), 1e-6) << k;
	}
}

// Complex transform sizes: outer factor 1, 3, 5 and one without a butterfly of its own (7).
class SplitComplexFftSizes : public ::testing::TestWithParam<std::size_t>
{
};

TEST_P (SplitComplexFftSizes, ForwardAndInverseMatchDirectDft)
{
	const std::size_t m = GetParam ();
	const auto re = randomSignal (m, static_cast<unsigned> (m) + 10u);
	const auto im = randomSignal (m, static_cast<unsigned> (m) + 20u);
	SplitComplexFft fft;
	fft.setSize (m);
	std::vector<float> outRe (m), outIm (m);

	for (const double sign : {-1.0, 1.0})
	{
		if (sign < 0)
			fft.forward (re.data (), im.data (), outRe.data (), outIm.data ());
		else
			fft.inverse (re.data (), im.data (), outRe.data (), outIm.data ());
		for (std::size_t k = 0; k < m; ++k)
		{
			std::complex<double> expected;
			for (std::size_t j = 0; j < m; ++j)
				expected += std::complex<double> (re[j], im[j]) *
				            std::polar (1.0, sign * kTwoPi * static_cast<double> ((j * k) % m) /
				                                 static_cast<double> (m));
			ASSERT_NEAR (outRe[k], expected.real (), 2e-5 * static_cast<double> (m))
			    << "sign " << sign << " bin " << k;
			ASSERT_NEAR (outIm[k], expected.imag (), 2e-5 * static_cast<double> (m))
			    << "sign " << sign << " bin " << k;
		}
	}
}

INSTANTIATE_TEST_SUITE_P (OuterFactors, SplitComplexFftSizes,
                          ::testing::Values (1, 2, 3, 5, 8, 32, 160, 384, 512, 640, 1024, 224));

} // namespace
} // namespace cadora
