// Reading and writing cadora-cli's audio files: WAV, through our own decoder, the same on
// every system. Paths are UTF-8.
#pragma once

#include "tools/cli/audio.h"

#include <string>

namespace cadora::cli {

// Reads a whole mono or stereo file; on failure returns false and sets `error` to one line.
bool readAudio (const std::string& path, Audio& audio, std::string& error);
// Writes a 32-bit float WAV through a temporary file, so nothing is left on failure.
bool writeAudio (const std::string& path, const Audio& audio, std::string& error);

} // namespace cadora::cli
