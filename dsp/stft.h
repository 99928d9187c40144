// Short-time transform of the pitch transposer: input history rings, windowed analysis into
// half-bin-shifted spectra, and synthesis by overlap-add into an output ring that is read
// divided by the running sum of the window products added at each position.
#pragma once

#include "dsp/complexfloat.h"
#include "dsp/transposerfft.h"

#include <cstddef>
#include <vector>

namespace cadora {

class Stft
{
public:
	// Sizes every buffer; the input ring holds block + extraHistory samples per channel.
	void configure (int inChannels, int outChannels, std::size_t block, std::size_t extraHistory);
	// Stores the hop and designs the analysis and synthesis windows for it.
	void setInterval (std::size_t interval);
	// Clears the rings and seeds the window sum as if frames had run before, weighted by
	// productWeight; then moves the output by one interval.
	void reset (float productWeight);

	// Writes count samples at ring positions inputPos + offset + k of one channel.
	void writeInput (int channel, std::size_t offset, std::size_t count, const float* samples);
	// Moves the input position on by count samples, for all channels at once.
	void advanceInput (std::size_t count);
	// Spectrum of the frame of `block` samples that ends timeOffset samples before inputPos.
	void analyse (int channel, std::size_t timeOffset);
	// Inverse transform of the channel's spectrum, overlap-added at outputPos (channel 0 also
	// adds the window product).
	void synthesise (int channel);
	// Accumulates one frame's analysis x synthesis window product (times N) at outputPos.
	void addWindowProduct ();
	// Normalised output sample at outputPos.
	float readOutput (int channel) const
	{
		const std::size_t i = outputPos;
		return outputRing[static_cast<std::size_t> (channel) * block + i] / windowSum[i];
	}
	// Clears count output positions from outputPos on and moves outputPos past them.
	void moveOutput (std::size_t count);

	ComplexF* spectrum (int channel) { return spectra.data () + static_cast<std::size_t> (channel) * bins; }
	std::size_t fftSize () const { return size; }
	std::size_t binCount () const { return bins; }
	std::size_t analysisOffset () const { return analysisPeak; }
	std::size_t synthesisOffset () const { return synthesisPeak; }
	std::size_t outputPosition () const { return outputPos; }
	const std::vector<float>& analysisWindow () const { return analysisWin; }
	const std::vector<float>& synthesisWindow () const { return synthesisWin; }
	// Window sum at ring index i (0 <= i < block).
	float windowSumAt (std::size_t i) const { return windowSum[i]; }

private:
	std::size_t inChannels = 0;
	std::size_t outChannels = 0;
	std::size_t block = 0;
	std::size_t history = 0;
	std::size_t size = 0;
	std::size_t bins = 0;
	std::size_t interval = 0;
	std::vector<float> inputRing; // inChannels x history, channel after channel
	std::size_t inputPos = 0;
	std::vector<float> outputRing; // outChannels x block
	std::size_t outputPos = 0;
	std::vector<float> windowSum; // block
	std::vector<float> analysisWin, synthesisWin;
	std::size_t analysisPeak = 0;
	std::size_t synthesisPeak = 0;
	std::vector<ComplexF> spectra; // max(inChannels, outChannels) x bins
	std::vector<float> timeBuffer; // size
	ModifiedRealFft transform;
};

} // namespace cadora
