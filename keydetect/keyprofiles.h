// Key classification of a pitch-class profile: the major or minor key whose tone
// profile, rotated to each of the twelve tonics, correlates best with it. A minor key has
// two profiles, natural and with the raised seventh, and counts the better fit.
#pragma once

#include "keydetect/chromagram.h"
#include "keydetect/resolutions.h"

#include <cstdint>

namespace cadora {

// Key index (0..23) that fits `chroma` (pitch classes counted from A) best; ties go to the
// lower index. `chroma` must not be flat.
int32_t bestKeyForChroma (const PitchClassLevels& chroma);

// The key that fits `chroma` best, or a key a fifth above or below it whose tonic the music
// resolves to more often (`resolutions`, per root as resolutions.h counts them): each
// resolution more counts as much correlation as kCorrelationPerResolution. Music that opens
// on its dominant fits the dominant's key best until enough cadences are heard.
int32_t bestKeyForMusic (const PitchClassLevels& chroma, const PitchClassLevels& resolutions);
constexpr double kCorrelationPerResolution = 0.05;

// The same, read against all of the chords' evidence: a major key then gives way to the
// minor key a fifth below it once the music has resolved from the major key's tonic chord
// onto that minor chord (V to i) and plays the minor chord at least twice as long as its
// major form. Music in a major key seldom goes from I to iv, and when it borrows iv it
// plays IV more; a minor piece that dwells on its dominant fits the dominant's major key.
int32_t bestKeyForMusic (const PitchClassLevels& chroma, const ChordEvidence& chords);
constexpr double kMajorFormShareOfAMinorTonic = 0.5;

// Correlation of `chroma` with the profile of key index k (for a minor key, the better of
// its two profiles), -1..1.
double keyCorrelation (const PitchClassLevels& chroma, int32_t k);

} // namespace cadora
