#include "keydetect/tempoestimator.h"

#include "keydetect/beatperiod.h"

#include <algorithm>
#include <cmath>

namespace cadora {
namespace {

constexpr int32_t kFramesPerSecond = 200;
constexpr float kFramesPerMinute = 60.0f * kFramesPerSecond;
constexpr float kLogFloor = 1e-6f;
constexpr size_t kMinLag = 60;  // 0.3 s, 200 BPM
constexpr size_t kMaxLag = 200; // 1 s, 60 BPM
constexpr float kMinOnsetSum = 0.15f;
constexpr float kMinPeakShare = 0.055f;
constexpr float kLowestTempo = 80.0f;
constexpr float kHighestTempo = 160.0f;
constexpr size_t kMaxHistory = 10;
constexpr float kCloseTempo = 2.0f;
constexpr float kLooseTolerance = 2.5f;
constexpr float kTightTolerance = 2.0f;
constexpr float kSmoothing = 0.04f;
constexpr int32_t kEstimatesToReplace = 8;
constexpr int32_t kEstimatesForFirst = 9;
constexpr int64_t kHoldNs = 8000000000LL;

// Log energy of consecutive frames of `hop` samples.
std::vector<float> logEnergy (const float* x, size_t count, size_t hop)
{
	const size_t frames = count / hop;
	std::vector<float> e (frames, 0.0f);
	for (size_t m = 0; m < frames; ++m)
	{
		float energy = 0.0f;
		for (size_t i = 0; i < hop; ++i)
			energy += x[m * hop + i] * x[m * hop + i];
		e[m] = std::log (energy / static_cast<float> (hop) + kLogFloor);
	}
	return e;
}

float autocorrelation (const std::vector<float>& d, size_t lag)
{
	float r = 0.0f;
	for (size_t m = lag; m < d.size (); ++m)
		r += d[m] * d[m - lag];
	return r;
}

float foldIntoOctave (float t)
{
	while (t < kLowestTempo)
		t *= 2.0f;
	while (t >= kHighestTempo)
		t *= 0.5f;
	return t;
}

float medianOf (std::vector<float> values)
{
	std::sort (values.begin (), values.end ());
	return values[values.size () / 2];
}

void collect (TempoState& s, float raw)
{
	const bool close = s.tempo > 0.0f && std::fabs (raw - s.tempo) < kCloseTempo;
	const float tolerance = close ? kTightTolerance : kLooseTolerance;
	if (!s.tempoHistory.empty () && std::fabs (raw - s.lastRawTempo) > tolerance)
		s.tempoHistory.clear ();
	s.tempoHistory.push_back (raw);
	if (s.tempoHistory.size () > kMaxHistory)
		s.tempoHistory.erase (s.tempoHistory.begin ());
	s.lastRawTempo = raw;
	s.tempoCount = static_cast<int32_t> (s.tempoHistory.size ());
}

void settle (TempoState& s, float median)
{
	s.tempo = median;
	s.tempoHistory.clear ();
	s.tempoCount = 0;
}

void update (TempoState& s, float raw)
{
	const float median = medianOf (s.tempoHistory);
	if (s.tempo > 0.0f && std::fabs (raw - s.tempo) < kCloseTempo)
		settle (s, s.tempo + kSmoothing * (median - s.tempo));
	else if (s.tempo > 0.0f && s.tempoCount >= kEstimatesToReplace)
		settle (s, median);
	else if (s.tempo <= 0.0f && s.tempoCount >= kEstimatesForFirst)
		settle (s, median);
}

} // namespace

void TempoState::clear ()
{
	tempo = 0.0f;
	lastRawTempo = 0.0f;
	tempoCount = 0;
	tempoHistory.clear ();
	lastTempoTime = 0;
}

bool estimateRawTempo (const float* x, size_t count, int32_t sampleRate, float& rawTempo)
{
	if (sampleRate <= 0)
		return false;
	const size_t hop = static_cast<size_t> (std::max (sampleRate / kFramesPerSecond, 1));
	const std::vector<float> e = logEnergy (x, count, hop);
	const size_t bestLag = findBeatPeriod (e, kMinLag, kMaxLag);
	if (bestLag == 0)
		return false;
	const std::vector<float> d = onsetStrength (e);
	float sum = 0.0f;
	for (float v : d)
		sum += v;
	if (!(sum > kMinOnsetSum) || !(autocorrelation (d, bestLag) / sum > kMinPeakShare))
		return false;

	rawTempo = foldIntoOctave (kFramesPerMinute / static_cast<float> (bestLag));
	return true;
}

void tempoStep (TempoState& state, const float* x, size_t count, int32_t sampleRate, int64_t nowNs,
                std::atomic<int32_t>& tempoBpm)
{
	float raw = 0.0f;
	if (estimateRawTempo (x, count, sampleRate, raw))
	{
		state.lastTempoTime = nowNs;
		collect (state, raw);
		update (state, raw);
	}
	if (state.tempo > 0.0f)
		tempoBpm.store (static_cast<int32_t> (std::lround (state.tempo)), std::memory_order_relaxed);
	else if (nowNs - state.lastTempoTime > kHoldNs)
		tempoBpm.store (0, std::memory_order_relaxed);
}

int32_t tempoDuringSilence (const TempoState& state, int64_t nowNs)
{
	if (state.tempo > 0.0f && nowNs - state.lastTempoTime <= kHoldNs)
		return static_cast<int32_t> (std::lround (state.tempo));
	return 0;
}

} // namespace cadora
