// FFTW through the plug-in's binding: available, and the six functions key detection
// uses compute a real transform. On Windows the DLL beside this program is bound on the
// first call by the delay-load hook.
#include "platform/fftwlibrary.h"

#include <fftw3.h>

#include <gtest/gtest.h>

#include <cmath>

TEST (FftwLibrary, TransformsThroughTheBoundLibrary)
{
	ASSERT_TRUE (cadora::platform::fftwAvailable ());
	constexpr int kLength = 16;
	constexpr int kBin = 3;
	auto* samples = static_cast<double*> (fftw_malloc (sizeof (double) * kLength));
	auto* spectrum = static_cast<fftw_complex*> (fftw_malloc (sizeof (fftw_complex) * (kLength / 2 + 1)));
	ASSERT_NE (samples, nullptr);
	ASSERT_NE (spectrum, nullptr);
	fftw_plan forward = fftw_plan_dft_r2c_1d (kLength, samples, spectrum, FFTW_ESTIMATE);
	fftw_plan backward = fftw_plan_dft_c2r_1d (kLength, spectrum, samples, FFTW_ESTIMATE);
	ASSERT_NE (forward, nullptr);
	ASSERT_NE (backward, nullptr);

	const double pi = std::acos (-1.0);
	for (int i = 0; i < kLength; ++i)
		samples[i] = std::cos (2 * pi * kBin * i / kLength);
	fftw_execute (forward);
	for (int bin = 0; bin <= kLength / 2; ++bin)
	{
		const double magnitude = std::hypot (spectrum[bin][0], spectrum[bin][1]);
		EXPECT_NEAR (magnitude, bin == kBin ? kLength / 2.0 : 0.0, 1e-9) << bin;
	}
	fftw_execute (backward); // unnormalised: kLength times the input
	EXPECT_NEAR (samples[1], kLength * std::cos (2 * pi * kBin / kLength), 1e-9);

	fftw_destroy_plan (forward);
	fftw_destroy_plan (backward);
	fftw_free (samples);
	fftw_free (spectrum);
}
