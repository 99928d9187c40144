// Steady clock and sleeping until a deadline: fine-grained, never backwards, never early.
#include "platform/clock.h"

#include <gtest/gtest.h>

using cadora::platform::sleepUntilNs;
using cadora::platform::steadyNowNs;

namespace {
constexpr int64_t kMs = 1000000;
}

TEST (SteadyClock, NeverGoesBackAndTicksFinerThanAMillisecond)
{
	int64_t previous = steadyNowNs ();
	int64_t finestStep = INT64_MAX;
	for (int i = 0; i < 200000; ++i)
	{
		const int64_t now = steadyNowNs ();
		ASSERT_GE (now, previous);
		if (now > previous)
			finestStep = std::min (finestStep, now - previous);
		previous = now;
	}
	EXPECT_LT (finestStep, kMs);
}

TEST (SteadyClock, SleepUntilReturnsAtTheDeadlineNotBefore)
{
	for (int64_t wait : {1 * kMs, 7 * kMs, 30 * kMs})
	{
		const int64_t deadline = steadyNowNs () + wait;
		sleepUntilNs (deadline);
		const int64_t woke = steadyNowNs ();
		EXPECT_GE (woke, deadline) << wait;
		EXPECT_LT (woke - deadline, 500 * kMs) << wait; // a loaded machine may be late
	}
}

TEST (SteadyClock, SleepUntilAPastDeadlineReturnsAtOnce)
{
	const int64_t start = steadyNowNs ();
	sleepUntilNs (start - 1000 * kMs);
	sleepUntilNs (start);
	EXPECT_LT (steadyNowNs () - start, 50 * kMs);
}
