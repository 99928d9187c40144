// The detection thread: what is published before and after the first pass, a new player
// choice, and stopping while a pass is slow.
#include "fakedesktop.h"

#include "platform/threadcount.h"
#include "players/songdetector.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace cadora {
namespace {

using Clock = std::chrono::steady_clock;
using test::FakeDesktop;

template <typename Condition>
bool waitFor (Condition condition, std::chrono::milliseconds limit = std::chrono::seconds (5))
{
	const auto deadline = Clock::now () + limit;
	while (!condition ())
	{
		if (Clock::now () > deadline)
			return false;
		std::this_thread::sleep_for (std::chrono::milliseconds (1));
	}
	return true;
}

TEST (SongDetector, PublishesTheFirstPassOverTheInitialRecord)
{
	auto desktop = std::make_unique<FakeDesktop> ();
	desktop->slowMedia = true; // the first pass waits until the detector stops or 2 s pass
	FakeDesktop& fake = *desktop;
	SongDetector detector (4, std::move (desktop));
	ASSERT_TRUE (waitFor ([&] { return fake.mediaEntered.load (); }));
	SongInfo info;
	detector.snapshot (info);
	EXPECT_STREQ ("正在检测播放器", info.playerLabel);
	EXPECT_STREQ ("暂无歌曲名称", info.title);
	EXPECT_STREQ ("暂无歌手信息", info.artist);
	fake.slowMedia = false;
	ASSERT_TRUE (waitFor ([&] { return detector.passesCompleted () >= 1; }));
	detector.snapshot (info);
	EXPECT_STREQ ("wesing", info.playerId);
	EXPECT_STREQ ("全民K歌", info.playerLabel);
	EXPECT_STREQ ("未获取到歌曲信息", info.title);
}

TEST (SongDetector, DestructionDuringASlowPassReturnsPromptly)
{
	auto desktop = std::make_unique<FakeDesktop> ();
	desktop->slowMedia = true;
	FakeDesktop& fake = *desktop;
	auto detector = std::make_unique<SongDetector> (0, std::move (desktop));
	// The fake blocks the media step until the detector stops; prove it is blocking.
	ASSERT_TRUE (waitFor ([&] { return fake.mediaEntered.load (); }));
	std::this_thread::sleep_for (std::chrono::milliseconds (50));
	EXPECT_EQ (0u, detector->passesCompleted ());

	const auto start = Clock::now ();
	detector.reset ();
	const auto took = Clock::now () - start;
	EXPECT_LT (took, std::chrono::milliseconds (500)) << "the 2 s wait limit was not cut short";
}

TEST (SongDetector, DestructionBetweenPassesDoesNotWaitOutTheSleep)
{
	auto detector = std::make_unique<SongDetector> (0, std::make_unique<FakeDesktop> ());
	ASSERT_TRUE (waitFor ([&] { return detector->passesCompleted () >= 2; }));
	std::this_thread::sleep_for (std::chrono::milliseconds (20)); // inside the 300 ms wait
	const auto start = Clock::now ();
	detector.reset ();
	EXPECT_LT (Clock::now () - start, std::chrono::milliseconds (50));
}

// A new player choice during a pass: that pass finishes with the old kind, the next one
// follows without waiting the 300 ms.
TEST (SongDetector, SetPlayerKindDuringAPass)
{
	auto desktop = std::make_unique<FakeDesktop> ();
	FakeDesktop& fake = *desktop;
	std::mutex m;
	std::vector<std::pair<std::string, Clock::time_point>> published;
	SongDetector detector (1, std::move (desktop), [&] (uint64_t, const SongInfo& info) {
		std::lock_guard<std::mutex> guard (m);
		published.emplace_back (info.playerId, Clock::now ());
	});
	// The first two passes run back to back; then the wait between passes begins.
	ASSERT_TRUE (waitFor ([&] { return detector.passesCompleted () >= 2; }));
	fake.mediaEntered = false;
	fake.slowMedia = true;
	ASSERT_TRUE (waitFor ([&] { return fake.mediaEntered.load (); })) << "the third pass is running";
	detector.setPlayerKind (3);
	fake.slowMedia = false;
	const auto released = Clock::now ();
	ASSERT_TRUE (waitFor ([&] { return detector.passesCompleted () >= 4; }));

	std::lock_guard<std::mutex> guard (m);
	ASSERT_GE (published.size (), 4u);
	EXPECT_EQ ("kugou", published[2].first) << "the running pass keeps the kind it started with";
	EXPECT_EQ ("netease", published[3].first);
	EXPECT_LT (published[3].second - released, std::chrono::milliseconds (150))
	    << "the next pass starts as soon as the running one ends";
}

TEST (SongDetector, AnExceptionEndsDetectionAndKeepsTheLastRecord)
{
	struct ThrowingDesktop : FakeDesktop
	{
		std::atomic<int> listings {0};
		void topWindows (std::vector<platform::TopWindow>& out) override
		{
			if (++listings > 4) // three listings a pass: the second pass throws at its second
				throw std::bad_alloc ();
			FakeDesktop::topWindows (out);
		}
	};
	auto desktop = std::make_unique<ThrowingDesktop> ();
	ThrowingDesktop& fake = *desktop;
	SongDetector detector (2, std::move (desktop));
	ASSERT_TRUE (waitFor ([&] { return fake.listings.load () > 4; }));
	std::this_thread::sleep_for (std::chrono::milliseconds (400));
	EXPECT_EQ (1u, detector.passesCompleted ());
	EXPECT_EQ (5, fake.listings.load ()) << "no pass after the one that threw";
	EXPECT_TRUE (detector.ended ());
	SongInfo info;
	detector.snapshot (info);
	EXPECT_STREQ ("qqmusic", info.playerId);
}

TEST (SongDetector, ThousandsOfDetectorsLeaveNoThreadBehind)
{
	// One detector first: a runtime may start helper threads of its own with the first thread
	// a program makes (ThreadSanitizer does), and those stay for good.
	{
		SongDetector warmUp (0, std::make_unique<FakeDesktop> ());
	}
	const size_t before = platform::threadsOfThisProcess ();
	for (int i = 0; i < 1000; ++i)
		SongDetector detector (i % 6, std::make_unique<FakeDesktop> ());
	EXPECT_EQ (before, platform::threadsOfThisProcess ());
}

} // namespace
} // namespace cadora
