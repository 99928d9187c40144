// `cadora-cli analyze`: runs a file through the processor with the worker in simulated
// time and reports the key, tempo and auto-tune link as they develop.
#pragma once

#include "tools/cli/processing.h"
#include "tools/cli/wavfile.h"

#include <functional>
#include <string>

namespace cadora::cli {

struct AnalyzeOptions
{
	bool json = false;
	int block = 512;
	int pitch = 0;
	std::string autotunePath; // empty: no auto-tune loaded
};

// What the shared status shows at one moment of the audio.
struct Snapshot
{
	double t;
	int key;
	int tempo;
	bool music;
	bool linked;
	int linkedKey;
	double linkedHardness;
};

struct AnalysisResult
{
	Snapshot last {};
	double firstKeyAt = -1.0; // seconds of audio; negative: never
};

// Feeds `audio` in host-sized blocks, one worker cycle per 150 ms of audio, and calls
// `report` every 0.5 s of audio. The auto-tune, when given, must be loaded already.
void runAnalysis (const Audio& audio, int block, int pitch,
                  const std::function<void (const Snapshot&)>& report, AnalysisResult& result);
// The same with every processing setting (block, Pitch, Mute Strength).
void runAnalysis (const Audio& audio, const ProcessOptions& settings,
                  const std::function<void (const Snapshot&)>& report, AnalysisResult& result);

// Prints the timeline and returns the exit code (2 on bad input).
int analyzeAudio (const Audio& audio, const AnalyzeOptions& options);

} // namespace cadora::cli
