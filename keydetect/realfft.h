// A real-to-complex FFT of one fixed length on FFTW 3 (double precision). Plans are
// created and destroyed under one process-wide lock, because FFTW's planner is not
// thread-safe and several plug-in instances run their workers at once; executing a plan
// needs no lock as long as one thread owns it.
#pragma once

#include <cstddef>

struct fftw_plan_s;

namespace cadora {

class RealFft
{
public:
	explicit RealFft (size_t length);
	~RealFft ();
	RealFft (const RealFft&) = delete;
	RealFft& operator= (const RealFft&) = delete;

	size_t length () const { return n; }
	// The `length` input samples, written by the caller before `execute`.
	double* input () { return in; }
	// After `execute`: bins 0..length/2 as interleaved (re, im) pairs.
	const double* spectrum () const { return out; }
	void execute ();

private:
	size_t n;
	double* in = nullptr;
	double* out = nullptr;
	fftw_plan_s* plan = nullptr;
};

} // namespace cadora
