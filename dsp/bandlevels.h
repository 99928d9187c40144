// Spectrum band levels for the display: 32 single-bin DFT bands of a Hann-windowed
// 512-sample mono block, turned into 0..1 levels with a fast rise and a slower fall.
#pragma once

#include <array>

namespace cadora {

constexpr int kDisplayBands = 32;
constexpr int kAnalysisLength = 512;

// The Hann window of the band analysis, w[i] = 0.5 - 0.5 cos(2 pi i / 511).
std::array<float, kAnalysisLength> makeAnalysisWindow ();

// Builds the module's table of band sines and cosines; call before the audio thread
// measures, so that the first measurement does not pay for it.
void prepareBandAnalysis ();

// Measures one block and updates `smoothed` in place (levels 0..1, lowest band first).
void measureBandLevels (const float* block, const float* window, float* smoothed);

} // namespace cadora
