// Bounded waits for the connections of the Linux desktop (X server, session bus, sound
// server): a reply that does not come within its limit, or a detector that is being
// stopped, ends the wait, so that no call of the desktop blocks for long even when a
// service hangs.
#pragma once

#include <atomic>
#include <cstdint>

namespace cadora::platform {

class WaitLimit
{
public:
	WaitLimit (const std::atomic<bool>& keepGoing, int64_t limitNs);

	// The limit has passed, or the detector is stopping.
	bool over () const;
	// How long one sleep may last: at most a few milliseconds, so that a stop is noticed.
	int sliceMs () const;

private:
	const std::atomic<bool>& keepGoing;
	int64_t deadlineNs;
};

// Sleeps until fd has something to read or one slice of the limit has passed; false
// once the limit is over.
bool waitReadable (int fd, const WaitLimit& limit);

// The flag of a caller that never stops (tests and tools that call the desktop directly).
const std::atomic<bool>& alwaysGoing ();

} // namespace cadora::platform
