// Placeholder engine: delays the input by one block until the phase vocoder lands.
#include "dsp/pitchtransposer.h"

#include <vector>

namespace cadora {

struct PitchTransposer::Impl
{
	int channels = 0;
	int block = 0;
	std::vector<std::vector<float>> delay;
	int pos = 0;
};

PitchTransposer::PitchTransposer () : impl (new Impl) {}
PitchTransposer::~PitchTransposer () { delete impl; }

void PitchTransposer::configure (int channels, int blockSamples, int /*intervalSamples*/)
{
	impl->channels = channels;
	impl->block = blockSamples;
	impl->delay.assign (channels, std::vector<float> (blockSamples, 0.0f));
	impl->pos = 0;
}

void PitchTransposer::setTransposeFactor (float) {}

void PitchTransposer::processBlock (const float* const* inputs, int inputSamples,
                                    float* const* outputs, int outputSamples)
{
	for (int j = 0; j < outputSamples; ++j)
	{
		for (int c = 0; c < impl->channels; ++c)
		{
			auto& d = impl->delay[c];
			const float in = j < inputSamples ? inputs[c][j] : 0.0f;
			outputs[c][j] = impl->block > 0 ? d[impl->pos] : in;
			if (impl->block > 0)
				d[impl->pos] = in;
		}
		if (impl->block > 0)
			impl->pos = (impl->pos + 1) % impl->block;
	}
}

int32_t PitchTransposer::latencySamples () const { return impl->block; }

} // namespace cadora
