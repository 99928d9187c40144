// Cost of one tempo step of the detection pass: the onset envelope and the beat period of a
// full pending buffer (8 s of music, the most a pass ever sees), then the consensus. The
// worker runs one such step every 150 ms cycle.
#include "dsp/mathconstants.h"
#include "keydetect/tempoestimator.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <vector>

namespace {

using cadora::kPi;
constexpr double kPendingSeconds = 8.0;

// A chord held under a kick-like burst on every beat at 120 BPM: a beat the estimator
// accepts, so that the whole step runs.
std::vector<float> beatAudio (int32_t rate)
{
	const size_t n = static_cast<size_t> (kPendingSeconds * rate);
	const size_t beat = static_cast<size_t> (rate / 2);
	std::vector<float> x (n);
	for (size_t i = 0; i < n; ++i)
	{
		const double t = static_cast<double> (i) / rate;
		const double sinceBeat = static_cast<double> (i % beat) / rate;
		double v = 0.05 * (std::sin (2.0 * kPi * 261.63 * t) + std::sin (2.0 * kPi * 392.0 * t));
		v += 0.5 * std::exp (-sinceBeat / 0.05) * std::sin (2.0 * kPi * 80.0 * sinceBeat);
		x[i] = static_cast<float> (v);
	}
	return x;
}

void tempoStepCost (benchmark::State& state)
{
	const int32_t rate = static_cast<int32_t> (state.range (0));
	const std::vector<float> x = beatAudio (rate);
	cadora::TempoState tempo;
	std::atomic<int32_t> tempoBpm {0};
	int64_t now = 1000000000;
	for (auto _ : state)
	{
		cadora::tempoStep (tempo, x.data (), x.size (), rate, now, tempoBpm);
		now += 150000000;
	}
	state.counters["bpm"] = tempoBpm.load ();
}

} // namespace

BENCHMARK (tempoStepCost)->Arg (44100)->Arg (48000)->Arg (96000)->Unit (benchmark::kMicrosecond);
