// Audio sessions of a private PulseAudio server (tools/desktop/session) with stand-in
// players of ours playing tones at known levels into its null sink.
#include "platform/clock.h"
#include "platform/desktop.h"
#include "standin.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>

namespace cadora::platform {
namespace {

using test::StandIn;

const std::string kTone = CADORA_TONE_STANDIN;

const AudioSession* sessionOf (const std::vector<AudioSession>& sessions, pid_t pid)
{
	const auto found = std::find_if (sessions.begin (), sessions.end (), [&] (const AudioSession& s) {
		return s.pid == static_cast<uint32_t> (pid);
	});
	return found == sessions.end () ? nullptr : &*found;
}

TEST (PulseMeter, MeasuresEachPlayersPeakFromTheFirstProbeOn)
{
	StandIn loud (kTone, {}, {"--level", "0.5"});
	StandIn quiet (kTone, {}, {"--level", "0.25", "--frequency", "660"});
	ASSERT_TRUE (loud.ready ());
	ASSERT_TRUE (quiet.ready ());
	auto desktop = openSystemDesktop ();
	for (int probe = 0; probe < 3; ++probe)
	{
		std::vector<AudioSession> sessions;
		ASSERT_TRUE (desktop->audioSessions (sessions));
		const AudioSession* l = sessionOf (sessions, loud.pid ());
		const AudioSession* q = sessionOf (sessions, quiet.pid ());
		ASSERT_NE (l, nullptr) << "probe " << probe;
		ASSERT_NE (q, nullptr) << "probe " << probe;
		EXPECT_NEAR (l->peak, 0.5f, 0.03f) << "probe " << probe;
		EXPECT_NEAR (q->peak, 0.25f, 0.03f) << "probe " << probe;
		::usleep (300000); // a detection pass later
	}
}

// The sound server drops a player's stream only once it has seen the player's connection
// close, which on a busy machine can come after the player's exit: the probes may list it
// until then, never for long.
TEST (PulseMeter, APlayerThatStoppedIsGoneFromTheProbes)
{
	auto desktop = openSystemDesktop ();
	std::vector<AudioSession> sessions;
	pid_t pid = 0;
	{
		StandIn player (kTone, {}, {"--level", "0.5"});
		ASSERT_TRUE (player.ready ());
		pid = player.pid ();
		ASSERT_TRUE (desktop->audioSessions (sessions));
		EXPECT_NE (sessionOf (sessions, pid), nullptr);
	}
	const int64_t stopped = steadyNowNs ();
	do
	{
		ASSERT_TRUE (desktop->audioSessions (sessions));
		if (!sessionOf (sessions, pid))
			break;
		::usleep (20000);
	} while (steadyNowNs () - stopped < 2000000000);
	EXPECT_EQ (sessionOf (sessions, pid), nullptr) << "still listed 2 s after the player stopped";
}

TEST (PulseMeter, ProbesKeepTheirMonitorsSoOnlyTheFirstOneWaitsForAPeak)
{
	StandIn a (kTone, {}, {"--level", "0.5"});
	StandIn b (kTone, {}, {"--level", "0.25"});
	ASSERT_TRUE (a.ready ());
	ASSERT_TRUE (b.ready ());
	auto desktop = openSystemDesktop ();
	std::vector<AudioSession> sessions;
	ASSERT_TRUE (desktop->audioSessions (sessions));
	::usleep (100000);
	const int64_t start = steadyNowNs ();
	ASSERT_TRUE (desktop->audioSessions (sessions));
	const double ms = static_cast<double> (steadyNowNs () - start) / 1e6;
	// A new peak comes every 10 ms; only a probe that waits for nothing reaches the 50 ms limit.
	EXPECT_LT (ms, 45.0) << "a probe with its monitors open waits at most for one new peak";
	EXPECT_NEAR (sessionOf (sessions, a.pid ())->peak, 0.5f, 0.03f);
}

} // namespace
} // namespace cadora::platform
