#include "players/songdetector.h"

#include "platform/desktop.h"

#include <chrono>

namespace cadora {

namespace {

constexpr auto kWaitStep = std::chrono::milliseconds (100);
constexpr int kWaitSteps = 3;

} // namespace

SongDetector::SongDetector (int32_t playerKind)
: SongDetector (playerKind, platform::openSystemDesktop ())
{
}

SongDetector::SongDetector (int32_t kind, std::unique_ptr<platform::Desktop> desktopToUse)
: playerKind (kind), desktop (std::move (desktopToUse)), info (initialSongInfo ())
{
	thread = std::thread ([this] { run (); });
}

SongDetector::~SongDetector ()
{
	running = false;
	if (thread.joinable ())
		thread.join ();
}

void SongDetector::setPlayerKind (int32_t kind)
{
	playerKind = kind;
	wake = true;
}

void SongDetector::snapshot (SongInfo& out) const
{
	std::lock_guard<std::mutex> guard (lock);
	out = info;
}

// Up to three 100 ms steps; false once the detector is being destroyed.
bool SongDetector::waitBetweenPasses ()
{
	for (int step = 0; step < kWaitSteps; ++step)
	{
		if (!running)
			return false;
		if (wake.exchange (false))
			return true;
		std::this_thread::sleep_for (kWaitStep);
	}
	return running;
}

void SongDetector::run ()
{
	if (!desktop)
		return;
	desktop->enterThread (running);
	try
	{
		while (running)
		{
			SongInfo next = runDetectionPass (*desktop, state, playerKind.load ());
			{
				std::lock_guard<std::mutex> guard (lock);
				info = next;
			}
			++passes;
			if (!waitBetweenPasses ())
				break;
		}
	}
	catch (...)
	{
		// A pass that throws ends detection; the last record stays published.
	}
	desktop->leaveThread ();
}

} // namespace cadora
