// The steady clock that every time rule of key detection reads (150 ms worker cycle,
// 450 ms key step, 0.8 s silence, 8 s tempo hold): the real one for the worker thread,
// a manual one for tests and offline analysis in simulated time.
#pragma once

#include <cstdint>

namespace cadora {

constexpr int64_t kNanosPerMilli = 1000000;
constexpr int64_t kNanosPerSecond = 1000000000;

struct SteadyClock
{
	virtual ~SteadyClock () = default;
	// Signed 64-bit nanoseconds; never goes backwards.
	virtual int64_t nowNs () = 0;
};

// std::chrono::steady_clock.
class RealSteadyClock : public SteadyClock
{
public:
	int64_t nowNs () override;
};

// Time that moves only when told to. It starts at one second rather than at 0, because
// key detection uses the time stamp 0 to mean "never".
class ManualClock : public SteadyClock
{
public:
	explicit ManualClock (int64_t startNs = kNanosPerSecond) : now (startNs) {}
	int64_t nowNs () override { return now; }
	void advance (int64_t ns) { now += ns; }
	void set (int64_t ns) { now = ns; }

private:
	int64_t now;
};

} // namespace cadora
