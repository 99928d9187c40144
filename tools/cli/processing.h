// Runs a whole piece of audio through the plug-in's processor, block by block, as a host does.
#pragma once

#include "tools/cli/wavfile.h"

#include <string>

namespace cadora::cli {

struct ProcessOptions
{
	int pitch = 0;     // semitones, -5..+5
	double mute = 0.0; // Mute Strength, 0..1
	int block = 512;   // host block length
};

struct ProcessStats
{
	size_t blocks = 0;
	unsigned latency = 0;    // reported by the processor
	double cpuSeconds = 0.0; // time spent in process()
};

struct Arguments;

// Reads --pitch, --mute and --block where given (the rest keep their values); false with
// `error` naming the option when one is out of range.
bool parseProcessOptions (const Arguments& args, ProcessOptions& options, std::string& error);

// Processes `in` into `out` (same length and channel count). With a transposition the
// processor's latency is compensated, so the output lines up with the input.
bool processAudio (const Audio& in, const ProcessOptions& options, Audio& out, ProcessStats& stats,
                   std::string& error);

} // namespace cadora::cli
