#include "dsp/bandlevels.h"

#include <cmath>

namespace cadora {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr float kLevelScale = 5.8f;
constexpr float kRise = 0.98f;
constexpr float kFall = 0.8f;

// Cosine and sine of every angle n * omega of every band, each angle computed in double
// and rounded to float before its cosine and sine are taken. Built once per module.
struct BandTable
{
	float cosine[kDisplayBands][kAnalysisLength];
	float sine[kDisplayBands][kAnalysisLength];

	BandTable ()
	{
		for (int band = 0; band < kDisplayBands; ++band)
		{
			const double omega = kTwoPi * (4 * band + 1) / kAnalysisLength;
			for (int n = 0; n < kAnalysisLength; ++n)
			{
				const float angle = static_cast<float> (n * omega);
				cosine[band][n] = std::cos (angle);
				sine[band][n] = std::sin (angle);
			}
		}
	}
};

const BandTable& bandTable ()
{
	static const BandTable table;
	return table;
}

// |X| of the band's DFT bin of the windowed block, summed in single precision.
float bandMagnitude (const float* block, const float* window, int band)
{
	const BandTable& table = bandTable ();
	float re = 0.0f;
	float im = 0.0f;
	for (int n = 0; n < kAnalysisLength; ++n)
	{
		const float x = block[n] * window[n];
		re += x * table.cosine[band][n];
		im -= x * table.sine[band][n];
	}
	return std::sqrt (re * re + im * im);
}

} // namespace

void prepareBandAnalysis ()
{
	bandTable ();
}

std::array<float, kAnalysisLength> makeAnalysisWindow ()
{
	std::array<float, kAnalysisLength> w {};
	for (int i = 0; i < kAnalysisLength; ++i)
		w[i] = static_cast<float> (0.5 - 0.5 * std::cos (kTwoPi * i / (kAnalysisLength - 1)));
	return w;
}

void measureBandLevels (const float* block, const float* window, float* smoothed)
{
	for (int band = 0; band < kDisplayBands; ++band)
	{
		const float magnitude = bandMagnitude (block, window, band);
		float level = kLevelScale * std::sqrt (magnitude / kAnalysisLength);
		if (level > 1.0f)
			level = 1.0f;
		float s = smoothed[band];
		s = s + (level - s) * (level > s ? kRise : kFall);
		smoothed[band] = s;
	}
}

} // namespace cadora
