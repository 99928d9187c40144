// Centre-vocal remover: attenuates the mid of the high band and raises its side,
// leaving each channel's low band (bass, kick) untouched. Runs in place on the output.
#pragma once

namespace cadora {

struct VocalRemoverState
{
	float lowLeft = 0.0f;  // one-pole low-pass output, left channel
	float lowRight = 0.0f; // one-pole low-pass output, right channel
};

// Strength at or below which the remover leaves the music alone.
constexpr float kVocalRemoverThreshold = 0.001f;

// Processes left/right in place with strength `strength` (0..1).
// Does nothing (and leaves the state frozen) when strength <= threshold or numSamples <= 0.
void removeVocals (VocalRemoverState& state, float* left, float* right, int numSamples, float strength);

} // namespace cadora
