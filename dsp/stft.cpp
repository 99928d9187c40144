#include "dsp/stft.h"

#include "dsp/stftwindow.h"

#include <algorithm>

namespace cadora {
namespace {

constexpr float kEmptyWindowSum = 1e-30f;

} // namespace

void Stft::configure (int inputChannels, int outputChannels, std::size_t blockLength,
                      std::size_t extraHistory)
{
	inChannels = static_cast<std::size_t> (std::max (inputChannels, 0));
	outChannels = static_cast<std::size_t> (std::max (outputChannels, 0));
	block = blockLength;
	history = blockLength + extraHistory;
	size = fftSizeForBlock (blockLength);
	bins = size / 2;
	transform.setSize (size);
	inputRing.assign (history * inChannels, 0.0f);
	outputRing.assign (block * outChannels, 0.0f);
	windowSum.assign (block, kEmptyWindowSum);
	analysisWin.assign (block, 0.0f);
	synthesisWin.assign (block, 0.0f);
	spectra.assign (std::max (inChannels, outChannels) * bins, ComplexF {0.0f, 0.0f});
	timeBuffer.assign (size, 0.0f);
	inputPos = 0;
	outputPos = 0;
}

void Stft::setInterval (std::size_t hopLength)
{
	interval = hopLength;
	synthesisWin = makeTransposerWindow (block, interval);
	analysisWin = synthesisWin;
	analysisPeak = windowPeakIndex (analysisWin);
	synthesisPeak = windowPeakIndex (synthesisWin);
}

void Stft::reset (float productWeight)
{
	inputPos = block;
	outputPos = 0;
	std::fill (inputRing.begin (), inputRing.end (), 0.0f);
	std::fill (outputRing.begin (), outputRing.end (), 0.0f);
	std::fill (spectra.begin (), spectra.end (), ComplexF {0.0f, 0.0f});
	std::fill (windowSum.begin (), windowSum.end (), 0.0f);
	addWindowProduct ();
	// Each position also gathers the frames that would have started 1, 2, ... hops earlier.
	for (std::size_t i = block > interval ? block - interval : 0; i-- > 0;)
		windowSum[i] += windowSum[i + interval];
	for (float& s : windowSum)
		s = s * productWeight + kEmptyWindowSum;
	moveOutput (interval);
}

void Stft::writeInput (int channel, std::size_t offset, std::size_t count, const float* samples)
{
	float* ring = inputRing.data () + static_cast<std::size_t> (channel) * history;
	std::size_t pos = (inputPos + offset) % history;
	for (std::size_t k = 0; k < count; ++k)
	{
		ring[pos] = samples[k];
		if (++pos == history)
			pos = 0;
	}
}

void Stft::advanceInput (std::size_t count)
{
	inputPos = (inputPos + count) % history;
}

void Stft::analyse (int channel, std::size_t timeOffset)
{
	const float* ring = inputRing.data () + static_cast<std::size_t> (channel) * history;
	const std::size_t start = (inputPos + 2 * history - block - timeOffset) % history;
	const std::size_t a = analysisPeak;
	std::size_t pos = start;
	// The window's peak is the time origin; the part before it wraps round with its sign flipped.
	for (std::size_t i = 0; i < block; ++i)
	{
		const float x = ring[pos] * analysisWin[i];
		if (i < a)
			timeBuffer[size - a + i] = -x;
		else
			timeBuffer[i - a] = x;
		if (++pos == history)
			pos = 0;
	}
	std::fill (timeBuffer.begin () + static_cast<std::ptrdiff_t> (block - a),
	           timeBuffer.begin () + static_cast<std::ptrdiff_t> (size - a), 0.0f);
	transform.forward (timeBuffer.data (), spectrum (channel));
}

void Stft::synthesise (int channel)
{
	if (channel == 0)
		addWindowProduct ();
	transform.inverse (spectrum (channel), timeBuffer.data ());
	float* ring = outputRing.data () + static_cast<std::size_t> (channel) * block;
	const std::size_t s = synthesisPeak;
	std::size_t j = outputPos;
	for (std::size_t i = 0; i < block; ++i)
	{
		if (i < s)
			ring[j] -= timeBuffer[size - s + i] * synthesisWin[i];
		else
			ring[j] += timeBuffer[i - s] * synthesisWin[i];
		if (++j == block)
			j = 0;
	}
}

void Stft::addWindowProduct ()
{
	const std::ptrdiff_t d =
	    static_cast<std::ptrdiff_t> (synthesisPeak) - static_cast<std::ptrdiff_t> (analysisPeak);
	const std::ptrdiff_t b = static_cast<std::ptrdiff_t> (block);
	const float n = static_cast<float> (size);
	for (std::ptrdiff_t i = std::max<std::ptrdiff_t> (d, 0); i < std::min (b + d, b); ++i)
	{
		const std::size_t j = (outputPos + static_cast<std::size_t> (i)) % block;
		windowSum[j] +=
		    n * analysisWin[static_cast<std::size_t> (i - d)] * synthesisWin[static_cast<std::size_t> (i)];
	}
}

void Stft::moveOutput (std::size_t count)
{
	for (std::size_t k = 0; k < count; ++k)
	{
		const std::size_t j = (outputPos + k) % block;
		for (std::size_t c = 0; c < outChannels; ++c)
			outputRing[c * block + j] = 0.0f;
		windowSum[j] = kEmptyWindowSum;
	}
	outputPos = (outputPos + count) % block;
}

} // namespace cadora
