// Reading a spectrum between its bins for the transposer. A frame's spectrum is only a little
// oversampled (the FFT is barely longer than the window), so no short kernel can give the true
// value between bins; but what is heard is not one frame, it is the overlap-add of frames read
// at the same offset. The four taps used here are chosen, per fractional position, so that the
// error each frame makes (a gain that varies over the frame's time span) averages out over the
// frames that overlap at every output sample: a partial moved by a fractional bin comes out with
// an even level instead of a ripple at the frame rate.
#pragma once

#include "dsp/complexfloat.h"

#include <array>
#include <cstddef>
#include <vector>

namespace cadora {

class FractionalRead
{
public:
	static constexpr std::ptrdiff_t kFirstTap = -1; // taps at floor(x) - 1 ... floor(x) + 2
	static constexpr std::size_t kTaps = 4;
	using Taps = std::array<float, kTaps>;

	// Designs the taps for frames of `window` (time origin at `origin`, the same window for
	// analysis and synthesis) every `interval` samples, transformed at `fftSize`. Not for the
	// audio thread.
	void configure (const std::vector<float>& window, std::size_t origin, std::size_t fftSize,
	                std::size_t interval);

	// Taps for a fraction in [0, 1), interpolated from the designed table.
	Taps taps (float fraction) const
	{
		const float u = fraction * static_cast<float> (kSteps);
		std::size_t q = static_cast<std::size_t> (u);
		if (q >= kSteps)
			q = kSteps - 1;
		const float f = u - static_cast<float> (q);
		const Taps& lo = table[q];
		const Taps& hi = table[q + 1];
		return {lo[0] + (hi[0] - lo[0]) * f, lo[1] + (hi[1] - lo[1]) * f, lo[2] + (hi[2] - lo[2]) * f,
		        lo[3] + (hi[3] - lo[3]) * f};
	}

private:
	static constexpr std::size_t kSteps = 64;
	std::array<Taps, kSteps + 1> table {};
};

// A fractional bin position resolved for reading: the bin of the first tap and the taps. Bins
// outside 0 ... bands - 1 read as zero; a position at or beyond either end of the range reads
// zero altogether.
struct BinRead
{
	std::ptrdiff_t first; // bin of the first tap
	FractionalRead::Taps taps;
	bool inside; // all four taps fall on bins of the range
	bool silent; // the position lies outside the range: reads zero
};

inline BinRead resolveRead (const FractionalRead& reader, float x, std::ptrdiff_t bands)
{
	BinRead r {};
	if (!(x > -1.0f) || !(x < static_cast<float> (bands)))
	{
		r.silent = true;
		return r;
	}
	std::ptrdiff_t k = static_cast<std::ptrdiff_t> (x);
	if (static_cast<float> (k) > x)
		--k;
	r.first = k + FractionalRead::kFirstTap;
	r.taps = reader.taps (x - static_cast<float> (k));
	r.inside = r.first >= 0 && r.first + static_cast<std::ptrdiff_t> (FractionalRead::kTaps) <= bands;
	r.silent = false;
	return r;
}

// Taps applied to four consecutive records, all within range.
template <typename Record>
inline ComplexF weighted (const Record* q, const FractionalRead::Taps& taps, ComplexF Record::*field)
{
	const ComplexF a = q[0].*field, b = q[1].*field, c = q[2].*field, d = q[3].*field;
	return {a.re * taps[0] + b.re * taps[1] + c.re * taps[2] + d.re * taps[3],
	        a.im * taps[0] + b.im * taps[1] + c.im * taps[2] + d.im * taps[3]};
}

// Value of a complex per-bin quantity, a field of per-bin records, at a resolved position.
template <typename Record>
inline ComplexF readAt (const Record* records, std::ptrdiff_t bands, const BinRead& r,
                        ComplexF Record::*field)
{
	if (r.silent)
		return {0.0f, 0.0f};
	ComplexF sum {0.0f, 0.0f};
	if (r.inside)
		return weighted (records + r.first, r.taps, field);
	for (std::size_t j = 0; j < FractionalRead::kTaps; ++j)
	{
		const std::ptrdiff_t b = r.first + static_cast<std::ptrdiff_t> (j);
		if (b >= 0 && b < bands)
			sum = sum + records[b].*field * r.taps[j];
	}
	return sum;
}

} // namespace cadora
