#include "platform/linux/desktopwait.h"

#include "platform/clock.h"

#include <algorithm>
#include <poll.h>

namespace cadora::platform {

namespace {

constexpr int64_t kSliceNs = 5'000'000;

} // namespace

WaitLimit::WaitLimit (const std::atomic<bool>& keepGoingFlag, int64_t limitNs)
: keepGoing (keepGoingFlag), deadlineNs (steadyNowNs () + limitNs)
{
}

bool WaitLimit::over () const
{
	return !keepGoing.load () || steadyNowNs () >= deadlineNs;
}

int WaitLimit::sliceMs () const
{
	if (!keepGoing.load ())
		return 0;
	const int64_t left = deadlineNs - steadyNowNs ();
	if (left <= 0)
		return 0;
	// Round up: a poll of 0 ms would spin through the last fraction of a millisecond.
	return static_cast<int> ((std::min (left, kSliceNs) + 999'999) / 1'000'000);
}

bool waitReadable (int fd, const WaitLimit& limit)
{
	if (limit.over ())
		return false;
	pollfd entry {fd, POLLIN, 0};
	::poll (&entry, 1, limit.sliceMs ());
	return true;
}

const std::atomic<bool>& alwaysGoing ()
{
	static const std::atomic<bool> flag {true};
	return flag;
}

} // namespace cadora::platform
