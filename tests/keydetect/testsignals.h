// Synthetic test music for key and tempo detection: chords of harmonic tones, click tracks,
// drum patterns, silence, and a feeder that writes into a mono ring and runs detection passes at
// chosen times, as the processor and its worker do.
#pragma once

#include "keydetect/keydetector.h"
#include "plugin/sharedstatus.h"

#include <cstdint>
#include <vector>

namespace cadora {
namespace test {

// MIDI note numbers of one chord.
using Chord = std::vector<int>;

// Each chord for `secondsPerChord`, as tones with four harmonics, peak well below 1.
std::vector<float> chords (const std::vector<Chord>& sequence, double secondsPerChord, int32_t sampleRate);
// A short 2 kHz burst on every beat.
std::vector<float> clickTrack (double bpm, double seconds, int32_t sampleRate);
// Bursts on every beat divided into `clicksPerBeat`, each scaled by the next of `accents`
// in turn (0 = no click).
std::vector<float> accentedClicks (double bpm, int clicksPerBeat, const std::vector<float>& accents,
                                   double seconds, int32_t sampleRate);
// A low note (55 Hz, then a whole tone higher, by turns) held through each bar of
// `beatsPerBar` beats: the kind of tone whose cycle makes the energy of short frames ripple.
std::vector<float> heldBass (double bpm, int beatsPerBar, double seconds, int32_t sampleRate);
// 4/4 with kick on the first beat, snare on the third and a hi-hat on every eighth, over a
// bass note held through each bar.
std::vector<float> halfTimeDrums (double bpm, double seconds, int32_t sampleRate);
// 3/4 without drums: a low note on the first beat of the bar, a chord on the second and the
// third.
std::vector<float> waltz (double bpm, double seconds, int32_t sampleRate);
// Sample by sample sum; as long as the longer one.
std::vector<float> mixed (const std::vector<float>& a, const std::vector<float>& b);
std::vector<float> silence (double seconds, int32_t sampleRate);
std::vector<float> joined (const std::vector<std::vector<float>>& parts);

// I-IV-V-I in a major key, i-iv-V-i in a minor key (the V with the raised leading tone),
// on the tonic given as a MIDI note in the octave above middle C.
std::vector<Chord> cadence (int tonic, bool minor);

// The processor's 8-second ring and its count of written samples, and one key detector
// whose findings are published into `status` as the worker publishes them.
class RingFeeder
{
public:
	RingFeeder (SharedStatus& status, int32_t sampleRate, double ringSeconds = 8.0);

	// Writes samples into the ring, as the audio thread does.
	void write (const std::vector<float>& samples);
	// One detection pass at `nowNs`, taking the status' re-detect request.
	void pass (int64_t nowNs);
	// Writes `samples` in 150 ms portions with a pass after each, the clock advancing with
	// the audio; returns the time of the last pass.
	int64_t play (const std::vector<float>& samples);

	SharedStatus& status;
	KeyDetector detector;
	MonoRing ring;
	uint64_t written = 0;
	int32_t rate;
	int64_t now = 1000000000; // the next pass time, in steady-clock ns
};

} // namespace test
} // namespace cadora
