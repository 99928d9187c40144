#include "dsp/transposerfft.h"

#include "dsp/mathconstants.h"

#include <cmath>

namespace cadora {
namespace {

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
void PowerOfTwoFft::radix2Pass (const float* inRe, const float* inIm, float* outRe,
                                float* outIm) const
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
void PowerOfTwoFft::radix4Pass (std::size_t subSize, const float* inRe, const float* inIm,
                                float* outRe, float* outIm) const
{
	const std::size_t s = size / (4 * subSize);
	const std::size_t quarter = size / 4;
	for (std::size_t k = 0; k < subSize; ++k)
	{
		const float w1Re = twiddleRe[s * k], w1Im = twiddleIm[s * k];
		const float w2Re = twiddleRe[2 * s * k], w2Im = twiddleIm[2 * s * k];
		const float w3Re = twiddleRe[3 * s * k], w3Im = twiddleIm[3 * s * k];
		const float* aRe = inRe + 4 * s * k;
		const float* aIm = inIm + 4 * s * k;
		float* oRe = outRe + s * k;
		float* oIm = outIm + s * k;
		for (std::size_t q = 0; q < s; ++q)
		{
			const float a0Re = aRe[q], a0Im = aIm[q];
			const float x1Re = aRe[q + s], x1Im = aIm[q + s];
			const float x2Re = aRe[q + 2 * s], x2Im = aIm[q + 2 * s];
			const float x3Re = aRe[q + 3 * s], x3Im = aIm[q + 3 * s];
			const float a1Re = x1Re * w1Re - x1Im * w1Im, a1Im = x1Re * w1Im + x1Im * w1Re;
			const float a2Re = x2Re * w2Re - x2Im * w2Im, a2Im = x2Re * w2Im + x2Im * w2Re;
			const float a3Re = x3Re * w3Re - x3Im * w3Im, a3Im = x3Re * w3Im + x3Im * w3Re;
			const float sum02Re = a0Re + a2Re, sum02Im = a0Im + a2Im;
			const float dif02Re = a0Re - a2Re, dif02Im = a0Im - a2Im;
			const float sum13Re = a1Re + a3Re, sum13Im = a1Im + a3Im;
			const float dif13Re = a1Re - a3Re, dif13Im = a1Im - a3Im;
			// X[k + m t] = sum_r a_r (-i)^{rt}
			oRe[q] = sum02Re + sum13Re;
			oIm[q] = sum02Im + sum13Im;
			oRe[q + quarter] = dif02Re + dif13Im;
			oIm[q + quarter] = dif02Im - dif13Re;
			oRe[q + 2 * quarter] = sum02Re - sum13Re;
			oIm[q + 2 * quarter] = sum02Im - sum13Im;
			oRe[q + 3 * quarter] = dif02Re - dif13Im;
			oIm[q + 3 * quarter] = dif02Im + dif13Re;
		}
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

void SplitComplexFft::runStep (const Step& step, const float* inRe, const float* inIm,
                               float* outRe, float* outIm)
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
