// The audio process callback: parameter changes, mono feed and band analysis,
// transposition or copy, vocal removal. No allocation, no lock, no system call.
#include "dsp/samples.h"
#include "plugin/parameters.h"
#include "plugin/processor.h"
#include "plugin/sharedstatus.h"

#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <algorithm>
#include <cmath>

namespace cadora {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

inline float inputSample (const AudioBusBuffers& bus, int32 sampleSize, int32 channel, int32 j)
{
	if (sampleSize == kSample32)
		return finiteOrZero (bus.channelBuffers32[channel][j]);
	if (sampleSize == kSample64)
		return finiteOrZero (static_cast<float> (bus.channelBuffers64[channel][j]));
	return 0.0f;
}

void copySanitised (const float* in, float* out, int32 n)
{
	for (int32 j = 0; j < n; ++j)
		out[j] = finiteOrZero (in[j]);
}

void copySanitised (const double* in, double* out, int32 n)
{
	for (int32 j = 0; j < n; ++j)
		out[j] = std::isfinite (in[j]) ? in[j] : 0.0;
}

// A bus whose channel pointers are all there for the block's sample size.
bool hasBuffers (const AudioBusBuffers& bus, int32 sampleSize)
{
	void** channels = sampleSize == kSample64 ? reinterpret_cast<void**> (bus.channelBuffers64)
	                                          : reinterpret_cast<void**> (bus.channelBuffers32);
	if (bus.numChannels <= 0)
		return true;
	if (!channels)
		return false;
	for (int32 c = 0; c < bus.numChannels; ++c)
	{
		if (!channels[c])
			return false;
	}
	return true;
}

float transposeFactorFor (int semitones)
{
	const float exponent = static_cast<float> (semitones) * 0.083333336f;
	return static_cast<float> (std::pow (2.0, static_cast<double> (exponent)));
}

} // namespace

void VantoProcessor::applyParameterChanges (IParameterChanges* changes)
{
	if (!changes)
		return;
	for (int32 i = 0; i < changes->getParameterCount (); ++i)
	{
		IParamValueQueue* queue = changes->getParameterData (i);
		if (!queue || queue->getPointCount () <= 0)
			continue;
		int32 offset = 0;
		ParamValue value = 0.0;
		if (queue->getPoint (queue->getPointCount () - 1, offset, value) != kResultOk)
			continue;
		const ParamID id = queue->getParameterId ();
		if (id >= kParamCount)
			continue;
		storeParameter (id, value);
		if (id == kParamHardness)
			channel.offerHardness (hardnessFromValue (value));
	}
}

void VantoProcessor::addAnalysisSample (float m)
{
	analysisBlock[analysisFill++] = m;
	if (analysisFill < kAnalysisLength)
		return;
	measureBandLevels (analysisBlock.data (), analysisWindow.data (), smoothedBandLevels.data ());
	auto& levels = sharedStatus ().bandLevels;
	for (int i = 0; i < kDisplayBands; ++i)
		levels[i].store (smoothedBandLevels[i], std::memory_order_relaxed);
	analysisFill = 0;
}

void VantoProcessor::feedMono (const ProcessData& data)
{
	const AudioBusBuffers& in = data.inputs[0];
	const int32 k = in.numChannels;
	const uint64_t end = monoWritten + static_cast<uint64_t> (data.numSamples);
	channel.ring.beginWrite (end);
	for (int32 j = 0; j < data.numSamples; ++j)
	{
		float m = 0.0f;
		for (int32 c = 0; c < k; ++c)
			m += inputSample (in, data.symbolicSampleSize, c, j);
		m = k > 0 ? m / static_cast<float> (k) : 0.0f;
		channel.ring.put (monoWritten++, m);
		addAnalysisSample (m);
	}
	channel.ring.endWrite (end);
}

tresult VantoProcessor::writeStereo (ProcessData& data)
{
	const int32 n = data.numSamples;
	float* const* in = data.inputs[0].channelBuffers32;
	float* const* out = data.outputs[0].channelBuffers32;
	const int semitones = semitonesFromPitch (params[kParamPitch]);
	if (semitones != 0)
	{
		if (scratchLeft.size () < static_cast<size_t> (n) || scratchRight.size () < static_cast<size_t> (n))
			return kResultFalse;
		copySanitised (in[0], scratchLeft.data (), n);
		copySanitised (in[1], scratchRight.data (), n);
		transposer.setTransposeFactor (transposeFactorFor (semitones));
		const float* sources[2] = {scratchLeft.data (), scratchRight.data ()};
		float* targets[2] = {out[0], out[1]};
		transposer.processBlock (sources, n, targets, n);
	}
	else
	{
		copySanitised (in[0], out[0], n);
		copySanitised (in[1], out[1], n);
	}
	removeVocals (vocalLow, out[0], out[1], n, muteStrengthFromValue (params[kParamMuteStrength]));
	return kResultOk;
}

tresult VantoProcessor::writeOutput (ProcessData& data)
{
	const AudioBusBuffers& in = data.inputs[0];
	AudioBusBuffers& out = data.outputs[0];
	const int32 n = std::min (in.numChannels, out.numChannels);
	if (n >= 2 && data.symbolicSampleSize == kSample32)
		return writeStereo (data);
	for (int32 c = 0; c < n; ++c)
	{
		if (data.symbolicSampleSize == kSample32)
			copySanitised (in.channelBuffers32[c], out.channelBuffers32[c], data.numSamples);
		else if (data.symbolicSampleSize == kSample64)
			copySanitised (in.channelBuffers64[c], out.channelBuffers64[c], data.numSamples);
	}
	return kResultOk;
}

tresult PLUGIN_API VantoProcessor::process (ProcessData& data)
{
	applyParameterChanges (data.inputParameterChanges);
	if (data.numInputs == 0 || data.numOutputs == 0 || data.numSamples <= 0)
		return kResultOk;
	// A host that hands over a bus without its channel buffers gets nothing done.
	if (!data.inputs || !data.outputs || !hasBuffers (data.inputs[0], data.symbolicSampleSize) ||
	    !hasBuffers (data.outputs[0], data.symbolicSampleSize))
		return kResultOk;
	feedMono (data);
	return writeOutput (data);
}

} // namespace cadora
