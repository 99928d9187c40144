#include "dsp/transposerfft.h"

#include "dsp/mathconstants.h"

#include <cmath>

namespace cadora {
namespace {

// The four outputs of a radix-4 butterfly.
struct Quad
{
	float re0, im0, re1, im1, re2, im2, re3, im3;
};

// x1..x3 turned by w1..w3, then y_t = sum_r a_r (-i)^{rt}.
inline Quad butterfly (float a0Re, float a0Im, float x1Re, float x1Im, float x2Re, float x2Im, float x3Re,
                       float x3Im, float w1Re, float w1Im, float w2Re, float w2Im, float w3Re, float w3Im)
{
	const float a1Re = x1Re * w1Re - x1Im * w1Im, a1Im = x1Re * w1Im + x1Im * w1Re;
	const float a2Re = x2Re * w2Re - x2Im * w2Im, a2Im = x2Re * w2Im + x2Im * w2Re;
	const float a3Re = x3Re * w3Re - x3Im * w3Im, a3Im = x3Re * w3Im + x3Im * w3Re;
	const float sum02Re = a0Re + a2Re, sum02Im = a0Im + a2Im;
	const float dif02Re = a0Re - a2Re, dif02Im = a0Im - a2Im;
	const float sum13Re = a1Re + a3Re, sum13Im = a1Im + a3Im;
	const float dif13Re = a1Re - a3Re, dif13Im = a1Im - a3Im;
	return {sum02Re + sum13Re, sum02Im + sum13Im, dif02Re + dif13Im, dif02Im - dif13Re,
	        sum02Re - sum13Re, sum02Im - sum13Im, dif02Re - dif13Im, dif02Im + dif13Re};
}

// Butterflies along n sequences whose four inputs x_r (r = 0 .. 3) lie `stride` apart, with one set
// of twiddles w = {w1 re, w1 im, w2 re, w2 im, w3 re, w3 im}; output t goes to y + t stride. The
// passes ping-pong between buffers, so inputs and outputs never overlap, and no output run
// overlaps another: said with restrict, this lets the compiler use vector arithmetic.
void butterflyRun (std::size_t n, const float* __restrict x0Re, const float* __restrict x0Im,
                   const float* __restrict x1Re, const float* __restrict x1Im, const float* __restrict x2Re,
                   const float* __restrict x2Im, const float* __restrict x3Re, const float* __restrict x3Im,
                   const float* w, float* __restrict y0Re, float* __restrict y0Im, float* __restrict y1Re,
                   float* __restrict y1Im, float* __restrict y2Re, float* __restrict y2Im,
                   float* __restrict y3Re, float* __restrict y3Im)
{
	const float w1Re = w[0], w1Im = w[1], w2Re = w[2], w2Im = w[3], w3Re = w[4], w3Im = w[5];
	for (std::size_t q = 0; q < n; ++q)
	{
		const Quad y = butterfly (x0Re[q], x0Im[q], x1Re[q], x1Im[q], x2Re[q], x2Im[q], x3Re[q], x3Im[q],
		                          w1Re, w1Im, w2Re, w2Im, w3Re, w3Im);
		y0Re[q] = y.re0;
		y0Im[q] = y.im0;
		y1Re[q] = y.re1;
		y1Im[q] = y.im1;
		y2Re[q] = y.re2;
		y2Im[q] = y.im2;
		y3Re[q] = y.re3;
		y3Im[q] = y.im3;
	}
}

// Butterflies whose four inputs lie next to one another (at 4q .. 4q + 3), with twiddles that
// change from one to the next: w holds six runs of n (real parts of w1, w2, w3, then imaginary).
// The eight stores are written out here as in butterflyRun: behind a helper function, the
// compiler no longer sees that the output runs are kept apart.
void adjacentButterflyRun (std::size_t n, const float* __restrict xRe, const float* __restrict xIm,
                           const float* __restrict w1Re, const float* __restrict w2Re,
                           const float* __restrict w3Re, const float* __restrict w1Im,
                           const float* __restrict w2Im, const float* __restrict w3Im, float* __restrict y0Re,
                           float* __restrict y0Im, float* __restrict y1Re, float* __restrict y1Im,
                           float* __restrict y2Re, float* __restrict y2Im, float* __restrict y3Re,
                           float* __restrict y3Im)
{
	for (std::size_t q = 0; q < n; ++q)
	{
		const Quad y =
		    butterfly (xRe[4 * q], xIm[4 * q], xRe[4 * q + 1], xIm[4 * q + 1], xRe[4 * q + 2], xIm[4 * q + 2],
		               xRe[4 * q + 3], xIm[4 * q + 3], w1Re[q], w1Im[q], w2Re[q], w2Im[q], w3Re[q], w3Im[q]);
		y0Re[q] = y.re0;
		y0Im[q] = y.im0;
		y1Re[q] = y.re1;
		y1Im[q] = y.im1;
		y2Re[q] = y.re2;
		y2Im[q] = y.im2;
		y3Re[q] = y.re3;
		y3Im[q] = y.im3;
	}
}

std::size_t largestPowerOfTwoFactor (std::size_t m)
{
	std::size_t p = 1;
	while (m > 0 && m % (p * 2) == 0)
		p *= 2;
	return p;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// PowerOfTwoFft

void PowerOfTwoFft::setSize (std::size_t n)
{
	size = n;
	std::size_t log2 = 0;
	while ((std::size_t {1} << log2) < n)
		++log2;
	oddPower = (log2 % 2) == 1;
	passCount = log2 / 2 + (oddPower ? 1 : 0);

	const std::size_t entries = 3 * n / 4;
	twiddleRe.assign (entries, 0.0f);
	twiddleIm.assign (entries, 0.0f);
	for (std::size_t k = 0; k < entries; ++k)
	{
		const ComplexF w = unitPhasor (-kTwoPi * static_cast<double> (k) / static_cast<double> (n));
		twiddleRe[k] = w.re;
		twiddleIm[k] = w.im;
	}
	workRe.assign (n, 0.0f);
	workIm.assign (n, 0.0f);
	// The last radix-4 pass's twiddles e^{-2 pi i r k/size}, r = 1, 2, 3, in order of k: three
	// runs of real parts, then three of imaginary parts.
	const std::size_t quarter = n / 4;
	finalTwiddles.assign (6 * quarter, 0.0f);
	for (std::size_t r = 1; r <= 3; ++r)
		for (std::size_t k = 0; k < quarter; ++k)
		{
			finalTwiddles[(r - 1) * quarter + k] = twiddleRe[r * k];
			finalTwiddles[(r + 2) * quarter + k] = twiddleIm[r * k];
		}
}

void PowerOfTwoFft::forward (const float* srcRe, const float* srcIm, float* dstRe, float* dstIm)
{
	if (passCount == 0)
	{
		for (std::size_t i = 0; i < size; ++i)
		{
			dstRe[i] = srcRe[i];
			dstIm[i] = srcIm[i];
		}
		return;
	}
	// Passes alternate between dst and the work buffer so that the last one lands in dst.
	const float* inRe = srcRe;
	const float* inIm = srcIm;
	std::size_t subSize = 1;
	for (std::size_t pass = 0; pass < passCount; ++pass)
	{
		const bool toDst = (passCount - 1 - pass) % 2 == 0;
		float* outRe = toDst ? dstRe : workRe.data ();
		float* outIm = toDst ? dstIm : workIm.data ();
		if (pass == 0 && oddPower)
		{
			radix2Pass (inRe, inIm, outRe, outIm);
			subSize = 2;
		}
		else
		{
			radix4Pass (subSize, inRe, inIm, outRe, outIm);
			subSize *= 4;
		}
		inRe = outRe;
		inIm = outIm;
	}
}

// Combines pairs of size-1 transforms: the data holds size/2 interleaved sequences of two.
void PowerOfTwoFft::radix2Pass (const float* inRe, const float* inIm, float* outRe, float* outIm) const
{
	const std::size_t s = size / 2;
	for (std::size_t q = 0; q < s; ++q)
	{
		const float aRe = inRe[q], aIm = inIm[q];
		const float bRe = inRe[q + s], bIm = inIm[q + s];
		outRe[q] = aRe + bRe;
		outIm[q] = aIm + bIm;
		outRe[q + s] = aRe - bRe;
		outIm[q + s] = aIm - bIm;
	}
}

// Combines four interleaved transforms of subSize into transforms of 4 subSize. The input holds
// 4s interleaved sequences of length subSize (element k of sequence p at p + 4s k); sequence
// q + s r is the r-th decimated quarter of output sequence q, written at q + s (k + subSize t).
// Runs along the s sequences, or, in the last pass where s is 1, along k.
void PowerOfTwoFft::radix4Pass (std::size_t subSize, const float* inRe, const float* inIm, float* outRe,
                                float* outIm) const
{
	const std::size_t s = size / (4 * subSize);
	const std::size_t h = size / 4;
	if (s == 1)
	{
		const float* w = finalTwiddles.data ();
		adjacentButterflyRun (h, inRe, inIm, w, w + h, w + 2 * h, w + 3 * h, w + 4 * h, w + 5 * h, outRe,
		                      outIm, outRe + h, outIm + h, outRe + 2 * h, outIm + 2 * h, outRe + 3 * h,
		                      outIm + 3 * h);
		return;
	}
	for (std::size_t k = 0; k < subSize; ++k)
	{
		const float w[6] = {twiddleRe[s * k],     twiddleIm[s * k],     twiddleRe[2 * s * k],
		                    twiddleIm[2 * s * k], twiddleRe[3 * s * k], twiddleIm[3 * s * k]};
		const float* xRe = inRe + 4 * s * k;
		const float* xIm = inIm + 4 * s * k;
		float* yRe = outRe + s * k;
		float* yIm = outIm + s * k;
		butterflyRun (s, xRe, xIm, xRe + s, xIm + s, xRe + 2 * s, xIm + 2 * s, xRe + 3 * s, xIm + 3 * s, w,
		              yRe, yIm, yRe + h, yIm + h, yRe + 2 * h, yIm + 2 * h, yRe + 3 * h, yIm + 3 * h);
	}
}

// ---------------------------------------------------------------------------------------------
// SplitComplexFft

void SplitComplexFft::setSize (std::size_t m)
{
	size = m;
	inner = largestPowerOfTwoFactor (m);
	outer = m / inner;
	powerOfTwo.setSize (inner);

	twiddleRe.assign (inner * (outer > 0 ? outer - 1 : 0), 0.0f);
	twiddleIm.assign (twiddleRe.size (), 0.0f);
	for (std::size_t q = 1; q < outer; ++q)
		for (std::size_t j = 0; j < inner; ++j)
		{
			const ComplexF w = unitPhasor (-kTwoPi * static_cast<double> (j * q) / static_cast<double> (m));
			twiddleRe[(q - 1) * inner + j] = w.re;
			twiddleIm[(q - 1) * inner + j] = w.im;
		}

	const bool generic = outer != 1 && outer != 3 && outer != 5;
	rootRe.assign (generic ? outer : 0, 0.0f);
	rootIm.assign (rootRe.size (), 0.0f);
	for (std::size_t q = 0; q < rootRe.size (); ++q)
	{
		const ComplexF w = unitPhasor (-kTwoPi * static_cast<double> (q) / static_cast<double> (outer));
		rootRe[q] = w.re;
		rootIm[q] = w.im;
	}
	columnRe.assign (generic ? outer : 0, 0.0f);
	columnIm.assign (columnRe.size (), 0.0f);
	workRe.assign (outer > 1 ? m : 0, 0.0f);
	workIm.assign (workRe.size (), 0.0f);

	plan.clear ();
	if (outer <= 1)
	{
		plan.push_back ({StepKind::powerOfTwo, 0});
		return;
	}
	plan.push_back ({StepKind::deinterleave, 0});
	for (std::size_t q = 0; q < outer; ++q)
		plan.push_back ({StepKind::powerOfTwo, q * inner});
	plan.push_back ({StepKind::twiddle, 0});
	if (outer == 3)
		plan.push_back ({StepKind::radix3, 0});
	else if (outer == 5)
		plan.push_back ({StepKind::radix5, 0});
	else
		plan.push_back ({StepKind::radixGeneric, 0});
}

void SplitComplexFft::forward (const float* inRe, const float* inIm, float* outRe, float* outIm)
{
	for (const Step& step : plan)
		runStep (step, inRe, inIm, outRe, outIm);
}

// The inverse DFT is the forward DFT with real and imaginary parts exchanged on the way in and out.
void SplitComplexFft::inverse (const float* inRe, const float* inIm, float* outRe, float* outIm)
{
	forward (inIm, inRe, outIm, outRe);
}

void SplitComplexFft::runStep (const Step& step, const float* inRe, const float* inIm, float* outRe,
                               float* outIm)
{
	switch (step.kind)
	{
		case StepKind::powerOfTwo:
			if (outer <= 1)
				powerOfTwo.forward (inRe, inIm, outRe, outIm);
			else
				powerOfTwo.forward (workRe.data () + step.offset, workIm.data () + step.offset,
				                    outRe + step.offset, outIm + step.offset);
			break;
		case StepKind::deinterleave: deinterleave (inRe, inIm); break;
		case StepKind::twiddle: applyTwiddles (outRe, outIm); break;
		case StepKind::radix3: combineRadix3 (outRe, outIm); break;
		case StepKind::radix5: combineRadix5 (outRe, outIm); break;
		case StepKind::radixGeneric: combineGeneric (outRe, outIm); break;
	}
}

// Element j * outer + q goes to position j of sub-sequence q.
void SplitComplexFft::deinterleave (const float* inRe, const float* inIm)
{
	for (std::size_t q = 0; q < outer; ++q)
		for (std::size_t j = 0; j < inner; ++j)
		{
			workRe[q * inner + j] = inRe[j * outer + q];
			workIm[q * inner + j] = inIm[j * outer + q];
		}
}

void SplitComplexFft::applyTwiddles (float* re, float* im) const
{
	for (std::size_t q = 1; q < outer; ++q)
	{
		float* r = re + q * inner;
		float* i = im + q * inner;
		const float* wr = twiddleRe.data () + (q - 1) * inner;
		const float* wi = twiddleIm.data () + (q - 1) * inner;
		for (std::size_t j = 0; j < inner; ++j)
		{
			const float xr = r[j], xi = i[j];
			r[j] = xr * wr[j] - xi * wi[j];
			i[j] = xr * wi[j] + xi * wr[j];
		}
	}
}

void SplitComplexFft::combineRadix3 (float* re, float* im) const
{
	constexpr float kSin60 = 0.8660254f;
	float* r1 = re + inner;
	float* i1 = im + inner;
	float* r2 = re + 2 * inner;
	float* i2 = im + 2 * inner;
	for (std::size_t j = 0; j < inner; ++j)
	{
		const float sumRe = r1[j] + r2[j], sumIm = i1[j] + i2[j];
		const float difRe = r1[j] - r2[j], difIm = i1[j] - i2[j];
		const float tRe = re[j] - sumRe * 0.5f, tIm = im[j] - sumIm * 0.5f;
		// u = -i sin60 (a1 - a2)
		const float uRe = kSin60 * difIm, uIm = -kSin60 * difRe;
		re[j] += sumRe;
		im[j] += sumIm;
		r1[j] = tRe + uRe;
		i1[j] = tIm + uIm;
		r2[j] = tRe - uRe;
		i2[j] = tIm - uIm;
	}
}

void SplitComplexFft::combineRadix5 (float* re, float* im) const
{
	constexpr float kCos72 = 0.30901699f;
	constexpr float kCos144 = -0.80901699f;
	constexpr float kSin72 = 0.95105652f;
	constexpr float kSin144 = 0.58778525f;
	float* r[5];
	float* i[5];
	for (std::size_t q = 0; q < 5; ++q)
	{
		r[q] = re + q * inner;
		i[q] = im + q * inner;
	}
	for (std::size_t j = 0; j < inner; ++j)
	{
		const float a0Re = r[0][j], a0Im = i[0][j];
		const float b1Re = r[1][j] + r[4][j], b1Im = i[1][j] + i[4][j];
		const float b2Re = r[2][j] + r[3][j], b2Im = i[2][j] + i[3][j];
		const float d1Re = r[1][j] - r[4][j], d1Im = i[1][j] - i[4][j];
		const float d2Re = r[2][j] - r[3][j], d2Im = i[2][j] - i[3][j];
		// X1,4 = a0 + c72 b1 + c144 b2 -/+ i (s72 d1 + s144 d2)
		// X2,3 = a0 + c144 b1 + c72 b2 -/+ i (s144 d1 - s72 d2)
		const float e1Re = a0Re + kCos72 * b1Re + kCos144 * b2Re;
		const float e1Im = a0Im + kCos72 * b1Im + kCos144 * b2Im;
		const float e2Re = a0Re + kCos144 * b1Re + kCos72 * b2Re;
		const float e2Im = a0Im + kCos144 * b1Im + kCos72 * b2Im;
		const float f1Re = kSin72 * d1Re + kSin144 * d2Re, f1Im = kSin72 * d1Im + kSin144 * d2Im;
		const float f2Re = kSin144 * d1Re - kSin72 * d2Re, f2Im = kSin144 * d1Im - kSin72 * d2Im;
		r[0][j] = a0Re + b1Re + b2Re;
		i[0][j] = a0Im + b1Im + b2Im;
		r[1][j] = e1Re + f1Im;
		i[1][j] = e1Im - f1Re;
		r[4][j] = e1Re - f1Im;
		i[4][j] = e1Im + f1Re;
		r[2][j] = e2Re + f2Im;
		i[2][j] = e2Im - f2Re;
		r[3][j] = e2Re - f2Im;
		i[3][j] = e2Im + f2Re;
	}
}

// Direct DFT of size outer over each column j + q * inner, for odd factors without a butterfly.
void SplitComplexFft::combineGeneric (float* re, float* im)
{
	for (std::size_t j = 0; j < inner; ++j)
	{
		for (std::size_t q = 0; q < outer; ++q)
		{
			columnRe[q] = re[j + q * inner];
			columnIm[q] = im[j + q * inner];
		}
		for (std::size_t s = 0; s < outer; ++s)
		{
			float sumRe = 0.0f, sumIm = 0.0f;
			for (std::size_t q = 0; q < outer; ++q)
			{
				const std::size_t k = (q * s) % outer;
				sumRe += columnRe[q] * rootRe[k] - columnIm[q] * rootIm[k];
				sumIm += columnRe[q] * rootIm[k] + columnIm[q] * rootRe[k];
			}
			re[j + s * inner] = sumRe;
			im[j + s * inner] = sumIm;
		}
	}
}

// ---------------------------------------------------------------------------------------------
// ModifiedRealFft

void ModifiedRealFft::setSize (std::size_t n)
{
	size = n;
	half = n / 2;
	const double nd = static_cast<double> (n);
	preTwiddle.resize (half);
	for (std::size_t m = 0; m < half; ++m)
		preTwiddle[m] = unitPhasor (-kTwoPi * static_cast<double> (m) / nd);
	postTwiddle.resize (half / 2 + 1);
	for (std::size_t k = 0; k <= half / 2; ++k)
		postTwiddle[k] = unitPhasor (-(kTwoPi * (static_cast<double> (k) + 0.5) / nd + kHalfPi));
	inRe.assign (half, 0.0f);
	inIm.assign (half, 0.0f);
	outRe.assign (half, 0.0f);
	outIm.assign (half, 0.0f);
	complexFft.setSize (half);
}

void ModifiedRealFft::forward (const float* time, ComplexF* bins)
{
	for (std::size_t m = 0; m < half; ++m)
	{
		const ComplexF z = ComplexF {time[2 * m], time[2 * m + 1]} * preTwiddle[m];
		inRe[m] = z.re;
		inIm[m] = z.im;
	}
	complexFft.forward (inRe.data (), inIm.data (), outRe.data (), outIm.data ());
	// Separate the even- and odd-sample halves from the pair k, M-1-k and recombine them.
	for (std::size_t k = 0; k < half / 2; ++k)
	{
		const std::size_t kk = half - 1 - k;
		const ComplexF z = {outRe[k], outIm[k]};
		const ComplexF zMirror = conj (ComplexF {outRe[kk], outIm[kk]});
		const ComplexF even = (z + zMirror) * 0.5f;
		const ComplexF odd = postTwiddle[k] * ((z - zMirror) * 0.5f);
		bins[k] = even + odd;
		bins[kk] = conj (even - odd);
	}
}

void ModifiedRealFft::inverse (const ComplexF* bins, float* time)
{
	for (std::size_t k = 0; k < half / 2; ++k)
	{
		const std::size_t kk = half - 1 - k;
		const ComplexF mirror = conj (bins[kk]);
		const ComplexF even = bins[k] + mirror;
		const ComplexF odd = conj (postTwiddle[k]) * (bins[k] - mirror);
		const ComplexF z = even + odd;
		const ComplexF zMirror = conj (even - odd);
		inRe[k] = z.re;
		inIm[k] = z.im;
		inRe[kk] = zMirror.re;
		inIm[kk] = zMirror.im;
	}
	complexFft.inverse (inRe.data (), inIm.data (), outRe.data (), outIm.data ());
	for (std::size_t m = 0; m < half; ++m)
	{
		const ComplexF y = ComplexF {outRe[m], outIm[m]} * conj (preTwiddle[m]);
		time[2 * m] = y.re;
		time[2 * m + 1] = y.im;
	}
}

} // namespace cadora
