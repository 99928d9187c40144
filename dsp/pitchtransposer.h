// Semitone pitch transposer: a phase vocoder over a stereo stream that shifts pitch
// without changing duration, with a latency of one block.
#pragma once

#include "dsp/spectraltransposition.h"
#include "dsp/stft.h"

#include <cstdint>
#include <vector>

namespace cadora {

class PitchTransposer
{
public:
	PitchTransposer ();
	~PitchTransposer ();
	PitchTransposer (const PitchTransposer&) = delete;
	PitchTransposer& operator= (const PitchTransposer&) = delete;

	// Sizes every buffer; called at activation, never on the audio thread.
	void configure (int channels, int blockSamples, int intervalSamples);
	// Frequency multiplier for the following blocks.
	void setTransposeFactor (float multiplier);
	// Reads inputSamples from `inputs`, writes exactly outputSamples to `outputs`
	// (arrays of `channels` pointers; inputs and outputs must not overlap).
	void processBlock (const float* const* inputs, int inputSamples, float* const* outputs,
	                   int outputSamples);
	// Block length + synthesis offset - analysis offset; 0 before the first configure.
	int32_t latencySamples () const;

private:
	bool isSilent (const float* const* inputs, int inputSamples) const;
	void enterSilenceBypass ();
	void passThrough (const float* const* inputs, int inputSamples, float* const* outputs,
	                  int outputSamples) const;
	void startFrame (const float* const* inputs, int j, int inputSamples, int outputSamples);
	void storeInput (const float* const* inputs, int upTo);
	void runFrame ();

	Stft stft;
	SpectralTransposition spectral;
	std::vector<float> scratch; // block + interval samples on their way into the history

	uint64_t samplesSinceFrame;
	bool newSpectrum = false;
	bool analysePrevious = false;
	bool mapActive = false;
	float timeFactor = 0.0f;
	uint64_t silenceCounter = 0;
	bool silenceFirst = true;
	float transposeFactor = 1.0f;
	float tonalityLimit = 0.5f;
	int channels = 0;
	int block = 0;
	int interval = 0;
	int32_t lastFrameInputPos = -1;
	int storedUpTo = 0; // how far this call's input has gone into the history
};

} // namespace cadora
