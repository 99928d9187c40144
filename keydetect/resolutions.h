// Where the music resolves: a major chord followed by the chord a fourth above it (the bass
// rising a fourth, the major third rising a semitone onto the new root) is heard as a
// dominant resolving to its tonic. Counting these hears what pitch-class profiles cannot:
// music that opens on its dominant fits the dominant's key until it cadences.
#pragma once

#include "keydetect/chromagram.h"

namespace cadora {

// What a chromagram's chords say about its key, per root (pitch class counted from A).
struct ChordEvidence
{
	// How often the music resolved from the major chord a fifth above onto a chord rooted
	// here, and how many of those resolutions landed on the minor chord (V to i).
	PitchClassLevels resolutions {};
	PitchClassLevels minorResolutions {};
	// Hops whose chord is the major or the minor triad on this root.
	PitchClassLevels majorHops {};
	PitchClassLevels minorHops {};
};

// All zero for silence; no resolution for a single chord.
ChordEvidence chordEvidence (const Chromagram& chroma);

// Whether the music opened on a dominant: the triad that `opening` (pitch-class levels of
// the opening) fits best is major, the music has since resolved from that chord onto the
// chord a fourth above at least twice, and dwells on that chord (major or minor) at least
// half as long as on the opening's. Such an opening says nothing of the tonic; a tonic that
// moves on to its IV keeps being heard far longer than the IV.
bool openedOnDominant (const PitchClassLevels& opening, const ChordEvidence& chords);
constexpr double kResolutionsAfterADominantOpening = 2.0;
constexpr double kTonicShareOfADominantOpening = 0.5;

} // namespace cadora
