#include "tools/host/demomusic.h"

#include "dsp/mathconstants.h"

#include <algorithm>
#include <cmath>

namespace cadora {

namespace {

constexpr int kRate = 44100;
constexpr double kBeat = 0.5; // 120 BPM

double midiHz (int note)
{
	return 440.0 * std::pow (2.0, (note - 69) / 12.0);
}

// A soft tone with three harmonics and an exponential decay, t seconds into the note.
double tone (double hz, double t)
{
	const double phase = 2.0 * kPi * hz * t;
	const double body = std::sin (phase) + 0.4 * std::sin (2 * phase) + 0.2 * std::sin (3 * phase);
	return body * std::exp (-1.5 * t);
}

void addSample (DemoClip& audio, size_t i, double left, double right)
{
	audio.interleaved[2 * i] += static_cast<float> (left);
	audio.interleaved[2 * i + 1] += static_cast<float> (right);
}

// G, D, Em, C: one bar (four beats) each.
const int kChords[4][3] = {{55, 59, 62}, {50, 54, 57}, {52, 55, 59}, {48, 52, 55}};
// A G-major melody, one note a beat.
const int kMelody[16] = {74, 71, 67, 71, 74, 76, 74, 69, 71, 72, 74, 72, 71, 69, 67, 67};

void addBar (DemoClip& audio, size_t first, size_t length, const int* chord)
{
	for (size_t j = 0; j < length; ++j)
	{
		const double t = static_cast<double> (j) / kRate;
		const double left = 0.10 * (tone (midiHz (chord[0]), t) + tone (midiHz (chord[2]), t));
		const double right = 0.10 * (tone (midiHz (chord[1]), t) + tone (midiHz (chord[0] + 12), t));
		const double bass = 0.18 * tone (midiHz (chord[0] - 12), std::fmod (t, 2 * kBeat));
		addSample (audio, first + j, left + bass, right + bass);
	}
}

void addBeat (DemoClip& audio, size_t first, size_t length, int melodyNote)
{
	for (size_t j = 0; j < length; ++j)
	{
		const double t = static_cast<double> (j) / kRate;
		const double lead = 0.12 * tone (midiHz (melodyNote), t);
		const double kick =
		    0.35 * std::sin (2 * kPi * (50 + 80 * std::exp (-30 * t)) * t) * std::exp (-12 * t);
		addSample (audio, first + j, lead + kick, lead + kick);
	}
}

} // namespace

DemoClip makeDemoClip (double seconds)
{
	DemoClip clip {kRate, {}, "G 大调", 20, 120, seconds};
	DemoClip& audio = clip;
	const auto frames = static_cast<size_t> (seconds * kRate);
	audio.interleaved.assign (2 * frames, 0.0f);
	const auto beat = static_cast<size_t> (kBeat * kRate);
	for (size_t b = 0; b * beat < frames; ++b)
	{
		const size_t first = b * beat;
		const size_t length = std::min (beat, frames - first);
		if (b % 4 == 0)
			addBar (audio, first, std::min (4 * beat, frames - first), kChords[(b / 4) % 4]);
		addBeat (audio, first, length, kMelody[b % 16]);
	}
	return clip;
}

} // namespace cadora
