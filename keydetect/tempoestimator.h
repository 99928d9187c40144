// Tempo of the music from the pending mono samples: a log-energy onset envelope at about
// 200 frames a second, the beat period of 0.3 to 1 s that its rises repeat at (beatperiod.h)
// folded into 80..160 BPM, a consensus over recent raw estimates and slow smoothing.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace cadora {

struct TempoState
{
	float tempo = 0.0f;              // current tempo in BPM; <= 0 = none yet
	float lastRawTempo = 0.0f;       // the previous raw estimate
	int32_t tempoCount = 0;          // entries in tempoHistory after the last append
	std::vector<float> tempoHistory; // up to 10 agreeing raw estimates, oldest first
	int64_t lastTempoTime = 0;       // steady-clock ns of the last raw estimate

	// Back to the values at activation.
	void clear ();
};

// One raw estimate from the samples x[0..count-1] at sampleRate, folded into
// [80, 160) BPM. Returns false when the music gives no clear beat.
bool estimateRawTempo (const float* x, size_t count, int32_t sampleRate, float& rawTempo);

// The tempo step of one detection pass that found music: a raw estimate, the consensus,
// the update of `state.tempo` and the published `tempoBpm`.
void tempoStep (TempoState& state, const float* x, size_t count, int32_t sampleRate, int64_t nowNs,
                std::atomic<int32_t>& tempoBpm);

// What is published while the music is silent: the tempo for 8 s after the last raw
// estimate, then 0.
int32_t tempoDuringSilence (const TempoState& state, int64_t nowNs);

} // namespace cadora
