// Our key-estimation library: mono audio with a frame rate goes into a workspace that
// holds a progressive chromagram (one hop per analysis frame); the key of the chromagram
// so far is a key index 0..23 (see keymodel.h) or kSilenceKey.
//
// Method: low-pass and decimate to about 4.4 kHz, Blackman-windowed FFT frames of 0.46 s
// every 0.12 s, FFT bins mapped onto semitone bands over five octaves, each hop normalised
// and folded into twelve pitch classes, summed over time with the opening of the music
// counted more (unless it was a dominant), and the best-correlating major or minor tone
// profile (keyprofiles.h), or a key a fifth from it that the music's chords resolve to more
// often, or the minor key that a major key's tonic chord resolves to as its V (resolutions.h).
#pragma once

#include "keydetect/chromagram.h"
#include "keydetect/decimator.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace cadora {

constexpr int32_t kSilenceKey = 24;

// Invalid input: a non-finite sample, a frame rate of 0, or a frame rate that differs
// from the one the workspace started with.
class KeyEstimationError : public std::runtime_error
{
public:
	using std::runtime_error::runtime_error;
};

// Mono samples with their frame rate.
class MonoBuffer
{
public:
	MonoBuffer () = default;
	MonoBuffer (uint32_t frameRate, size_t sampleCount) : rate (frameRate), data (sampleCount, 0.0) {}

	uint32_t frameRate () const { return rate; }
	void setFrameRate (uint32_t frameRate) { rate = frameRate; }
	size_t size () const { return data.size (); }
	void resize (size_t sampleCount) { data.resize (sampleCount, 0.0); }
	void setSample (size_t i, double value) { data[i] = value; }
	double sample (size_t i) const { return data[i]; }
	const double* samples () const { return data.data (); }

private:
	uint32_t rate = 0;
	std::vector<double> data;
};

// A key index (or kSilenceKey) with the evidence of cadences behind it.
struct KeyReading
{
	int32_t key = kSilenceKey;
	PitchClassLevels resolutions {};
};

// The progressive analysis state of one stretch of music.
class ChromaWorkspace
{
public:
	const Chromagram& chromagram () const { return chroma; }

private:
	friend class KeyEstimator;
	uint32_t frameRate = 0; // 0 until the first audio arrives
	Decimator decimator;
	std::vector<double> frameSamples; // decimated samples from the next frame's start on
	Chromagram chroma;
};

// Follows one stream of music, workspace after workspace: besides the workspace's
// chromagram, every key decision counts the opening of that music once more, since music
// tends to start on its tonic. Make a new estimator for new music.
class KeyEstimator
{
public:
	KeyEstimator ();
	~KeyEstimator ();
	KeyEstimator (const KeyEstimator&) = delete;
	KeyEstimator& operator= (const KeyEstimator&) = delete;

	// Adds the analysis of `audio`, which follows whatever the workspace has seen, to the
	// workspace's chromagram. Throws KeyEstimationError (leaving the workspace unchanged)
	// for invalid input.
	void appendToChromagram (const MonoBuffer& audio, ChromaWorkspace& workspace);

	// Key of the workspace's chromagram so far; kSilenceKey when it holds nothing but silence.
	int32_t keyOfChromagram (const ChromaWorkspace& workspace) const;
	// The same key with the chromagram's resolutions per tonic (resolutions.h) that helped
	// decide it, all zero for silence.
	KeyReading readKey (const ChromaWorkspace& workspace) const;

private:
	struct Analysis;
	std::unique_ptr<Analysis> analysis;
	PitchClassLevels opening {}; // the first 1.5 s of music, hop by hop normalised
	size_t openingHops = 0;

	void analyseFrames (ChromaWorkspace& workspace);
	void rememberOpening (const BandLevels& bands, double decimatedRate);
};

} // namespace cadora
