// SongDetector: works out, on a thread of its own and about every 300 ms, which music
// player the editor shows and which song it plays, and publishes it as one SongInfo.
// The editor creates it with the "Player Source" value (0 automatic, 1..5 a fixed
// player), tells it of a new choice with setPlayerKind, and copies the record with
// snapshot whenever it draws. Destruction stops the thread after its running pass; no
// wait inside a pass lasts longer than 2 s, and waits end early once destruction began.
// The wait between passes is a condition variable, so neither destruction nor a new
// player choice waits out a sleep.
#pragma once

#include "players/detectionpass.h"
#include "players/songinfo.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace cadora {

namespace platform {
class Desktop;
}

class SongDetector
{
public:
	// Called on the detection thread after each pass has published its record, with the
	// number of that pass (1, 2, ...): how cadora-cli prints every pass.
	using PassObserver = std::function<void (uint64_t pass, const SongInfo& info)>;

	// Detection on this machine's desktop.
	explicit SongDetector (int32_t playerKind);
	// Detection on the given desktop (tests, cadora-cli).
	SongDetector (int32_t playerKind, std::unique_ptr<platform::Desktop> desktop,
	              PassObserver observer = nullptr);
	// Must not be called from the detection thread.
	~SongDetector ();

	SongDetector (const SongDetector&) = delete;
	SongDetector& operator= (const SongDetector&) = delete;

	// The pass that is running keeps the kind it started with; the next one starts at once.
	void setPlayerKind (int32_t kind);
	void snapshot (SongInfo& out) const;

	// Passes completed so far (tests and cadora-cli wait on it).
	uint64_t passesCompleted () const { return passes.load (); }
	// True once the detection thread has ended for good (an exception escaped a pass).
	bool ended () const { return threadEnded.load (); }

private:
	void run ();
	void runPasses ();
	bool waitBetweenPasses ();

	std::atomic<bool> running {true};
	std::atomic<int32_t> playerKind;
	std::atomic<bool> wake {true};
	std::atomic<uint64_t> passes {0};
	std::atomic<bool> threadEnded {false};
	std::unique_ptr<platform::Desktop> desktop;
	PassObserver observer;
	DetectionState state; // carried from pass to pass; detection thread only
	mutable std::mutex lock;
	SongInfo info;
	std::mutex waitLock; // only for waking the wait between passes
	std::condition_variable wakeUp;
	std::thread thread;
};

} // namespace cadora
