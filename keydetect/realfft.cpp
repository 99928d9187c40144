#include "keydetect/realfft.h"

#include <fftw3.h>

#include <mutex>
#include <new>

namespace cadora {
namespace {

std::mutex& plannerLock ()
{
	static std::mutex lock;
	return lock;
}

} // namespace

RealFft::RealFft (size_t length) : n (length)
{
	in = static_cast<double*> (fftw_malloc (sizeof (double) * n));
	out = static_cast<double*> (fftw_malloc (sizeof (fftw_complex) * (n / 2 + 1)));
	if (in && out)
	{
		std::lock_guard<std::mutex> guard (plannerLock ());
		plan = fftw_plan_dft_r2c_1d (static_cast<int> (n), in, reinterpret_cast<fftw_complex*> (out),
		                             FFTW_ESTIMATE);
	}
	if (!plan)
	{
		fftw_free (in);
		fftw_free (out);
		throw std::bad_alloc ();
	}
}

RealFft::~RealFft ()
{
	{
		std::lock_guard<std::mutex> guard (plannerLock ());
		fftw_destroy_plan (plan);
	}
	fftw_free (in);
	fftw_free (out);
}

void RealFft::execute ()
{
	fftw_execute (plan);
}

} // namespace cadora
