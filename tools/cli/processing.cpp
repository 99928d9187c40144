#include "tools/cli/processing.h"

#include "plugin/ids.h"
#include "plugin/parameters.h"
#include "tools/cli/options.h"
#include "tools/host/offlinehost.h"

#include <algorithm>
#include <chrono>

namespace cadora::cli {

namespace {

// Left/right of frame i of `audio` (a mono file feeds both channels); zeros past the end.
void frameAt (const Audio& audio, size_t i, float& left, float& right)
{
	if (i >= audio.frames ())
	{
		left = right = 0.0f;
		return;
	}
	left = audio.interleaved[i * audio.channels];
	right = audio.channels > 1 ? audio.interleaved[i * audio.channels + 1] : left;
}

void storeFrame (Audio& audio, size_t i, float left, float right)
{
	if (audio.channels == 1)
		audio.interleaved[i] = 0.5f * (left + right);
	else
	{
		audio.interleaved[2 * i] = left;
		audio.interleaved[2 * i + 1] = right;
	}
}

} // namespace

bool parseProcessOptions (const Arguments& args, ProcessOptions& options, std::string& error)
{
	long value = 0;
	if (auto it = args.options.find ("--pitch"); it != args.options.end ())
	{
		if (!parseInt ("--pitch", it->second, -5, 5, value, error))
			return false;
		options.pitch = static_cast<int> (value);
	}
	if (auto it = args.options.find ("--mute"); it != args.options.end ())
	{
		if (!parseDouble ("--mute", it->second, 0.0, 1.0, options.mute, error))
			return false;
	}
	if (auto it = args.options.find ("--block"); it != args.options.end ())
	{
		if (!parseInt ("--block", it->second, 1, 16384, value, error))
			return false;
		options.block = static_cast<int> (value);
	}
	return true;
}

bool processAudio (const Audio& in, const ProcessOptions& options, Audio& out, ProcessStats& stats,
                   std::string& error)
{
	OfflineHost host (in.sampleRate, options.block);
	if (!host.ready ())
	{
		error = "the processor could not be activated";
		return false;
	}
	host.setParameter (kParamPitch, pitchFromSemitones (options.pitch));
	host.setParameter (kParamMuteStrength, options.mute);
	stats.latency = host.latencySamples ();
	const size_t skip = options.pitch != 0 ? stats.latency : 0;

	out.sampleRate = in.sampleRate;
	out.channels = in.channels;
	out.interleaved.assign (in.interleaved.size (), 0.0f);

	std::vector<float> left (options.block), right (options.block);
	float* channels[2] = {left.data (), right.data ()};
	const size_t total = in.frames () + skip;
	for (size_t start = 0; start < total; start += options.block)
	{
		const auto n = static_cast<int> (std::min<size_t> (options.block, total - start));
		for (int j = 0; j < n; ++j)
			frameAt (in, start + j, left[j], right[j]);
		const auto begin = std::chrono::steady_clock::now ();
		const auto result = host.process (channels, channels, 2, n);
		stats.cpuSeconds +=
		    std::chrono::duration<double> (std::chrono::steady_clock::now () - begin).count ();
		if (result != Steinberg::kResultOk)
		{
			error = "the processor refused a block";
			return false;
		}
		++stats.blocks;
		for (int j = 0; j < n; ++j)
		{
			const size_t frame = start + j;
			if (frame >= skip && frame - skip < out.frames ())
				storeFrame (out, frame - skip, left[j], right[j]);
		}
	}
	return true;
}

} // namespace cadora::cli
