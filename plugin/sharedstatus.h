// The process-wide status record through which the audio thread, the worker thread
// and the editor exchange what the editor shows. One per loaded module.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace cadora {

struct DetectionResult;

struct SharedStatus
{
	static constexpr int kBands = 32;

	std::atomic<int32_t> detectedKey {-1};     // 0..23, -1 = no key
	std::atomic<int32_t> linkedKey {-1};       // read back from the auto-tune, -1 = never read
	std::atomic<double> linkedHardness {-1.0}; // read back retune value, negative = never read
	std::atomic<bool> linkConnected {false};
	std::atomic<int32_t> tempoBpm {0}; // 0 = no tempo
	std::atomic<bool> musicPresent {false};
	std::atomic<bool> redetectRequested {false};
	std::array<std::atomic<float>, kBands> bandLevels {};

	// Puts every field back to its module-load value (tests start from a fresh module this way).
	void resetAll ();
	// Sets all band levels to 0, as every processor construction does.
	void clearBandLevels ();
	// Stores what a detection pass found; the fields it left open stay as they are.
	void publish (const DetectionResult& found);
};

static_assert (std::atomic<int32_t>::is_always_lock_free, "int32 atomics must be lock-free");
static_assert (std::atomic<double>::is_always_lock_free, "double atomics must be lock-free");
static_assert (std::atomic<float>::is_always_lock_free, "float atomics must be lock-free");
static_assert (std::atomic<bool>::is_always_lock_free, "bool atomics must be lock-free");

// The one record of this module.
SharedStatus& sharedStatus ();

} // namespace cadora
