// Cost of the process callback at 48 kHz stereo in 512-sample blocks, driven through the
// in-process host as a real host would, with and without transposition.
#include "plugin/ids.h"
#include "plugin/parameters.h"
#include "tools/host/offlinehost.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

void processBlocks (benchmark::State& state, int semitones, double mute)
{
	cadora::OfflineHost host (kRate, kBlock);
	host.setParameter (cadora::kParamPitch, cadora::pitchFromSemitones (semitones));
	host.setParameter (cadora::kParamMuteStrength, mute);
	std::vector<float> left (kBlock), right (kBlock), outL (kBlock), outR (kBlock);
	float* in[2] = {left.data (), right.data ()};
	float* out[2] = {outL.data (), outR.data ()};
	long frame = 0;
	for (auto _ : state)
	{
		state.PauseTiming ();
		for (int j = 0; j < kBlock; ++j, ++frame)
		{
			left[j] = 0.3f * std::sin (0.0571f * frame) + 0.1f * std::sin (0.31f * frame);
			right[j] = 0.3f * std::sin (0.0493f * frame) + 0.1f * std::sin (0.27f * frame);
		}
		state.ResumeTiming ();
		benchmark::DoNotOptimize (host.process (in, out, 2, kBlock));
	}
	const double seconds = static_cast<double> (state.iterations ()) * kBlock / kRate;
	state.counters["audio_s"] = seconds;
	state.counters["ns_per_audio_s"] =
	    benchmark::Counter (seconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ProcessPassThrough (benchmark::State& state)
{
	processBlocks (state, 0, 0.0);
}
void BM_ProcessMute (benchmark::State& state)
{
	processBlocks (state, 0, 0.6);
}
void BM_ProcessTransposeUp2 (benchmark::State& state)
{
	processBlocks (state, 2, 0.0);
}
void BM_ProcessTransposeUp2Mute (benchmark::State& state)
{
	processBlocks (state, 2, 0.6);
}

BENCHMARK (BM_ProcessPassThrough);
BENCHMARK (BM_ProcessMute);
BENCHMARK (BM_ProcessTransposeUp2);
BENCHMARK (BM_ProcessTransposeUp2Mute);

} // namespace

BENCHMARK_MAIN ();
