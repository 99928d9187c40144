// Cost of the key estimator's share of one key step: 0.45 s of new mono audio appended
// to a workspace that already holds a long chromagram, then the key of the chromagram.
// Reported per second of audio (items = seconds of audio).
#include "dsp/mathconstants.h"
#include "keydetect/keyestimator.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr double kStepSeconds = 0.45;

cadora::MonoBuffer chordAudio (uint32_t rate, double seconds, double offsetSeconds)
{
	const size_t n = static_cast<size_t> (seconds * rate);
	cadora::MonoBuffer audio (rate, n);
	const double notes[] = {261.63, 329.63, 392.0, 130.81};
	for (size_t i = 0; i < n; ++i)
	{
		const double t = offsetSeconds + static_cast<double> (i) / rate;
		double v = 0.0;
		for (double f : notes)
			v += 0.1 * std::sin (2.0 * cadora::kPi * f * t);
		audio.setSample (i, v);
	}
	return audio;
}

void keyStep (benchmark::State& state)
{
	const uint32_t rate = static_cast<uint32_t> (state.range (0));
	const double filledSeconds = static_cast<double> (state.range (1));
	cadora::KeyEstimator estimator;
	cadora::ChromaWorkspace workspace;
	estimator.appendToChromagram (chordAudio (rate, filledSeconds, 0.0), workspace);
	const cadora::MonoBuffer step = chordAudio (rate, kStepSeconds, filledSeconds);
	for (auto _ : state)
	{
		state.PauseTiming ();
		cadora::ChromaWorkspace copy = workspace;
		state.ResumeTiming ();
		estimator.appendToChromagram (step, copy);
		benchmark::DoNotOptimize (estimator.keyOfChromagram (copy));
	}
	// items per second = seconds of audio analysed per second of CPU.
	state.SetItemsProcessed (static_cast<int64_t> (state.iterations () * kStepSeconds));
	state.counters["cpu_per_audio_second"] =
	    benchmark::Counter (static_cast<double> (state.iterations ()) * kStepSeconds,
	                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

// Sample rate, seconds of music already in the workspace (up to the 40 s renewal).
BENCHMARK (keyStep)
    ->Args ({44100, 1})
    ->Args ({48000, 20})
    ->Args ({48000, 40})
    ->Unit (benchmark::kMicrosecond);
