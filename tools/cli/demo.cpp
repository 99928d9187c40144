#include "tools/cli/demo.h"

#include "tools/cli/processing.h"

#include <cmath>
#include <cstdio>

namespace cadora::cli {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kRate = 44100;
constexpr double kSeconds = 12.0;
constexpr double kBeat = 0.5;  // 120 BPM

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

void addSample (Audio& audio, size_t i, double left, double right)
{
	audio.interleaved[2 * i] += static_cast<float> (left);
	audio.interleaved[2 * i + 1] += static_cast<float> (right);
}

// G, D, Em, C: one bar (four beats) each.
const int kChords[4][3] = {{55, 59, 62}, {50, 54, 57}, {52, 55, 59}, {48, 52, 55}};
// A G-major melody, one note a beat.
const int kMelody[16] = {74, 71, 67, 71, 74, 76, 74, 69, 71, 72, 74, 72, 71, 69, 67, 67};

void addBar (Audio& audio, size_t first, size_t length, const int* chord)
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

void addBeat (Audio& audio, size_t first, size_t length, int melodyNote)
{
	for (size_t j = 0; j < length; ++j)
	{
		const double t = static_cast<double> (j) / kRate;
		const double lead = 0.12 * tone (midiHz (melodyNote), t);
		const double kick = 0.35 * std::sin (2 * kPi * (50 + 80 * std::exp (-30 * t)) * t) * std::exp (-12 * t);
		addSample (audio, first + j, lead + kick, lead + kick);
	}
}

double energy (const Audio& audio, bool side)
{
	double sum = 0.0;
	for (size_t i = 0; i < audio.frames (); ++i)
	{
		const double l = audio.interleaved[2 * i];
		const double r = audio.interleaved[2 * i + 1];
		const double v = side ? 0.5 * (l - r) : 0.5 * (l + r);
		sum += v * v;
	}
	return sum / std::max<size_t> (audio.frames (), 1);
}

double decibels (double after, double before)
{
	return 10.0 * std::log10 ((after + 1e-20) / (before + 1e-20));
}

bool runPass (const DemoClip& clip, const ProcessOptions& options, const char* title)
{
	Audio out;
	ProcessStats stats;
	std::string error;
	if (!processAudio (clip.audio, options, out, stats, error))
	{
		std::fprintf (stderr, "cadora-cli: %s\n", error.c_str ());
		return false;
	}
	std::printf ("%s\n", title);
	std::printf ("  %zu blocks of %d samples, %.1f ms of processing (%.0fx faster than real time)\n",
	             stats.blocks, options.block, stats.cpuSeconds * 1e3, kSeconds / stats.cpuSeconds);
	std::printf ("  reported latency %u samples (%.1f ms)\n", stats.latency,
	             1e3 * stats.latency / clip.audio.sampleRate);
	std::printf ("  centre energy %+.1f dB, side energy %+.1f dB\n",
	             decibels (energy (out, false), energy (clip.audio, false)),
	             decibels (energy (out, true), energy (clip.audio, true)));
	return true;
}

} // namespace

DemoClip makeDemoClip ()
{
	DemoClip clip {{}, "G 大调", 20, 120};
	Audio& audio = clip.audio;
	audio.sampleRate = kRate;
	audio.channels = 2;
	const auto frames = static_cast<size_t> (kSeconds * kRate);
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

int runDemo ()
{
	const DemoClip clip = makeDemoClip ();
	std::printf ("cadora demo: %.0f s of stereo music at %d Hz in %s, %d BPM, synthesised in memory\n",
	             kSeconds, clip.audio.sampleRate, clip.keyName, clip.tempoBpm);
	const bool ok = runPass (clip, {0, 0.0, 512}, "pass-through (Pitch 0, Mute Strength 0):") &&
	                runPass (clip, {0, 1.0, 512}, "centre removal (Mute Strength 1.0):") &&
	                runPass (clip, {2, 0.0, 512}, "transposed up 2 semitones:");
	return ok ? 0 : 1;
}

} // namespace cadora::cli
