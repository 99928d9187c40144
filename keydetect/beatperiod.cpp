#include "keydetect/beatperiod.h"

#include <algorithm>
#include <cmath>

namespace cadora {
namespace {

// A low tone makes the energy of a 5 ms frame swing with the tone's own cycle; the rises of
// that ripple, a few frames apart, have nothing to do with the rhythm. A three-frame triangle
// over the log energy takes the ripple out before the rises are taken.
constexpr long kEnergySmoothingHalfWidth = 1;
// A 25 ms triangle over the rises: an onset spread over a few frames, or a beat period that
// is not a whole number of frames, still lines up with itself one beat later.
constexpr long kSmoothingHalfWidth = 5;
// Only rises above the level of the rises within a quarter second count: sustained notes,
// vibrato and reverberation raise that level without marking a beat.
constexpr int kBackgroundHalfWidth = 50;
// One beat, two beats, a bar of three and a bar of four, weighted 1, 1/2, 1/3, 1/4: the
// beat is the lag whose multiples also line up.
constexpr size_t kMultiples = 4;
// Listeners hear a beat near half a second most easily: a broad preference, one octave
// wide, that only chooses between lags whose alignment is about as good.
constexpr double kPreferredLag = 100.0;
constexpr double kPreferenceOctaves = 1.0;
// How far the chosen lag must stand above the mean of all lags, in units of the signal's
// own power, for the music to count as having a beat at all.
constexpr float kMinClarity = 0.1f;

std::vector<float> smoothed (const std::vector<float>& d, long halfWidth)
{
	const long n = static_cast<long> (d.size ());
	std::vector<float> out (d.size (), 0.0f);
	for (long m = 0; m < n; ++m)
	{
		float sum = 0.0f;
		float weights = 0.0f;
		for (long j = -halfWidth; j <= halfWidth; ++j)
		{
			if (m + j < 0 || m + j >= n)
				continue;
			const float w = static_cast<float> (halfWidth + 1 - std::labs (j));
			sum += w * d[static_cast<size_t> (m + j)];
			weights += w;
		}
		out[static_cast<size_t> (m)] = sum / weights;
	}
	return out;
}

// s minus its mean over the frames within kBackgroundHalfWidth (fewer at the ends), and
// nothing where it lies below that mean.
std::vector<float> aboveBackground (const std::vector<float>& s)
{
	std::vector<double> prefix (s.size () + 1, 0.0);
	for (size_t m = 0; m < s.size (); ++m)
		prefix[m + 1] = prefix[m] + s[m];
	const size_t half = static_cast<size_t> (kBackgroundHalfWidth);
	std::vector<float> out (s.size (), 0.0f);
	for (size_t m = 0; m < s.size (); ++m)
	{
		const size_t first = m > half ? m - half : 0;
		const size_t end = std::min (s.size (), m + half + 1);
		const double mean = (prefix[end] - prefix[first]) / static_cast<double> (end - first);
		out[m] = std::max (static_cast<float> (s[m] - mean), 0.0f);
	}
	return out;
}

// a[L] = mean of c[m] * c[m - L] over the M - L frames where both exist, for L = 0 and for
// L = firstLag .. lastLag (0 in between). Dividing by the number of terms keeps short lags,
// which have more terms, from winning for that reason alone.
std::vector<float> lagProducts (const std::vector<float>& c, size_t firstLag, size_t lastLag)
{
	std::vector<float> a (lastLag + 1, 0.0f);
	auto mean = [&c] (size_t lag) {
		double sum = 0.0;
		for (size_t m = lag; m < c.size (); ++m)
			sum += c[m] * c[m - lag];
		return static_cast<float> (sum / static_cast<double> (c.size () - lag));
	};
	a[0] = mean (0);
	for (size_t lag = firstLag; lag <= lastLag; ++lag)
		a[lag] = mean (lag);
	return a;
}

// Weighted mean of a at the multiples of `lag` that a holds.
float comb (const std::vector<float>& a, size_t lag)
{
	double sum = 0.0;
	double weights = 0.0;
	for (size_t k = 1; k <= kMultiples && k * lag < a.size (); ++k)
	{
		sum += a[k * lag] / static_cast<double> (k);
		weights += 1.0 / static_cast<double> (k);
	}
	return static_cast<float> (sum / weights);
}

double preference (size_t lag)
{
	const double octaves = std::log2 (kPreferredLag / static_cast<double> (lag)) / kPreferenceOctaves;
	return std::exp (-0.5 * octaves * octaves);
}

} // namespace

std::vector<float> onsetStrength (const std::vector<float>& logEnergy)
{
	std::vector<float> d (logEnergy.size (), 0.0f);
	for (size_t m = 1; m < logEnergy.size (); ++m)
		d[m] = std::max (logEnergy[m] - logEnergy[m - 1], 0.0f);
	return d;
}

size_t findBeatPeriod (const std::vector<float>& logEnergy, size_t minLag, size_t maxLag)
{
	const size_t half = logEnergy.size () / 2;
	if (minLag < 2 || minLag > maxLag || minLag >= half)
		return 0;
	const size_t lastLag = std::min (maxLag, half - 1);
	const std::vector<float> a =
	    lagProducts (aboveBackground (
	                     smoothed (onsetStrength (smoothed (logEnergy, kEnergySmoothingHalfWidth)),
	                               kSmoothingHalfWidth)),
	                 minLag - 1, half);
	if (!(a[0] > 0.0f))
		return 0;

	// The alignment one lag beyond each end as well, so that a peak is a peak at the ends too.
	std::vector<float> aligned (lastLag + 2, 0.0f);
	for (size_t lag = minLag - 1; lag <= lastLag + 1; ++lag)
		aligned[lag] = comb (a, lag);

	size_t best = 0;
	double bestScore = 0.0;
	double total = 0.0;
	for (size_t lag = minLag; lag <= lastLag; ++lag)
	{
		total += aligned[lag];
		if (aligned[lag] < aligned[lag - 1] || aligned[lag] < aligned[lag + 1])
			continue;
		const double score = aligned[lag] * preference (lag);
		if (score > bestScore)
		{
			bestScore = score;
			best = lag;
		}
	}
	if (best == 0)
		return 0;
	const double mean = total / static_cast<double> (lastLag - minLag + 1);
	return (aligned[best] - mean) / a[0] >= kMinClarity ? best : 0;
}

} // namespace cadora
