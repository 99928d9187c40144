// The transposer's own FFT: a mixed-radix complex FFT on split real/imaginary arrays for
// sizes 2^k x {1, 3, 5}, and on top of it a real FFT whose bins sit half a bin up.
// All tables are built when the size is set; a transform allocates nothing.
#pragma once

#include "dsp/complexfloat.h"

#include <cstddef>
#include <vector>

namespace cadora {

// Unscaled complex DFT of a power-of-two size: radix-4 passes (one radix-2 pass first for an
// odd power of two), ping-ponging between the destination and a work buffer.
class PowerOfTwoFft
{
public:
	void setSize (std::size_t n);
	// dst[k] = sum_j src[j] e^{-2 pi i jk/n}; src is left unchanged and must not be dst.
	void forward (const float* srcRe, const float* srcIm, float* dstRe, float* dstIm);

private:
	void radix2Pass (const float* inRe, const float* inIm, float* outRe, float* outIm) const;
	void radix4Pass (std::size_t subSize, const float* inRe, const float* inIm, float* outRe,
	                 float* outIm) const;

	std::size_t size = 0;
	bool oddPower = false; // log2(size) is odd: the first pass is radix-2
	std::size_t passCount = 0;
	std::vector<float> twiddleRe, twiddleIm; // e^{-2 pi i k/size}, k < 3 size/4
	std::vector<float> finalTwiddles;        // the last pass's, in order of k
	std::vector<float> workRe, workIm;
};

// Unscaled complex DFT of size M = inner x outer (inner a power of two, outer odd), on split
// arrays: de-interleave, power-of-two transforms, twiddle, radix-outer combination.
class SplitComplexFft
{
public:
	void setSize (std::size_t m);
	std::size_t getSize () const { return size; }
	// out[k] = sum_j in[j] e^{-2 pi i jk/M}; in is left unchanged and must not be out.
	void forward (const float* inRe, const float* inIm, float* outRe, float* outIm);
	// out[k] = sum_j in[j] e^{+2 pi i jk/M}.
	void inverse (const float* inRe, const float* inIm, float* outRe, float* outIm);

private:
	enum class StepKind
	{
		powerOfTwo,
		deinterleave,
		twiddle,
		radix3,
		radix5,
		radixGeneric
	};
	struct Step
	{
		StepKind kind;
		std::size_t offset;
	};

	void runStep (const Step& step, const float* inRe, const float* inIm, float* outRe, float* outIm);
	void deinterleave (const float* inRe, const float* inIm);
	void applyTwiddles (float* re, float* im) const;
	void combineRadix3 (float* re, float* im) const;
	void combineRadix5 (float* re, float* im) const;
	void combineGeneric (float* re, float* im);

	std::size_t size = 0;
	std::size_t inner = 0;
	std::size_t outer = 0;
	std::vector<float> twiddleRe, twiddleIm; // e^{-2 pi i jq/M}, q = 1 .. outer-1, q-major
	std::vector<float> rootRe, rootIm;       // e^{-2 pi i q/outer}, generic odd radix only
	std::vector<float> workRe, workIm;       // de-interleaved sub-sequences
	std::vector<float> columnRe, columnIm;   // one column of the generic radix
	PowerOfTwoFft powerOfTwo;
	std::vector<Step> plan;
};

// Real FFT of size N (a multiple of 4) with bins at (k + 0.5)/N cycles per sample:
// forward X[k] = sum_n x[n] e^{-2 pi i n (k + 0.5)/N}, k < N/2, unscaled; inverse is the
// unscaled adjoint, so forward then inverse returns N times the input.
class ModifiedRealFft
{
public:
	void setSize (std::size_t n);
	std::size_t getSize () const { return size; }
	// N real samples in, N/2 bins out.
	void forward (const float* time, ComplexF* bins);
	// N/2 bins in, N real samples out: y[n] = sum_k 2 Re(X[k] e^{+2 pi i n (k + 0.5)/N}).
	void inverse (const ComplexF* bins, float* time);

private:
	std::size_t size = 0;
	std::size_t half = 0;              // M = N/2
	std::vector<ComplexF> preTwiddle;  // e^{-2 pi i m/N}, m < M
	std::vector<ComplexF> postTwiddle; // -i e^{-2 pi i (k + 0.5)/N}, k <= M/2
	std::vector<float> inRe, inIm, outRe, outIm;
	SplitComplexFft complexFft;
};

} // namespace cadora
