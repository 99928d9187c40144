#include "keydetect/keyprofiles.h"

#include "keydetect/keymodel.h"

#include <algorithm>
#include <cmath>

namespace cadora {
namespace {

using Profile = std::array<double, kBandsPerOctave>;

// Temperley's major and minor key profiles (from the Kostka-Payne corpus), tonic first:
// how often each scale degree occurs in music of that mode.
constexpr Profile kMajorDegrees = {0.748, 0.060, 0.488, 0.082, 0.670, 0.460,
                                   0.096, 0.715, 0.104, 0.366, 0.057, 0.400};
constexpr Profile kMinorDegrees = {0.712, 0.084, 0.474, 0.618, 0.049, 0.460,
                                   0.105, 0.747, 0.404, 0.067, 0.300, 0.330};
// The same minor with its seventh raised, as composed music has it wherever the dominant
// leads home (a major V chord, a leading note at the cadence): without it, a minor piece
// that dwells on its dominant reads as the dominant's major key. Natural-minor music keeps
// the profile above, so a minor key is judged by whichever of the two it fits better.
constexpr Profile kHarmonicMinorDegrees = {0.712, 0.084, 0.474, 0.618, 0.049, 0.460,
                                           0.105, 0.747, 0.404, 0.067, 0.150, 0.550};

// A played note also sounds in the chroma at its harmonics: harmonic h lands this many
// semitones above the note (mod 12) with weight kHarmonicDecay^(h-1). The decay is steep
// because the analysis low-passes at about 1.8 kHz, which removes the upper harmonics of
// all but the lowest notes.
constexpr int kHarmonicCount = 6;
constexpr int kHarmonicOffsets[kHarmonicCount] = {0, 0, 7, 0, 4, 7};
constexpr double kHarmonicDecay = 0.3;

// The chroma that notes distributed like `degrees` produce, harmonics included.
Profile withHarmonics (const Profile& degrees)
{
	Profile p {};
	for (int note = 0; note < kBandsPerOctave; ++note)
	{
		double weight = 1.0;
		for (int h = 0; h < kHarmonicCount; ++h)
		{
			p[(note + kHarmonicOffsets[h]) % kBandsPerOctave] += degrees[note] * weight;
			weight *= kHarmonicDecay;
		}
	}
	return p;
}

const Profile& majorProfile ()
{
	static const Profile p = withHarmonics (kMajorDegrees);
	return p;
}

const Profile& minorProfile ()
{
	static const Profile p = withHarmonics (kMinorDegrees);
	return p;
}

const Profile& harmonicMinorProfile ()
{
	static const Profile p = withHarmonics (kHarmonicMinorDegrees);
	return p;
}

// Pearson correlation of x with the profile p rotated so that its tonic lies on `tonic`.
double correlation (const PitchClassLevels& x, const Profile& p, int tonic)
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
	double spp = 0.0;
	for (int i = 0; i < kBandsPerOctave; ++i)
	{
		const double dx = x[(tonic + i) % kBandsPerOctave] - meanX;
		const double dp = p[i] - meanP;
		sxy += dx * dp;
		sxx += dx * dx;
		spp += dp * dp;
	}
	if (sxx <= 0.0)
		return 0.0;
	return sxy / std::sqrt (sxx * spp);
}

} // namespace

double keyCorrelation (const PitchClassLevels& chroma, int32_t k)
{
	// Key index k has its tonic k / 2 semitones above A; odd indices are minor.
	const int tonic = k / 2;
	if (!keyIndexIsMinor (k))
		return correlation (chroma, majorProfile (), tonic);
	return std::max (correlation (chroma, minorProfile (), tonic),
	                 correlation (chroma, harmonicMinorProfile (), tonic));
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

int32_t bestKeyForMusic (const PitchClassLevels& chroma, const PitchClassLevels& resolutions)
{
	const int32_t fit = bestKeyForChroma (chroma);
	const int fitTonic = fit / 2;
	int32_t best = fit;
	double bestScore = keyCorrelation (chroma, fit);
	for (int32_t k = 0; k < kKeyCount; ++k)
	{
		// Only keys a fifth away: a resolution into the relative key's tonic is as often a
		// passing one (VII to III in a minor key), and the profiles tell relatives apart.
		const int interval = (k / 2 - fitTonic + kBandsPerOctave) % kBandsPerOctave;
		if (interval != 5 && interval != 7)
			continue;
		const double more = std::max (0.0, resolutions[k / 2] - resolutions[fitTonic]);
		const double score = keyCorrelation (chroma, k) + kCorrelationPerResolution * more;
		if (score > bestScore)
		{
			bestScore = score;
			best = k;
		}
	}
	return best;
}

int32_t bestKeyForMusic (const PitchClassLevels& chroma, const ChordEvidence& chords)
{
	const int32_t key = bestKeyForMusic (chroma, chords.resolutions);
	if (keyIndexIsMinor (key))
		return key;
	// Key index k has its tonic k / 2 semitones above A; the minor key a fifth below has
	// its tonic a fourth above.
	const int minorTonic = (key / 2 + 5) % kBandsPerOctave;
	if (chords.minorResolutions[minorTonic] < 1.0 ||
	    chords.majorHops[minorTonic] > kMajorFormShareOfAMinorTonic * chords.minorHops[minorTonic])
		return key;
	return 2 * minorTonic + 1;
}

} // namespace cadora
