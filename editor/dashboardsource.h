// What the dashboard reads and asks for, in one narrow place that tests replace: the
// eight parameter callbacks of the editor, and a source for the shared status, the song
// snapshot, the clock, the logos and the maker's web page. The dashboard sees nothing
// else of the plug-in or the system.
#pragma once

#include "players/songinfo.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace cadora {

// Bound to the editor; each reaches the controller at the moment of the call.
struct DashboardCallbacks
{
	std::function<void (int32_t width, int32_t height)> requestSize;
	std::function<void (int32_t kind)> editPlayerSource;
	std::function<int32_t ()> readPlayerSource;
	std::function<void (double value)> editHardness;
	std::function<void (double value)> editMuteStrength;
	std::function<double ()> readMuteStrength;
	std::function<void (int32_t semitones)> editPitch;
	std::function<int32_t ()> readPitch;
};

// One reading of the shared status, field by field (not one consistent moment).
struct StatusReading
{
	bool linkConnected = false;
	double linkedHardness = -1.0; // negative: never read
	int32_t detectedKey = -1;
	int32_t linkedKey = -1;
	bool musicPresent = false;
	int32_t tempoBpm = 0;
	std::array<float, 32> bandLevels {};
};

struct ByteSpan
{
	const void* data = nullptr;
	size_t size = 0;
};

class DashboardSource
{
public:
	virtual ~DashboardSource () = default;
	virtual StatusReading status () = 0;
	// A new song: key detection starts afresh (raises the request, forgets the key).
	virtual void requestRedetect () = 0;
	virtual void song (SongInfo& out) = 0;
	// Steady-clock nanoseconds.
	virtual int64_t nowNs () = 0;
	// PNG bytes of a player logo resource ("PLAYER_KUGOU", ...); empty when missing.
	virtual ByteSpan logo (const char* resourceName) = 0;
	virtual void openWebPage (const char* url) = 0;
};

} // namespace cadora
