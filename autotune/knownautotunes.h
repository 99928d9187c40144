// The supported auto-tune plug-ins: the token that identifies each one's module and
// controller class, its key, scale and retune parameter ids, and the value encodings.
#pragma once

#include <cstdint>
#include <string>

namespace cadora {

struct KnownAutoTune
{
	const char* token;   // lower case, no blanks or hyphens
	uint32_t keyParamId; // 12 roots, C = 0
	uint32_t scaleParamId;
	uint32_t retuneParamId; // receives "Hardness"
	int32_t scaleCount;     // entries of the scale list
	int32_t majorScaleEntry;
	int32_t minorScaleEntry; // also the only entry read back as minor
};

constexpr int kKnownAutoTuneCount = 4;
// In match priority order; the row index is what the link remembers.
extern const KnownAutoTune kKnownAutoTunes[kKnownAutoTuneCount];

// Drops '-' and ' ', lower-cases 'A'..'Z'; every other byte passes unchanged.
std::string normaliseForMatch (const char* text);
// True when the row's token occurs in the normalised text; a null text never matches.
bool matchesToken (const KnownAutoTune& row, const char* text);
// Index of the first row whose token the text carries; -1 when none does.
int32_t findAutoTuneRow (const char* text);

// Normalised value written for a root 0..11 (C = 0).
double keyValueForRoot (int32_t root);
// Root read back from a normalised key value (nearest, clamped to 0..11).
int32_t rootFromKeyValue (double value);
// Normalised value of the scale entry for a major or minor key.
double scaleValueFor (const KnownAutoTune& row, bool minor);
// True when a normalised scale value reads back as the row's minor entry.
bool scaleValueIsMinor (const KnownAutoTune& row, double value);

} // namespace cadora
