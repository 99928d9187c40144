#include "testsignals.h"

#include "dsp/mathconstants.h"

#include <algorithm>
#include <cmath>

namespace cadora {
namespace test {
namespace {

constexpr int64_t kCycleNs = 150000000;

double midiToHz (int note)
{
	return 440.0 * std::pow (2.0, (note - 69) / 12.0);
}

} // namespace

std::vector<float> chords (const std::vector<Chord>& sequence, double secondsPerChord, int32_t sampleRate)
{
	const size_t perChord = static_cast<size_t> (secondsPerChord * sampleRate);
	std::vector<float> out;
	out.reserve (perChord * sequence.size ());
	size_t n = 0;
	for (const Chord& chord : sequence)
	{
		for (size_t i = 0; i < perChord; ++i, ++n)
		{
			const double t = static_cast<double> (n) / sampleRate;
			double v = 0.0;
			for (int note : chord)
				for (int h = 1; h <= 4; ++h)
					v += 0.08 / h * std::sin (2.0 * kPi * h * midiToHz (note) * t);
			out.push_back (static_cast<float> (v));
		}
	}
	return out;
}

std::vector<float> clickTrack (double bpm, double seconds, int32_t sampleRate)
{
	std::vector<float> out (static_cast<size_t> (seconds * sampleRate), 0.0f);
	const double period = 60.0 * sampleRate / bpm;
	const size_t burst = static_cast<size_t> (0.01 * sampleRate);
	for (double start = 0.0; start < out.size (); start += period)
	{
		const size_t first = static_cast<size_t> (std::lround (start));
		for (size_t i = 0; i < burst && first + i < out.size (); ++i)
		{
			const double decay = 1.0 - static_cast<double> (i) / burst;
			out[first + i] = static_cast<float> (0.5 * decay * std::sin (2.0 * kPi * 2000.0 * i / sampleRate));
		}
	}
	return out;
}

std::vector<float> silence (double seconds, int32_t sampleRate)
{
	return std::vector<float> (static_cast<size_t> (seconds * sampleRate), 0.0f);
}

std::vector<float> joined (const std::vector<std::vector<float>>& parts)
{
	std::vector<float> out;
	for (const auto& p : parts)
		out.insert (out.end (), p.begin (), p.end ());
	return out;
}

std::vector<Chord> cadence (int tonic, bool minor)
{
	const int third = minor ? 3 : 4;
	const int sixth = minor ? 8 : 9;
	const Chord one = {tonic - 12, tonic, tonic + third, tonic + 7};
	const Chord four = {tonic - 7, tonic + 5, tonic + sixth, tonic + 12};
	const Chord five = {tonic - 5, tonic + 2, tonic + 7, tonic + 11};   // major in both modes
	return {one, four, five, one};
}

RingFeeder::RingFeeder (SharedStatus& sharedStatus, int32_t sampleRate, double ringSeconds)
: status (sharedStatus), rate (sampleRate)
{
	ring.allocate (static_cast<size_t> (ringSeconds * sampleRate));
	detector.reset (ring.size ());
}

void RingFeeder::write (const std::vector<float>& samples)
{
	const uint64_t end = written + samples.size ();
	ring.beginWrite (end);
	for (float s : samples)
		ring.put (written++, s);
	ring.endWrite (end);
}

void RingFeeder::pass (int64_t nowNs)
{
	status.publish (detector.detectionPass (ring, rate, nowNs, status.redetectRequested.exchange (false)));
}

int64_t RingFeeder::play (const std::vector<float>& samples)
{
	const size_t portion = static_cast<size_t> (rate) * 3 / 20;
	int64_t last = now;
	for (size_t done = 0; done < samples.size (); done += portion)
	{
		const size_t end = std::min (samples.size (), done + portion);
		write (std::vector<float> (samples.begin () + static_cast<std::ptrdiff_t> (done),
		                           samples.begin () + static_cast<std::ptrdiff_t> (end)));
		if (written >= kMinWrittenForPass)
			pass (now);
		last = now;
		now += kCycleNs;
	}
	return last;
}

} // namespace test
} // namespace cadora
