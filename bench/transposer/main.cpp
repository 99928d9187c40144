// Transposer benchmark: our phase vocoder against Rubber Band (R3 finer, R2 faster) and
// SoundTouch, all streamed in 512-sample blocks at 44.1 kHz. Prints CPU per second of audio on
// 30 s of music, pitch error and residual on a steady 440 Hz sine, end-to-end latency, and the
// worst single-block time of ours for 64-sample blocks at 48 kHz.
//
//   bench_transposer [--music WAV_OR_TEST_MUSIC_DIR] [--seconds S]
#include "engines.h"
#include "measures.h"
#include "signals.h"
#include "tonemeasure.h"

#include "dsp/pitchtransposer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace cadora::bench {
namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 512;
constexpr int kSemitones[] = {2, -3};
constexpr EngineKind kEngines[] = {EngineKind::cadora, EngineKind::rubberBandR3, EngineKind::rubberBandR2,
                                   EngineKind::soundTouch};

double threadCpuSeconds ()
{
	timespec ts {};
	clock_gettime (CLOCK_THREAD_CPUTIME_ID, &ts);
	return static_cast<double> (ts.tv_sec) + 1e-9 * static_cast<double> (ts.tv_nsec);
}

// Streams `in` through the engine in blocks; cpuSeconds receives the thread CPU time spent.
Stereo streamThrough (StreamingEngine& engine, const Stereo& in, int block, double& cpuSeconds)
{
	Stereo out {std::vector<float> (in.size ()), std::vector<float> (in.size ())};
	cpuSeconds = 0.0;
	for (std::size_t p = 0; p + static_cast<std::size_t> (block) <= in.size (); p += static_cast<std::size_t> (block))
	{
		const float* inputs[2] = {in.left.data () + p, in.right.data () + p};
		float* outputs[2] = {out.left.data () + p, out.right.data () + p};
		const double start = threadCpuSeconds ();
		engine.process (inputs, outputs, block);
		cpuSeconds += threadCpuSeconds () - start;
	}
	return out;
}

struct Run
{
	Stereo output;
	double cpuSeconds;
	int underruns;
};

// One engine over one signal, started with the least silence that lets it stream without gaps
// (found by a first run of the same signal).
Run stream (EngineKind kind, int semitones, const Stereo& in)
{
	double cpu;
	auto probe = makeEngine (kind, kRate, kBlock, semitones, 0);
	streamThrough (*probe, in, kBlock, cpu);
	auto engine = makeEngine (kind, kRate, kBlock, semitones, probe->neededStartDelay ());
	Run run;
	run.output = streamThrough (*engine, in, kBlock, run.cpuSeconds);
	run.underruns = engine->underruns ();
	return run;
}

struct Figures
{
	double cpuPercent[2] = {};   // per transposition
	double pitchCents[2] = {};
	double residualDb[2] = {};
	double latencyMs[2] = {};
	int underruns = 0;

	double meanCpu () const { return 0.5 * (cpuPercent[0] + cpuPercent[1]); }
	double worstPitch () const { return std::max (std::fabs (pitchCents[0]), std::fabs (pitchCents[1])); }
	double worstResidual () const { return std::max (residualDb[0], residualDb[1]); }
	double maxLatency () const { return std::max (latencyMs[0], latencyMs[1]); }
};

Figures measureEngine (EngineKind kind, const Stereo& music)
{
	Figures f;
	const auto sineLength = static_cast<std::size_t> (10.0 * kRate);
	const Stereo steady = sine (sineLength, 440.0, kRate, 0.5f);
	const auto pulseLength = static_cast<std::size_t> (3.0 * kRate);
	const Stereo pulse = tonePulse (pulseLength, 440.0, kRate, 1.5 * kRate, 0.03 * kRate);
	for (int t = 0; t < 2; ++t)
	{
		const int semitones = kSemitones[t];
		const double expected = 440.0 * std::pow (2.0, semitones / 12.0);
		const Run onMusic = stream (kind, semitones, music);
		f.cpuPercent[t] = 100.0 * onMusic.cpuSeconds / (static_cast<double> (music.size ()) / kRate);

		const Run onSine = stream (kind, semitones, steady);
		const auto begin = static_cast<std::size_t> (2.0 * kRate);
		const double measured = tonemeasure::frequency (onSine.output.left, begin, static_cast<std::size_t> (7.0 * kRate), expected, kRate);
		f.pitchCents[t] = tonemeasure::cents (measured, expected);
		f.residualDb[t] = residualDb (onSine.output.left, begin, expected, kRate, 8.0);

		const Run onPulse = stream (kind, semitones, pulse);
		f.underruns += onMusic.underruns + onSine.underruns + onPulse.underruns;
		double inEnergy, outEnergy;
		const double delay = tonemeasure::energyCentre (onPulse.output.left, outEnergy) - tonemeasure::energyCentre (pulse.left, inEnergy);
		f.latencyMs[t] = 1000.0 * delay / kRate;
	}
	return f;
}

