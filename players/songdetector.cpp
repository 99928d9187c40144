#include "players/songdetector.h"

#include "platform/desktop.h"

#include <chrono>

namespace cadora {

namespace {

constexpr auto kWaitStep = std::chrono::milliseconds (100);
constexpr int kWaitSteps = 3;

} // namespace

SongDetector::SongDetector (int32_t playerKind) : SongDetector (playerKind, platform::openSystemDesktop ()) {}

SongDetector::SongDetector (int32_t kind, std::unique_ptr<platform::Desktop> desktopToUse,
                            PassObserver passObserver)
: playerKind (kind)
, desktop (std::move (desktopToUse))
, observer (std::move (passObserver))
, info (initialSongInfo ())
{
	thread = std::thread ([this] { run (); });
}

SongDetector::~SongDetector ()
{
	{
		// Under the wait's lock, so that the thread cannot miss the change between
		// testing running and starting to wait.
		std::lock_guard<std::mutex> guard (waitLock);
		running = false;
	}
	wakeUp.notify_all ();
	if (thread.joinable ())
		thread.join ();
}

void SongDetector::setPlayerKind (int32_t kind)
{
	playerKind = kind;
	wake = true;
	// No lock: the UI thread never blocks here. Should the notification slip in between the
	// thread's test and its wait, the wait still ends within one 100 ms step.
	wakeUp.notify_all ();
}

void SongDetector::snapshot (SongInfo& out) const
{
	std::lock_guard<std::mutex> guard (lock);
	out = info;
}

// Up to three 100 ms steps, each ended early by destruction or a wake-up; false once the
// detector is being destroyed.
bool SongDetector::waitBetweenPasses ()
{
	std::unique_lock<std::mutex> guard (waitLock);
	for (int step = 0; step < kWaitSteps; ++step)
	{
		if (!running)
			return false;
		if (wake.exchange (false))
			return true;
		wakeUp.wait_for (guard, kWaitStep, [this] { return !running || wake.load (); });
	}
	return running;
}

void SongDetector::run ()
{
	if (desktop)
	{
		desktop->enterThread (running);
		runPasses ();
		desktop->leaveThread ();
	}
	threadEnded = true;
}

void SongDetector::runPasses ()
{
	try
	{
		while (running)
		{
			SongInfo next = runDetectionPass (*desktop, state, playerKind.load ());
			{
				std::lock_guard<std::mutex> guard (lock);
				info = next;
			}
			const uint64_t done = ++passes;
			if (observer)
				observer (done, next);
			if (!waitBetweenPasses ())
				return;
		}
	}
	catch (...)
	{
		// A pass that throws ends detection; the last record stays published.
	}
}

} // namespace cadora
