// Test signals of the transposer benchmark: music from a WAV file or the test-music folder,
// a synthetic stand-in when none is given, steady sines and tone pulses.
#pragma once

#include <string>
#include <vector>

namespace cadora::bench {

struct Stereo
{
	std::vector<float> left, right;
	std::size_t size () const { return left.size (); }
};

// `seconds` of stereo music at `sampleRate`: from a WAV file, or from the first pieces of a
// test-music folder (OUTDIR of make-test-music.sh, its wav/pNN.wav mixes) played one after the
// other; the file is taken as it is, whatever its own rate. An empty path gives a synthetic mix of
// chords, bass and noise hits. Fails (empty result) when the path holds no readable audio.
Stereo loadMusic (const std::string& path, double seconds, double sampleRate, std::string& description);

Stereo sine (std::size_t length, double frequency, double sampleRate, float amplitude);

// Equal-amplitude sines at `frequencies`, together peaking below full scale.
Stereo chord (std::size_t length, const std::vector<double>& frequencies, double sampleRate);

// A sine under a Gaussian envelope of standard deviation `width` samples centred at `centre`.
Stereo tonePulse (std::size_t length, double frequency, double sampleRate, double centre, double width);

// Single-sample clicks of height 0.5 at first, first + period, ... (in samples).
Stereo clickTrain (std::size_t length, std::size_t first, std::size_t period);

} // namespace cadora::bench
