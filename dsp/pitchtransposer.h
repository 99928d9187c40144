// Semitone pitch transposer: a phase vocoder over a stereo stream that shifts pitch
// without changing duration, with a latency of one block.
#pragma once

#include <cstdint>

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
	struct Impl;
	Impl* impl;
};

} // namespace cadora
