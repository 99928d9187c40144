#include "dsp/vocalremover.h"

namespace cadora {
namespace {

constexpr float kLowPassCoefficient = 0.0214f;
constexpr float kMidFactor = 0.5f;
constexpr float kSideBase = 1.25f;
constexpr float kSideSlope = 0.75f;

// Hard clip to [-1, 1]; a NaN comes out as -1.
inline float clipUnit (float v)
{
	if (v > 1.0f)
		return 1.0f;
	if (v >= -1.0f)
		return v;
	return -1.0f;
}

} // namespace

void removeVocals (VocalRemoverState& state, float* left, float* right, int numSamples, float strength)
{
	if (!(strength > kVocalRemoverThreshold) || numSamples <= 0)
		return;
	const float k = 1.0f - strength;
	const float s = kSideBase - k * kSideSlope;
	float lowL = state.lowLeft;
	float lowR = state.lowRight;
	for (int j = 0; j < numSamples; ++j)
	{
		const float l = left[j];
		const float r = right[j];
		lowL = (l - lowL) * kLowPassCoefficient + lowL;
		lowR = (r - lowR) * kLowPassCoefficient + lowR;
		const float hR = r - lowR;
		const float hL = l - lowL;
		const float mid = ((hR + hL) * kMidFactor) * k;
		const float side = (hL - hR) * s;
		left[j] = clipUnit ((mid + lowL) + side);
		right[j] = clipUnit ((mid + lowR) - side);
	}
	state.lowLeft = lowL;
	state.lowRight = lowR;
}

} // namespace cadora
