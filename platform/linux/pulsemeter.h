// Audio sessions on Linux: the sink inputs of the PulseAudio server (PipeWire's pulse
// server alike), each with the process id its client reports and a peak measured by a
// peak-detect monitor stream on that one sink input (100 peaks a second). The connection
// and the monitor streams stay open between probes: a probe waits for one fresh peak of
// every monitor (a few milliseconds, about 15 for a newly seen sink input whose player
// plays with low latency) and reports the loudest peak since the previous probe. No library, no server, a
// server that does not answer within a second: no sessions (false), and nothing is ever started.
#pragma once

#include "platform/desktop.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

struct pa_context;
struct pa_mainloop;
struct pa_stream;

namespace cadora::platform {

class PulseMeter
{
public:
	PulseMeter () = default;
	~PulseMeter ();
	PulseMeter (const PulseMeter&) = delete;
	PulseMeter& operator= (const PulseMeter&) = delete;

	bool sessions (std::vector<AudioSession>& out, const std::atomic<bool>& keepGoing);
	void close ();

	// One sink input as the server lists it.
	struct Input
	{
		uint32_t index = 0;
		uint32_t sink = 0;
		uint32_t pid = 0;
		bool corked = false;
	};
	// One peak-detect stream on one sink input; fed by the stream's read callback.
	struct Monitor
	{
		pa_stream* stream = nullptr;
		uint32_t sink = 0;
		float peakSinceProbe = 0.0f; // loudest value read since the last probe
		bool fresh = false;          // values were read since the last probe
		float lastPeak = 0.0f;       // what the last probe reported
	};

private:
	bool connect (const std::atomic<bool>& keepGoing);
	bool listInputs (std::vector<Input>& inputs, std::map<uint32_t, uint32_t>& monitorSources,
	                 const std::atomic<bool>& keepGoing);
	void updateMonitors (const std::vector<Input>& inputs,
	                     const std::map<uint32_t, uint32_t>& monitorSources);
	bool startMonitor (const Input& input, uint32_t monitorSource);
	void dropMonitor (uint32_t input);
	template <typename Done>
	bool runUntil (Done done, int64_t limitNs, const std::atomic<bool>& keepGoing);
	void dispatchPending ();
	void fail (); // closes everything; a new connection is tried only after a while
	bool contextBroken () const;

	pa_mainloop* loop = nullptr;
	pa_context* context = nullptr;
	std::map<uint32_t, std::unique_ptr<Monitor>> monitors; // by sink input index
	int64_t nextConnectNs = 0;
};

} // namespace cadora::platform
