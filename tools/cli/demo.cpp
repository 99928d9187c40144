#include "tools/cli/demo.h"

#include "keydetect/keymodel.h"
#include "tools/cli/analyze.h"
#include "tools/cli/processing.h"
#include "tools/host/demomusic.h"

#include <cmath>
#include <cstdio>

namespace cadora::cli {

namespace {

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

bool runPass (const DemoClip& clip, const Audio& audio, const ProcessOptions& options, const char* title)
{
	Audio out;
	ProcessStats stats;
	std::string error;
	if (!processAudio (audio, options, out, stats, error))
	{
		std::fprintf (stderr, "cadora-cli: %s\n", error.c_str ());
		return false;
	}
	std::printf ("%s\n", title);
	std::printf ("  %zu blocks of %d samples, %.1f ms of processing (%.0fx faster than real time)\n",
	             stats.blocks, options.block, stats.cpuSeconds * 1e3, clip.seconds / stats.cpuSeconds);
	std::printf ("  reported latency %u samples (%.1f ms)\n", stats.latency,
	             1e3 * stats.latency / audio.sampleRate);
	std::printf ("  centre energy %+.1f dB, side energy %+.1f dB\n",
	             decibels (energy (out, false), energy (audio, false)),
	             decibels (energy (out, true), energy (audio, true)));
	return true;
}

void runKeyDetection (const DemoClip& clip, const Audio& audio)
{
	AnalysisResult result;
	runAnalysis (
	    audio, 512, 0, [] (const Snapshot&) {}, result);
	const char* found = keyName (result.last.key);
	std::printf ("key and tempo detection (worker in simulated time, one cycle per 150 ms):\n");
	std::printf ("  key %s (written in %s), first published after %.2f s\n", found ? found : "none",
	             clip.keyName, result.firstKeyAt);
	std::printf ("  tempo %d BPM (written at %d BPM)\n", result.last.tempo, clip.tempoBpm);
}

} // namespace

int runDemo ()
{
	const DemoClip clip = makeDemoClip ();
	Audio audio;
	audio.sampleRate = clip.sampleRate;
	audio.channels = 2;
	audio.interleaved = clip.interleaved;
	std::printf ("cadora demo: %.0f s of stereo music at %d Hz in %s, %d BPM, synthesised in memory\n",
	             clip.seconds, clip.sampleRate, clip.keyName, clip.tempoBpm);
	const bool ok = runPass (clip, audio, {0, 0.0, 512}, "pass-through (Pitch 0, Mute Strength 0):") &&
	                runPass (clip, audio, {0, 1.0, 512}, "centre removal (Mute Strength 1.0):") &&
	                runPass (clip, audio, {2, 0.0, 512}, "transposed up 2 semitones:");
	if (ok)
		runKeyDetection (clip, audio);
	return ok ? 0 : 1;
}

} // namespace cadora::cli
