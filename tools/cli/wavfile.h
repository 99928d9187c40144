// Reading and writing audio files for the command-line tool (libsndfile).
#pragma once

#include <string>
#include <vector>

namespace cadora::cli {

struct Audio
{
	int sampleRate = 0;
	int channels = 0;
	std::vector<float> interleaved;
	size_t frames () const { return channels > 0 ? interleaved.size () / channels : 0; }
};

// Reads a whole file; on failure returns false and sets `error` to one line.
bool readAudio (const std::string& path, Audio& audio, std::string& error);
// Writes a 32-bit float WAV through a temporary file, so nothing is left on failure.
bool writeAudio (const std::string& path, const Audio& audio, std::string& error);

} // namespace cadora::cli