// Per-call wall and CPU time of our engine for small host blocks.
void worstBlockTime (const Stereo& music, double rate, int block)
{
	using Clock = std::chrono::steady_clock;
	std::vector<double> wall;
	double worstCpu = 0.0;
	for (const int semitones : kSemitones)
	{
		auto engine = makeEngine (EngineKind::cadora, rate, block, semitones, 0);
		std::vector<float> outL (static_cast<std::size_t> (block)), outR (static_cast<std::size_t> (block));
		float* outputs[2] = {outL.data (), outR.data ()};
		for (std::size_t p = 0; p + static_cast<std::size_t> (block) <= music.size (); p += static_cast<std::size_t> (block))
		{
			const float* inputs[2] = {music.left.data () + p, music.right.data () + p};
			const double cpuStart = threadCpuSeconds ();
			const auto start = Clock::now ();
			engine->process (inputs, outputs, block);
			wall.push_back (std::chrono::duration<double, std::micro> (Clock::now () - start).count ());
			worstCpu = std::max (worstCpu, 1e6 * (threadCpuSeconds () - cpuStart));
		}
	}
	std::sort (wall.begin (), wall.end ());
	const auto at = [&] (double q) { return wall[static_cast<std::size_t> (q * static_cast<double> (wall.size () - 1))]; };
	double mean = 0.0;
	for (double w : wall)
		mean += w;
	mean /= static_cast<double> (wall.size ());
	std::printf ("\nOurs, %d-sample blocks at %.0f Hz (budget %.0f us per block), %zu blocks, +2 and -3 semitones:\n",
	             block, rate, 1e6 * block / rate, wall.size ());
	std::printf ("  wall time per block: mean %.1f us, median %.1f us, 99.9%% %.1f us, worst %.1f us\n", mean, at (0.5),
	             at (0.999), wall.back ());
	std::printf ("  worst CPU time of one block: %.1f us\n", worstCpu);
}

void printTable (const Figures (&figures)[4])
{
	const double ours = figures[0].meanCpu ();
	std::printf ("\n%-25s %9s %9s %7s %11s %11s %12s %12s %10s\n", "engine", "CPU +2", "CPU -3", "ratio",
	             "pitch +2", "pitch -3", "resid +2", "resid -3", "latency");
	std::printf ("%-25s %9s %9s %7s %11s %11s %12s %12s %10s\n", "", "(%)", "(%)", "to ours", "(cents)", "(cents)",
	             "(dB)", "(dB)", "(ms)");
	for (std::size_t e = 0; e < 4; ++e)
	{
		const Figures& f = figures[e];
		std::printf ("%-25s %9.3f %9.3f %7.2f %11.5f %11.5f %12.1f %12.1f %10.2f", engineName (kEngines[e]).c_str (),
		             f.cpuPercent[0], f.cpuPercent[1], f.meanCpu () / ours, f.pitchCents[0], f.pitchCents[1],
		             f.residualDb[0], f.residualDb[1], f.maxLatency ());
		if (f.underruns > 0)
			std::printf ("  (%d underruns)", f.underruns);
		std::printf ("\n");
	}
}

void printTargets (const Figures (&figures)[4])
{
	const Figures& ours = figures[0];
	const auto verdict = [] (bool ok) { return ok ? "met" : "NOT met"; };
	double otherLatency = 1e9;
	for (std::size_t e = 1; e < 4; ++e)
		otherLatency = std::min (otherLatency, std::min (figures[e].latencyMs[0], figures[e].latencyMs[1]));
	std::printf ("\nTargets for ours:\n");
	std::printf ("  CPU <= 1/10 of R3: %.3f%% vs %.3f%% -> %s\n", ours.meanCpu (), figures[1].meanCpu () / 10.0,
	             verdict (ours.meanCpu () <= figures[1].meanCpu () / 10.0));
	std::printf ("  CPU <= 1/3 of R2:  %.3f%% vs %.3f%% -> %s\n", ours.meanCpu (), figures[2].meanCpu () / 3.0,
	             verdict (ours.meanCpu () <= figures[2].meanCpu () / 3.0));
	std::printf ("  pitch error < 0.01 cent: %.5f -> %s\n", ours.worstPitch (), verdict (ours.worstPitch () < 0.01));
	std::printf ("  residual <= R3's: %.1f dB vs %.1f dB -> %s\n", ours.worstResidual (), figures[1].worstResidual (),
	             verdict (ours.worstResidual () <= figures[1].worstResidual ()));
	std::printf ("  latency 40 ms, below every other engine: %.2f ms (lowest other %.2f ms) -> %s\n", ours.maxLatency (),
	             otherLatency, verdict (std::fabs (ours.maxLatency () - 40.0) < 0.15 && ours.maxLatency () < otherLatency));
}

int run (int argc, char** argv)
{
	std::string musicPath;
	double seconds = 30.0;
	for (int i = 1; i < argc; ++i)
	{
		if (std::strcmp (argv[i], "--music") == 0 && i + 1 < argc)
			musicPath = argv[++i];
		else if (std::strcmp (argv[i], "--seconds") == 0 && i + 1 < argc)
			seconds = std::atof (argv[++i]);
		else
		{
			std::fprintf (stderr, "usage: %s [--music WAV_OR_TEST_MUSIC_DIR] [--seconds S]\n", argv[0]);
			return 2;
		}
	}
	std::string description;
	const Stereo music = loadMusic (musicPath, seconds, kRate, description);
	if (music.size () == 0)
	{
		std::fprintf (stderr, "no %.0f s of audio in %s\n", seconds, musicPath.c_str ());
		return 1;
	}
	std::printf ("Music: %.0f s of %s; %d-sample blocks at %.0f Hz; transpositions +2 and -3 semitones.\n", seconds,
	             description.c_str (), kBlock, kRate);
	std::printf ("CPU: thread CPU time per second of audio. Pitch and residual: 440 Hz sine, 0.5 amplitude,\n"
	             "measured 2 s in (residual: energy outside +-8 Hz of the expected partial). Latency: energy\n"
	             "centre of a 440 Hz tone pulse, output against input, streamed n samples in, n out.\n");

	Figures figures[4];
	for (std::size_t e = 0; e < 4; ++e)
		figures[e] = measureEngine (kEngines[e], music);
	printTable (figures);
	printTargets (figures);
	worstBlockTime (music, 48000.0, 64);
	return 0;
}

} // namespace
} // namespace cadora::bench

int main (int argc, char** argv) { return cadora::bench::run (argc, argv); }
