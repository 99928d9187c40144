#include "keydetect/resolutions.h"

#include <algorithm>
#include <cmath>

namespace cadora {
namespace {

// The lowest two octaves (A1..G#3) count once more towards a chord's root: accompaniments
// play their chords in root position, melodies lie above.
constexpr int kBassBands = 2 * kBandsPerOctave;
constexpr double kBassWeight = 2.0;
// A chord is read from three neighbouring hops (about 0.7 s of music), so that a melody
// note or a broken chord's single note does not read as a chord of its own...
constexpr size_t kSmoothingHops = 1; // on each side
// ...and counts as heard once it lasted three hops (about 0.35 s).
constexpr size_t kHeldHops = 3;

struct Chord
{
	int root = -1; // pitch class counted from A; -1 for silence
	bool minor = false;

	bool operator== (const Chord& o) const { return root == o.root && minor == o.minor; }
	bool operator!= (const Chord& o) const { return !(*this == o); }
};

// The major or minor triad that the pitch-class levels fit best, its root counted once
// more in `bass`; no chord for silence.
Chord triadOf (const PitchClassLevels& pc, const PitchClassLevels& bass)
{
	Chord best;
	double total = 0.0;
	for (int i = 0; i < kBandsPerOctave; ++i)
		total += pc[i];
	if (!(total > 0.0))
		return best;
	double bestScore = -1.0;
	for (int root = 0; root < kBandsPerOctave; ++root)
		for (const bool minor : {false, true})
		{
			const int third = (root + (minor ? 3 : 4)) % kBandsPerOctave;
			const int fifth = (root + 7) % kBandsPerOctave;
			const double score = pc[root] + pc[third] + pc[fifth] + kBassWeight * bass[root];
			if (score > bestScore)
			{
				bestScore = score;
				best = {root, minor};
			}
		}
	return best;
}

// The chord of one hop's band levels, square-root compressed like the key's chroma.
Chord chordOf (const BandLevels& bands)
{
	PitchClassLevels pc {};
	PitchClassLevels bass {};
	for (int b = 0; b < kBandCount; ++b)
	{
		const double v = std::sqrt (std::max (bands[b], 0.0));
		pc[b % kBandsPerOctave] += v;
		if (b < kBassBands)
			bass[b % kBandsPerOctave] += v;
	}
	return triadOf (pc, bass);
}

Chord chordAround (const Chromagram& chroma, size_t h)
{
	const size_t first = h >= kSmoothingHops ? h - kSmoothingHops : 0;
	const size_t end = std::min (chroma.hops (), h + kSmoothingHops + 1);
	BandLevels sum {};
	for (size_t j = first; j < end; ++j)
		for (int b = 0; b < kBandCount; ++b)
			sum[b] += chroma.hop (j)[b];
	return chordOf (sum);
}

bool resolves (const Chord& from, const Chord& to)
{
	return from.root >= 0 && to.root >= 0 && !from.minor &&
	       (to.root - from.root + kBandsPerOctave) % kBandsPerOctave == 5;
}

} // namespace

ChordEvidence chordEvidence (const Chromagram& chroma)
{
	ChordEvidence e;
	Chord held;    // the last chord heard for kHeldHops
	Chord current; // the chord of the latest hops
	size_t run = 0;
	for (size_t h = 0; h < chroma.hops (); ++h)
	{
		const Chord c = chordAround (chroma, h);
		if (c.root >= 0)
			(c.minor ? e.minorHops : e.majorHops)[c.root] += 1.0;
		run = c == current ? run + 1 : 1;
		current = c;
		if (run == kHeldHops && current.root >= 0 && current != held)
		{
			if (resolves (held, current))
			{
				e.resolutions[current.root] += 1.0;
				if (current.minor)
					e.minorResolutions[current.root] += 1.0;
			}
			held = current;
		}
	}
	return e;
}

bool openedOnDominant (const PitchClassLevels& opening, const ChordEvidence& chords)
{
	const Chord chord = triadOf (opening, PitchClassLevels {});
	if (chord.root < 0 || chord.minor)
		return false;
	const int tonic = (chord.root + 5) % kBandsPerOctave;
	const double tonicHops = chords.majorHops[tonic] + chords.minorHops[tonic];
	const double openingHops = chords.majorHops[chord.root] + chords.minorHops[chord.root];
	return chords.resolutions[tonic] >= kResolutionsAfterADominantOpening &&
	       tonicHops >= kTonicShareOfADominantOpening * openingHops;
}

} // namespace cadora
