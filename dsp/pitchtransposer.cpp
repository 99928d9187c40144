#include "dsp/pitchtransposer.h"

#include "dsp/samples.h" // non-finite input enters the engine as 0, so one bad sample
                         // cannot poison the history rings or the band states for good

#include <algorithm>
#include <cmath>

namespace cadora {
namespace {

constexpr uint64_t kFrameDue = ~uint64_t {0};
constexpr float kNoiseFloor = 1e-15f;
constexpr float kProductWeight = 0.1f;

} // namespace

PitchTransposer::PitchTransposer () : samplesSinceFrame (kFrameDue) {}
PitchTransposer::~PitchTransposer () = default;

void PitchTransposer::configure (int channelCount, int blockSamples, int intervalSamples)
{
	channels = std::max (channelCount, 0);
	block = std::max (blockSamples, 1);
	interval = std::max (intervalSamples, 1);
	const auto b = static_cast<std::size_t> (block);
	const auto hop = static_cast<std::size_t> (interval);
	stft.configure (channels, channels, b, hop + 1);
	stft.setInterval (hop);
	stft.reset (kProductWeight);
	spectral.configure (channels, stft.fftSize (), hop, stft.analysisWindow (), stft.analysisOffset ());
	samplesSinceFrame = kFrameDue;
	newSpectrum = false;
	analysePrevious = false;
	mapActive = false;
	timeFactor = 0.0f;
	scratch.assign (b + hop, 0.0f);
}

void PitchTransposer::setTransposeFactor (float multiplier)
{
	transposeFactor = multiplier;
	tonalityLimit = 1.0f;
}

int32_t PitchTransposer::latencySamples () const
{
	if (channels == 0)
		return 0;
	return static_cast<int32_t> (block) + static_cast<int32_t> (stft.synthesisOffset ()) -
	       static_cast<int32_t> (stft.analysisOffset ());
}

void PitchTransposer::processBlock (const float* const* inputs, int inputSamples, float* const* outputs,
                                    int outputSamples)
{
	if (channels == 0)
		return;
	inputSamples = std::max (inputSamples, 0);
	outputSamples = std::max (outputSamples, 0);
	storedUpTo = 0;
	if (!isSilent (inputs, inputSamples))
	{
		silenceFirst = true;
		silenceCounter = 0;
	}
	else if (silenceCounter >= 2 * static_cast<uint64_t> (block))
	{
		enterSilenceBypass ();
		passThrough (inputs, inputSamples, outputs, outputSamples);
		storeInput (inputs, inputSamples);
		return;
	}
	else
		silenceCounter += static_cast<uint64_t> (inputSamples);

	for (int j = 0; j < outputSamples; ++j)
	{
		if (samplesSinceFrame >= static_cast<uint64_t> (interval))
		{
			startFrame (inputs, j, inputSamples, outputSamples);
			runFrame ();
		}
		++samplesSinceFrame;
		for (int c = 0; c < channels; ++c)
			outputs[c][j] = stft.readOutput (c);
		stft.moveOutput (1);
	}
	storeInput (inputs, inputSamples);
	lastFrameInputPos -= inputSamples;
}

bool PitchTransposer::isSilent (const float* const* inputs, int inputSamples) const
{
	float energy = 0.0f;
	for (int c = 0; c < channels; ++c)
		for (int i = 0; i < inputSamples; ++i)
		{
			const float x = finiteOrZero (inputs[c][i]);
			energy += x * x;
		}
	return energy < kNoiseFloor;
}

// Clears the spectral state once per stretch of silence and arms a frame for the next sound.
void PitchTransposer::enterSilenceBypass ()
{
	if (!silenceFirst)
		return;
	silenceFirst = false;
	samplesSinceFrame = kFrameDue;
	newSpectrum = false;
	analysePrevious = false;
	mapActive = false;
	timeFactor = 0.0f;
	spectral.clearBandStates ();
}

void PitchTransposer::passThrough (const float* const* inputs, int inputSamples, float* const* outputs,
                                   int outputSamples) const
{
	for (int c = 0; c < channels; ++c)
		for (int i = 0; i < outputSamples; ++i)
			outputs[c][i] = inputSamples >= 1 ? finiteOrZero (inputs[c][i % inputSamples]) : 0.0f;
}

// A frame boundary falls at output sample j: find the input position it corresponds to and
// decide which analyses the frame needs.
void PitchTransposer::startFrame (const float* const* inputs, int j, int inputSamples, int outputSamples)
{
	samplesSinceFrame = 0;
	const float position =
	    static_cast<float> (j) * static_cast<float> (inputSamples) / static_cast<float> (outputSamples);
	const auto inputPos = static_cast<int32_t> (std::round (position));
	const int32_t advance = inputPos - lastFrameInputPos;
	lastFrameInputPos = inputPos;
	storeInput (inputs, inputPos);
	newSpectrum = advance >= 1;
	mapActive = transposeFactor != 1.0f;
	analysePrevious = newSpectrum && std::abs (advance - interval) > 1;
	timeFactor = static_cast<float> (interval) / static_cast<float> (std::max (advance, 1));
}

// Moves this call's input from the stored mark up to `upTo` into the history, at most the
// last block + interval samples of it (the history holds no more).
void PitchTransposer::storeInput (const float* const* inputs, int upTo)
{
	if (upTo <= storedUpTo)
		return;
	const int from = std::max (storedUpTo, upTo - (block + interval));
	const auto count = static_cast<std::size_t> (upTo - from);
	for (int c = 0; c < channels; ++c)
	{
		const float* in = inputs[c] + from;
		for (std::size_t k = 0; k < count; ++k)
			scratch[k] = finiteOrZero (in[k]);
		stft.writeInput (c, 0, count, scratch.data ());
	}
	stft.advanceInput (count);
	storedUpTo = upTo;
}

// The frame's work, all at the boundary sample: analyses, spectral processing, synthesis.
void PitchTransposer::runFrame ()
{
	const auto bins = stft.binCount ();
	if (analysePrevious)
		for (int c = 0; c < channels; ++c)
		{
			stft.analyse (c, static_cast<std::size_t> (interval));
			const ComplexF* spectrum = stft.spectrum (c);
			BandState* states = spectral.bandStates (c);
			for (std::size_t b = 0; b < bins; ++b)
				states[b].prevInput = spectrum[b];
		}
	if (newSpectrum)
		for (int c = 0; c < channels; ++c)
		{
			stft.analyse (c, 0);
			const ComplexF* spectrum = stft.spectrum (c);
			BandState* states = spectral.bandStates (c);
			for (std::size_t b = 0; b < bins; ++b)
				states[b].input = spectrum[b];
		}
	spectral.process ({newSpectrum, mapActive, timeFactor, transposeFactor, tonalityLimit});
	for (int c = 0; c < channels; ++c)
	{
		const ComplexF* heard = spectral.heard (c);
		ComplexF* spectrum = stft.spectrum (c);
		for (std::size_t b = 0; b < bins; ++b)
			spectrum[b] = heard[b];
	}
	for (int c = 0; c < channels; ++c)
		stft.synthesise (c);
}

} // namespace cadora
