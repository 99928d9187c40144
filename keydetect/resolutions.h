// Where the music resolves: a major chord followed by the chord a fourth above it (the bass
// rising a fourth, the major third rising a semitone onto the new root) is heard as a
// dominant resolving to its tonic. Counting these hears what pitch-class profiles cannot:
// music that opens on its dominant fits the dominant's key until it cadences.
#pragma once

#include "keydetect/chromagram.h"

namespace cadora {

// Per pitch class (counted from A): how often the chromagram's chords resolve from the
// major chord a fifth above onto a chord rooted there. All zero for silence or one chord.
PitchClassLevels resolutionsByRoot (const Chromagram& chroma);

} // namespace cadora
