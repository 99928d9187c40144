#include "dsp/bandlevels.h"

#include <cmath>

namespace cadora {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr float kLevelScale = 5.8f;
constexpr float kRise = 0.98f;
constexpr float kFall = 0.8f;

// |X| of the single DFT bin `bin` of the windowed block, summed in single precision.
float binMagnitude (const float* block, const float* window, int bin)
{
	const double omega = kTwoPi * bin / kAnalysisLength;
	float re = 0.0f;
	float im = 0.0f;
	for (int n = 0; n < kAnalysisLength; ++n)
	{
		const float angle = static_cast<float> (n * omega);
		const float x = block[n] * window[n];
		re += x * std::cos (angle);
		im -= x * std::sin (angle);
	}
	return std::sqrt (re * re + im * im);
}

} // namespace

std::array<float, kAnalysisLength> makeAnalysisWindow ()
{
	std::array<float, kAnalysisLength> w {};
	for (int i = 0; i < kAnalysisLength; ++i)
		w[i] = static_cast<float> (0.5 - 0.5 * std::cos (kTwoPi * i / (kAnalysisLength - 1)));
	return w;
}

void measureBandLevels (const float* block, const float* window, float* smoothed)
{
	for (int band = 0; band < kBandCount; ++band)
	{
		const float magnitude = binMagnitude (block, window, 4 * band + 1);
		float level = kLevelScale * std::sqrt (magnitude / kAnalysisLength);
		if (level > 1.0f)
			level = 1.0f;
		float s = smoothed[band];
		s = s + (level - s) * (level > s ? kRise : kFall);
		smoothed[band] = s;
	}
}

} // namespace cadora
