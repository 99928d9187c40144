#include "dsp/bandlevels.h"

#include "dsp/mathconstants.h"

#include <cmath>

namespace cadora {
namespace {

constexpr float kLevelScale = 5.8f;
constexpr float kRise = 0.98f;
constexpr float kFall = 0.8f;

// Cosine and sine of every angle n * omega of every band, each angle computed in double
// and rounded to float before its cosine and sine are taken. Built once per module; laid
// out sample by sample so that all bands advance together.
struct BandTable
{
	float cosine[kAnalysisLength][kDisplayBands];
	float sine[kAnalysisLength][kDisplayBands];

	BandTable ()
	{
		for (int band = 0; band < kDisplayBands; ++band)
		{
			const double omega = kTwoPi * (4 * band + 1) / kAnalysisLength;
			for (int n = 0; n < kAnalysisLength; ++n)
			{
				const float angle = static_cast<float> (n * omega);
				cosine[n][band] = std::cos (angle);
				sine[n][band] = std::sin (angle);
			}
		}
	}
};

const BandTable& bandTable ()
{
	static const BandTable table;
	return table;
}

// |X| of every band's DFT bin of the windowed block. Each band's sums run over the
// samples in order, in single precision; the bands side by side let the compiler use
// vector instructions without changing any band's result.
void bandMagnitudes (const float* block, const float* window, float* magnitude)
{
	const BandTable& table = bandTable ();
	float re[kDisplayBands] = {};
	float im[kDisplayBands] = {};
	for (int n = 0; n < kAnalysisLength; ++n)
	{
		const float x = block[n] * window[n];
		for (int band = 0; band < kDisplayBands; ++band)
		{
			re[band] += x * table.cosine[n][band];
			im[band] -= x * table.sine[n][band];
		}
	}
	for (int band = 0; band < kDisplayBands; ++band)
		magnitude[band] = std::sqrt (re[band] * re[band] + im[band] * im[band]);
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
	float magnitude[kDisplayBands];
	bandMagnitudes (block, window, magnitude);
	for (int band = 0; band < kDisplayBands; ++band)
	{
		float level = kLevelScale * std::sqrt (magnitude[band] / kAnalysisLength);
		if (level > 1.0f)
			level = 1.0f;
		float s = smoothed[band];
		s = s + (level - s) * (level > s ? kRise : kFall);
		smoothed[band] = s;
	}
}

} // namespace cadora
