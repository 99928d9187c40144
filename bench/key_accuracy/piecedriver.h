// Drives key detection over one WAV file through `cadora-cli analyze --json` and records
// what the plug-in published at the checkpoints (5, 10, 20 s and the end of the music)
// and when the first key came.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace cadora {

constexpr int kCheckpointCount = 4;
constexpr std::array<double, kCheckpointCount - 1> kCheckpointSeconds {5.0, 10.0, 20.0};
extern const char* const kCheckpointNames[kCheckpointCount];

struct PieceResult
{
	bool ok = false;
	std::string error;
	std::array<int32_t, kCheckpointCount> key {};   // detectedKey at 5, 10, 20 s, end of music
	std::array<int32_t, kCheckpointCount> tempo {}; // tempoBpm at the same moments
	double firstKeySeconds = -1.0;                  // -1 = never
	double seconds = 0.0;
};

// The cadora-cli program to run (default: found on PATH).
void setCliPath (const std::string& path);
PieceResult analysePiece (const std::string& wavPath);

} // namespace cadora
