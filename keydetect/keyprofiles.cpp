#include "keydetect/keyprofiles.h"

#include "keydetect/keymodel.h"

#include <cmath>

namespace cadora {
namespace {

// Krumhansl and Kessler's probe-tone ratings, tonic first.
constexpr double kMajorProfile[kBandsPerOctave] = {6.35, 2.23, 3.48, 2.33, 4.38, 4.09,
                                                   2.52, 5.19, 2.39, 3.66, 2.29, 2.88};
constexpr double kMinorProfile[kBandsPerOctave] = {6.33, 2.68, 3.52, 5.38, 2.60, 3.53,
                                                   2.54, 4.75, 3.98, 2.69, 3.34, 3.17};

// Pearson correlation of x with the profile p rotated so that its tonic lies on `tonic`.
double correlation (const PitchClassLevels& x, const double* p, int tonic)
{
	double meanX = 0.0;
	double meanP = 0.0;
	for (int i = 0; i < kBandsPerOctave; ++i)
	{
		meanX += x[i];
		meanP += p[i];
	}
	meanX /= kBandsPerOctave;
	meanP /= kBandsPerOctave;
	double sxy = 0.0;
	double sxx = 0.0;
	double syy = 0.0;
	for (int i = 0; i < kBandsPerOctave; ++i)
	{
		const double dx = x[(tonic + i) % kBandsPerOctave] - meanX;
		const double dp = p[i] - meanP;
		sxy += dx * dp;
		sxx += dx * dx;
		syy += dp * dp;
	}
	if (sxx <= 0.0)
		return 0.0;
	return sxy / std::sqrt (sxx * syy);
}

} // namespace

double keyCorrelation (const PitchClassLevels& chroma, int32_t k)
{
	// Key index k has its tonic k / 2 semitones above A; odd indices are minor.
	const double* profile = keyIndexIsMinor (k) ? kMinorProfile : kMajorProfile;
	return correlation (chroma, profile, k / 2);
}

int32_t bestKeyForChroma (const PitchClassLevels& chroma)
{
	int32_t best = 0;
	double bestScore = keyCorrelation (chroma, 0);
	for (int32_t k = 1; k < kKeyCount; ++k)
	{
		const double score = keyCorrelation (chroma, k);
		if (score > bestScore)
		{
			bestScore = score;
			best = k;
		}
	}
	return best;
}

} // namespace cadora
