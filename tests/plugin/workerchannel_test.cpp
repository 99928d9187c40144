// The hand-over between processor and worker, on its own: stopping cuts the worker's wait
// short, and Hardness reaches the worker once per offer.
#include "plugin/workerchannel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace cadora {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int64_t kMinuteNs = 60'000'000'000;

TEST (WorkerChannel, StoppingWakesAWaitingWorkerAtOnce)
{
	WorkerChannel channel;
	channel.start ();
	bool stillRunning = true;
	Clock::duration waited {};
	std::thread worker ([&] {
		const auto start = Clock::now ();
		stillRunning = channel.waitFor (kMinuteNs);
		waited = Clock::now () - start;
	});
	std::this_thread::sleep_for (std::chrono::milliseconds (50)); // the worker is waiting by now
	channel.stop ();
	worker.join ();
	EXPECT_FALSE (stillRunning);
	// Far below the minute asked for, with room for a busy machine.
	EXPECT_LT (waited, std::chrono::seconds (10));
}

TEST (WorkerChannel, WithoutStopTheWaitLastsItsPeriod)
{
	WorkerChannel channel;
	channel.start ();
	const auto start = Clock::now ();
	EXPECT_TRUE (channel.waitFor (30'000'000));
	EXPECT_GE (Clock::now () - start, std::chrono::milliseconds (30));
	channel.stop ();
	EXPECT_FALSE (channel.waitFor (kMinuteNs)) << "a stopped channel does not wait";
}

TEST (WorkerChannel, HardnessIsTakenOncePerOffer)
{
	WorkerChannel channel;
	double value = -1.0;
	EXPECT_FALSE (channel.takeHardness (value));
	channel.offerHardness (0.25);
	channel.offerHardness (0.75); // the newest of two offers between cycles
	ASSERT_TRUE (channel.takeHardness (value));
	EXPECT_EQ (0.75, value);
	EXPECT_FALSE (channel.takeHardness (value));
	channel.storeHardness (0.1); // a loaded project: no hand-over of its own
	EXPECT_FALSE (channel.takeHardness (value));
	channel.open (100, 44100, 0.9); // activation hands the current value on
	ASSERT_TRUE (channel.takeHardness (value));
	EXPECT_EQ (0.9, value);
}

} // namespace
} // namespace cadora
