#include "engines.h"

#include "dsp/pitchtransposer.h"

#include <rubberband/RubberBandStretcher.h>
#include <soundtouch/SoundTouch.h>

#include <algorithm>
#include <cmath>

namespace cadora::bench {
namespace {

// The multiplier the plug-in's process callback computes for `semitones`.
float semitoneFactor (int semitones)
{
	return static_cast<float> (
	    std::pow (2.0, static_cast<double> (static_cast<float> (semitones) * 0.083333336f)));
}

class CadoraEngine : public StreamingEngine
{
public:
	CadoraEngine (double sampleRate, int semitones) : factor (semitoneFactor (semitones))
	{
		const auto sr = static_cast<float> (sampleRate);
		transposer.configure (2, static_cast<int> (sr * 0.04f), static_cast<int> (sr * 0.015f));
	}
	void process (const float* const* inputs, float* const* outputs, int n) override
	{
		transposer.setTransposeFactor (factor);
		transposer.processBlock (inputs, n, outputs, n);
	}
	int reportedLatency () const override { return transposer.latencySamples (); }

private:
	PitchTransposer transposer;
	float factor;
};

class RubberBandEngine : public StreamingEngine
{
public:
	RubberBandEngine (double sampleRate, int maxBlock, int semitones, bool finer, std::size_t startDelay)
	: stretcher (static_cast<size_t> (sampleRate), 2,
	             RubberBand::RubberBandStretcher::OptionProcessRealTime |
	                 RubberBand::RubberBandStretcher::OptionThreadingNever |
	                 (finer ? RubberBand::RubberBandStretcher::OptionEngineFiner
	                        : RubberBand::RubberBandStretcher::OptionEngineFaster),
	             1.0, std::pow (2.0, semitones / 12.0))
	, fifo (1 << 17, startDelay)
	, scratch {std::vector<float> (1 << 15), std::vector<float> (1 << 15)}
	{
		stretcher.setMaxProcessSize (static_cast<size_t> (maxBlock));
		// The library's advice for real-time use: start with this much silence.
		std::vector<float> pad (stretcher.getPreferredStartPad (), 0.0f);
		const float* padChannels[2] = {pad.data (), pad.data ()};
		for (std::size_t done = 0; done < pad.size (); done += static_cast<std::size_t> (maxBlock))
		{
			const auto n = std::min (pad.size () - done, static_cast<std::size_t> (maxBlock));
			const float* chunk[2] = {padChannels[0] + done, padChannels[1] + done};
			stretcher.process (chunk, n, false);
		}
		drain ();
	}
	void process (const float* const* inputs, float* const* outputs, int n) override
	{
		stretcher.process (inputs, static_cast<size_t> (n), false);
		drain ();
		fifo.pop (outputs[0], outputs[1], static_cast<std::size_t> (n));
	}
	int underruns () const override { return fifo.underruns (); }
	std::size_t neededStartDelay () const override { return fifo.shortfall (); }

private:
	void drain ()
	{
		int available;
		while ((available = stretcher.available ()) > 0)
		{
			float* out[2] = {scratch[0].data (), scratch[1].data ()};
			const size_t got = stretcher.retrieve (out, std::min<size_t> (static_cast<size_t> (available),
			                                                              scratch[0].size ()));
			fifo.push (out[0], out[1], got);
		}
	}

	RubberBand::RubberBandStretcher stretcher;
	OutputFifo fifo;
	std::vector<float> scratch[2];
};

class SoundTouchEngine : public StreamingEngine
{
public:
	SoundTouchEngine (double sampleRate, int maxBlock, int semitones, std::size_t startDelay)
	: fifo (1 << 17, startDelay)
	, interleaved (2 * static_cast<std::size_t> (maxBlock))
	, scratch {std::vector<float> (4096), std::vector<float> (4096)}
	, received (2 * 4096)
	{
		touch.setSampleRate (static_cast<unsigned> (sampleRate));
		touch.setChannels (2);
		touch.setPitchSemiTones (semitones);
	}
	void process (const float* const* inputs, float* const* outputs, int n) override
	{
		for (int i = 0; i < n; ++i)
		{
			interleaved[2 * static_cast<std::size_t> (i)] = inputs[0][i];
			interleaved[2 * static_cast<std::size_t> (i) + 1] = inputs[1][i];
		}
		touch.putSamples (interleaved.data (), static_cast<unsigned> (n));
		unsigned got;
		while ((got = touch.receiveSamples (received.data (), 4096)) > 0)
		{
			for (unsigned i = 0; i < got; ++i)
			{
				scratch[0][i] = received[2 * i];
				scratch[1][i] = received[2 * i + 1];
			}
			fifo.push (scratch[0].data (), scratch[1].data (), got);
		}
		fifo.pop (outputs[0], outputs[1], static_cast<std::size_t> (n));
	}
	int underruns () const override { return fifo.underruns (); }
	std::size_t neededStartDelay () const override { return fifo.shortfall (); }

private:
	soundtouch::SoundTouch touch;
	OutputFifo fifo;
	std::vector<float> interleaved;
	std::vector<float> scratch[2];
	std::vector<float> received;
};

} // namespace

std::string engineName (EngineKind kind)
{
	switch (kind)
	{
		case EngineKind::cadora: return "Cadora";
		case EngineKind::rubberBandR3: return "Rubber Band R3 (finer)";
		case EngineKind::rubberBandR2: return "Rubber Band R2 (faster)";
		case EngineKind::soundTouch: return "SoundTouch";
	}
	return "?";
}

std::unique_ptr<StreamingEngine> makeEngine (EngineKind kind, double sampleRate, int maxBlock, int semitones,
                                             std::size_t startDelay)
{
	switch (kind)
	{
		case EngineKind::cadora: return std::make_unique<CadoraEngine> (sampleRate, semitones);
		case EngineKind::rubberBandR3:
			return std::make_unique<RubberBandEngine> (sampleRate, maxBlock, semitones, true, startDelay);
		case EngineKind::rubberBandR2:
			return std::make_unique<RubberBandEngine> (sampleRate, maxBlock, semitones, false, startDelay);
		case EngineKind::soundTouch:
			return std::make_unique<SoundTouchEngine> (sampleRate, maxBlock, semitones, startDelay);
	}
	return nullptr;
}

OutputFifo::OutputFifo (std::size_t capacity, std::size_t startDelay)
: ring {std::vector<float> (capacity), std::vector<float> (capacity)}
{
	const std::vector<float> silence (startDelay, 0.0f);
	push (silence.data (), silence.data (), startDelay);
}

void OutputFifo::push (const float* left, const float* right, std::size_t n)
{
	const std::size_t capacity = ring[0].size ();
	for (std::size_t i = 0; i < n && fill < capacity; ++i, ++fill)
	{
		ring[0][writePos] = left[i];
		ring[1][writePos] = right[i];
		writePos = (writePos + 1) % capacity;
	}
	pushed += n;
}

void OutputFifo::pop (float* left, float* right, std::size_t n)
{
	asked += n;
	if (asked > pushed)
		worstShortfall = std::max (worstShortfall, asked - pushed);
	if (fill < n)
		++underrunCount;
	const std::size_t capacity = ring[0].size ();
	for (std::size_t i = 0; i < n; ++i)
	{
		const bool have = fill > 0;
		left[i] = have ? ring[0][readPos] : 0.0f;
		right[i] = have ? ring[1][readPos] : 0.0f;
		if (have)
		{
			readPos = (readPos + 1) % capacity;
			--fill;
		}
	}
}

} // namespace cadora::bench
