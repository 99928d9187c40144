// The RIFF/WAVE format, in memory: decoding every common PCM and floating-point layout
// into float samples, and the header of the 32-bit float files cadora-cli writes.
// Decoding never reads outside the given bytes and refuses what it cannot trust: a file
// that is cut short, a chunk that claims more bytes than there are, a format whose sizes
// do not agree, or a sample format it does not know.
#pragma once

#include "tools/cli/audio.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cadora::cli {

// Decodes a whole WAV file: PCM of 8 (unsigned), 16, 24 or 32 bits, IEEE float of 32 or
// 64 bits, plain or as WAVE_FORMAT_EXTENSIBLE; chunks in any order, odd sizes padded.
// Samples are scaled as libsndfile does (a 16-bit value v becomes v / 32768). Any channel
// count and rate are accepted here; on failure `reason` says what is wrong in a few words.
bool decodeWav (const uint8_t* bytes, size_t size, Audio& audio, std::string& reason);

// The 58 bytes before the samples of a 32-bit float WAV (fmt, fact and data chunks); false
// when the audio is too long for a RIFF file.
bool floatWavHeader (const Audio& audio, std::vector<uint8_t>& header);

} // namespace cadora::cli
