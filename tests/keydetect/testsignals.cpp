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

// A fixed-seed linear congruential generator: the same noise in every run.
class Noise
{
public:
	float next ()
	{
		state = state * 1664525u + 1013904223u;
		return static_cast<float> (state >> 8) / 8388608.0f - 1.0f;
	}

private:
	uint32_t state = 1;
};

size_t beatStart (double beat, double samplesPerBeat)
{
	return static_cast<size_t> (std::lround (beat * samplesPerBeat));
}

// 10 ms of 2 kHz, fading out.
void addClick (std::vector<float>& out, size_t first, double amplitude, int32_t sampleRate)
{
	const size_t burst = static_cast<size_t> (0.01 * sampleRate);
	for (size_t i = 0; i < burst && first + i < out.size (); ++i)
	{
		const double decay = 1.0 - static_cast<double> (i) / burst;
		out[first + i] +=
		    static_cast<float> (amplitude * decay * std::sin (2.0 * kPi * 2000.0 * i / sampleRate));
	}
}

// A tone with two overtones, a 5 ms attack and an exponential decay, cut after `length`.
void addNote (std::vector<float>& out, size_t first, size_t length, double hz, double amplitude,
              double decaySeconds, int32_t sampleRate)
{
	for (size_t i = 0; i < length && first + i < out.size (); ++i)
	{
		const double t = static_cast<double> (i) / sampleRate;
		const double envelope = amplitude * std::min (1.0, t / 0.005) * std::exp (-t / decaySeconds);
		const double wave = std::sin (2.0 * kPi * hz * t) + 0.5 * std::sin (4.0 * kPi * hz * t) +
		                    0.25 * std::sin (6.0 * kPi * hz * t);
		out[first + i] += static_cast<float> (envelope * wave);
	}
}

// A sine falling from 120 to 50 Hz, as a bass drum.
void addKick (std::vector<float>& out, size_t first, int32_t sampleRate)
{
	double phase = 0.0;
	for (size_t i = 0; i < static_cast<size_t> (0.25 * sampleRate) && first + i < out.size (); ++i)
	{
		const double t = static_cast<double> (i) / sampleRate;
		phase += 2.0 * kPi * (50.0 + 70.0 * std::exp (-t / 0.03)) / sampleRate;
		out[first + i] += static_cast<float> (0.5 * std::exp (-t / 0.12) * std::sin (phase));
	}
}

// Decaying noise: plain for a snare, differenced (brighter) for a hi-hat.
void addNoiseBurst (std::vector<float>& out, size_t first, double amplitude, double decaySeconds, bool bright,
                    Noise& noise, int32_t sampleRate)
{
	float previous = 0.0f;
	const size_t length = static_cast<size_t> (6.0 * decaySeconds * sampleRate);
	for (size_t i = 0; i < length && first + i < out.size (); ++i)
	{
		const float n = noise.next ();
		const double v = bright ? n - previous : n;
		previous = n;
		out[first + i] += static_cast<float> (
		    amplitude * std::exp (-static_cast<double> (i) / sampleRate / decaySeconds) * v);
	}
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
	return accentedClicks (bpm, 1, {1.0f}, seconds, sampleRate);
}

std::vector<float> accentedClicks (double bpm, int clicksPerBeat, const std::vector<float>& accents,
                                   double seconds, int32_t sampleRate)
{
	std::vector<float> out (static_cast<size_t> (seconds * sampleRate), 0.0f);
	const double period = 60.0 * sampleRate / bpm / clicksPerBeat;
	for (size_t k = 0; beatStart (static_cast<double> (k), period) < out.size (); ++k)
		addClick (out, beatStart (static_cast<double> (k), period), 0.5 * accents[k % accents.size ()],
		          sampleRate);
	return out;
}

std::vector<float> heldBass (double bpm, int beatsPerBar, double seconds, int32_t sampleRate)
{
	std::vector<float> out (static_cast<size_t> (seconds * sampleRate), 0.0f);
	const double samplesPerBar = 60.0 * sampleRate / bpm * beatsPerBar;
	for (size_t bar = 0; beatStart (static_cast<double> (bar), samplesPerBar) < out.size (); ++bar)
	{
		const double hz = bar % 2 == 0 ? 55.0 : 55.0 * 1.122;
		addNote (out, beatStart (static_cast<double> (bar), samplesPerBar),
		         static_cast<size_t> (samplesPerBar), hz, 0.04, 4.0, sampleRate);
	}
	return out;
}

std::vector<float> halfTimeDrums (double bpm, double seconds, int32_t sampleRate)
{
	std::vector<float> out = heldBass (bpm, 4, seconds, sampleRate);
	const double samplesPerBeat = 60.0 * sampleRate / bpm;
	Noise noise;
	for (size_t b = 0; beatStart (static_cast<double> (b), samplesPerBeat) < out.size (); ++b)
	{
		const size_t at = beatStart (static_cast<double> (b), samplesPerBeat);
		if (b % 4 == 0)
			addKick (out, at, sampleRate);
		if (b % 4 == 2)
			addNoiseBurst (out, at, 0.3, 0.08, false, noise, sampleRate);
		addNoiseBurst (out, at, 0.08, 0.02, true, noise, sampleRate);
		addNoiseBurst (out, beatStart (b + 0.5, samplesPerBeat), 0.05, 0.02, true, noise, sampleRate);
	}
	return out;
}

std::vector<float> waltz (double bpm, double seconds, int32_t sampleRate)
{
	std::vector<float> out (static_cast<size_t> (seconds * sampleRate), 0.0f);
	const double samplesPerBeat = 60.0 * sampleRate / bpm;
	const size_t beatLength = static_cast<size_t> (samplesPerBeat);
	for (size_t b = 0; beatStart (static_cast<double> (b), samplesPerBeat) < out.size (); ++b)
	{
		const size_t at = beatStart (static_cast<double> (b), samplesPerBeat);
		if (b % 3 == 0)
			addNote (out, at, 3 * beatLength, midiToHz (48), 0.25, 0.6, sampleRate);
		else
			for (int note : {60, 64, 67})
				addNote (out, at, beatLength, midiToHz (note), 0.06, 0.25, sampleRate);
	}
	return out;
}

std::vector<float> mixed (const std::vector<float>& a, const std::vector<float>& b)
{
	std::vector<float> out (std::max (a.size (), b.size ()), 0.0f);
	for (size_t i = 0; i < a.size (); ++i)
		out[i] += a[i];
	for (size_t i = 0; i < b.size (); ++i)
		out[i] += b[i];
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
	const Chord five = {tonic - 5, tonic + 2, tonic + 7, tonic + 11}; // major in both modes
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
