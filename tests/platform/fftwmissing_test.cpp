// Windows, with no libfftw3-3.dll beside the program or on the search path: FFTW is
// reported unavailable, and calling it anyway returns nulls instead of raising the
// loader's exception that would end the host.
#include "platform/fftwlibrary.h"

#include <fftw3.h>

#include <gtest/gtest.h>

TEST (FftwMissing, IsReportedAndCallsFailSoftly)
{
	EXPECT_FALSE (cadora::platform::fftwAvailable ());
	double* samples = static_cast<double*> (fftw_malloc (64 * sizeof (double)));
	EXPECT_EQ (samples, nullptr);
	double input[16] = {};
	fftw_complex output[9] = {};
	fftw_plan plan = fftw_plan_dft_r2c_1d (16, input, output, FFTW_ESTIMATE);
	EXPECT_EQ (plan, nullptr);
	fftw_execute (plan);
	fftw_destroy_plan (plan);
	fftw_free (samples);
	SUCCEED () << "still running";
}
