#include "platform/linux/pulsemeter.h"

#include "platform/clock.h"
#include "platform/linux/desktopwait.h"
#include "platform/linux/pulseapi.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace cadora::platform {

namespace {

constexpr int64_t kAnswerLimitNs = 1'000'000'000;
// After a failure the server is left alone this long: a hung one costs one wait, not one per pass.
constexpr int64_t kReconnectDelayNs = 5'000'000'000;
// How long a probe waits for every monitor to deliver. A new monitor of a player that
// plays with low latency delivers within about 15 ms; one with a long buffer takes
// longer and reports silence until a later probe.
constexpr int64_t kPeakLimitNs = 50'000'000;
// Peaks per second of a monitor stream: each value is the peak of 10 ms of sound. At 25
// per second (40 ms) a new monitor's first value took up to a second to come.
constexpr uint32_t kPeakRate = 100;
// Iterations of the main loop handled in one go without waiting.
constexpr int kMaxDispatches = 64;

struct ListRequest
{
	std::vector<PulseMeter::Input>* inputs = nullptr;
	std::map<uint32_t, uint32_t>* monitorSources = nullptr;
	int listsDone = 0;
};

uint32_t pidOf (const pa_proplist* properties)
{
	const char* text = pulseApi ()->proplistGets (properties, PA_PROP_APPLICATION_PROCESS_ID);
	if (!text)
		return 0;
	char* end = nullptr;
	const unsigned long value = std::strtoul (text, &end, 10);
	return end != text && *end == '\0' && value <= UINT32_MAX ? static_cast<uint32_t> (value) : 0;
}

void onSink (pa_context*, const pa_sink_info* info, int eol, void* userdata)
{
	auto* request = static_cast<ListRequest*> (userdata);
	if (eol)
		++request->listsDone;
	else if (info)
		(*request->monitorSources)[info->index] = info->monitor_source;
}

void onSinkInput (pa_context*, const pa_sink_input_info* info, int eol, void* userdata)
{
	auto* request = static_cast<ListRequest*> (userdata);
	if (eol)
		++request->listsDone;
	else if (info)
		request->inputs->push_back ({info->index, info->sink, pidOf (info->proplist), info->corked != 0});
}

void onPeaks (pa_stream* stream, size_t, void* userdata)
{
	auto* monitor = static_cast<PulseMeter::Monitor*> (userdata);
	const PulseApi& api = *pulseApi ();
	const void* data = nullptr;
	size_t bytes = 0;
	while (api.peek (stream, &data, &bytes) == 0 && bytes > 0)
	{
		// No data with a length is a hole in the stream: nothing to measure.
		const size_t values = data ? bytes / sizeof (float) : 0;
		for (size_t i = 0; i < values; ++i)
		{
			float value = 0.0f;
			std::memcpy (&value, static_cast<const char*> (data) + i * sizeof (float), sizeof (value));
			monitor->peakSinceProbe = std::max (monitor->peakSinceProbe, std::fabs (value));
			monitor->fresh = true;
		}
		api.drop (stream);
	}
}

bool streamGone (pa_stream* stream)
{
	const pa_stream_state_t state = pulseApi ()->streamState (stream);
	return state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED;
}

} // namespace

PulseMeter::~PulseMeter ()
{
	close ();
}

void PulseMeter::close ()
{
	while (!monitors.empty ())
		dropMonitor (monitors.begin ()->first);
	const PulseApi* api = pulseApi ();
	if (context)
	{
		api->disconnect (context);
		api->contextUnref (context);
		context = nullptr;
	}
	if (loop)
	{
		api->mainloopFree (loop);
		loop = nullptr;
	}
}

void PulseMeter::fail ()
{
	close ();
	nextConnectNs = steadyNowNs () + kReconnectDelayNs;
}

bool PulseMeter::contextBroken () const
{
	const pa_context_state_t state = pulseApi ()->contextState (context);
	return state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED;
}

void PulseMeter::dispatchPending ()
{
	for (int i = 0; i < kMaxDispatches && pulseApi ()->iterate (loop, 0, nullptr) > 0; ++i)
		;
}

template <typename Done>
bool PulseMeter::runUntil (Done done, int64_t limitNs, const std::atomic<bool>& keepGoing)
{
	const PulseApi& api = *pulseApi ();
	const WaitLimit limit (keepGoing, limitNs);
	for (;;)
	{
		dispatchPending ();
		if (done ())
			return true;
		if (limit.over () || contextBroken ())
			return false;
		if (api.prepare (loop, limit.sliceMs () * 1000) < 0 || api.poll (loop) < 0 || api.dispatch (loop) < 0)
			return false;
	}
}

bool PulseMeter::connect (const std::atomic<bool>& keepGoing)
{
	const PulseApi* api = pulseApi ();
	if (!api)
		return false;
	if (context && contextBroken ())
		close ();
	if (context)
		return true;
	if (steadyNowNs () < nextConnectNs)
		return false;
	loop = api->mainloopNew ();
	context = loop ? api->contextNew (api->mainloopApi (loop), "cadora") : nullptr;
	// Never autospawn: a plug-in must not start a sound server on the user's behalf.
	const bool ready =
	    context && api->connect (context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0 &&
	    runUntil ([&] { return api->contextState (context) == PA_CONTEXT_READY; }, kAnswerLimitNs, keepGoing);
	if (!ready)
		fail ();
	return ready;
}

bool PulseMeter::listInputs (std::vector<Input>& inputs, std::map<uint32_t, uint32_t>& monitorSources,
                             const std::atomic<bool>& keepGoing)
{
	const PulseApi& api = *pulseApi ();
	ListRequest request {&inputs, &monitorSources, 0};
	pa_operation* sinks = api.sinkList (context, &onSink, &request);
	pa_operation* sinkInputs = api.sinkInputList (context, &onSinkInput, &request);
	const bool listed =
	    sinks && sinkInputs && runUntil ([&] { return request.listsDone == 2; }, kAnswerLimitNs, keepGoing);
	// The callbacks point at this frame: an unfinished list must never call them later.
	for (pa_operation* operation : {sinks, sinkInputs})
	{
		if (!operation)
			continue;
		if (api.operationState (operation) == PA_OPERATION_RUNNING)
			api.operationCancel (operation);
		api.operationUnref (operation);
	}
	return listed;
}

bool PulseMeter::startMonitor (const Input& input, uint32_t monitorSource)
{
	const PulseApi& api = *pulseApi ();
	const pa_sample_spec format {PA_SAMPLE_FLOAT32NE, kPeakRate, 1};
	pa_stream* stream = api.streamNew (context, "peak", &format, nullptr);
	if (!stream)
		return false;
	auto monitor = std::make_unique<Monitor> ();
	monitor->stream = stream;
	monitor->sink = input.sink;
	api.setMonitorStream (stream, input.index);
	api.setReadCallback (stream, &onPeaks, monitor.get ());
	pa_buffer_attr attributes;
	std::memset (&attributes, 0xFF, sizeof (attributes)); // -1: the server's choice
	attributes.fragsize = sizeof (float);                 // every peak as soon as it is measured
	char device[16];
	std::snprintf (device, sizeof (device), "%u", monitorSource);
	const auto flags = static_cast<pa_stream_flags_t> (PA_STREAM_DONT_MOVE | PA_STREAM_PEAK_DETECT |
	                                                   PA_STREAM_ADJUST_LATENCY);
	monitors[input.index] = std::move (monitor);
	if (api.connectRecord (stream, device, &attributes, flags) < 0)
	{
		dropMonitor (input.index);
		return false;
	}
	return true;
}

void PulseMeter::dropMonitor (uint32_t input)
{
	const auto found = monitors.find (input);
	if (found == monitors.end ())
		return;
	const PulseApi& api = *pulseApi ();
	pa_stream* stream = found->second->stream;
	api.setReadCallback (stream, nullptr, nullptr);
	api.streamDisconnect (stream);
	api.streamUnref (stream);
	monitors.erase (found);
}

void PulseMeter::updateMonitors (const std::vector<Input>& inputs,
                                 const std::map<uint32_t, uint32_t>& monitorSources)
{
	// A monitor goes with its sink input, and when that input moved to another sink
	// (the stream may not follow it) or stopped.
	std::vector<uint32_t> stale;
	for (const auto& [index, monitor] : monitors)
	{
		const auto input = std::find_if (inputs.begin (), inputs.end (),
		                                 [&, wanted = index] (const Input& i) { return i.index == wanted; });
		if (input == inputs.end () || input->sink != monitor->sink || input->corked ||
		    streamGone (monitor->stream))
			stale.push_back (index);
	}
	for (const uint32_t index : stale)
		dropMonitor (index);

	for (const auto& input : inputs)
	{
		const auto source = monitorSources.find (input.sink);
		if (input.corked || monitors.count (input.index) || source == monitorSources.end ())
			continue;
		startMonitor (input, source->second);
	}
}

bool PulseMeter::sessions (std::vector<AudioSession>& out, const std::atomic<bool>& keepGoing)
{
	out.clear ();
	if (!connect (keepGoing))
		return false;
	std::vector<Input> inputs;
	std::map<uint32_t, uint32_t> monitorSources;
	if (!listInputs (inputs, monitorSources, keepGoing))
	{
		fail ();
		return false;
	}
	updateMonitors (inputs, monitorSources);
	// The server hands a waiting client the peaks measured since it last read, but wakes
	// it only once a new one is measured: so every probe waits for one fresh value of
	// each monitor, at most a peak period for those already open.
	runUntil (
	    [this] {
		    return std::all_of (monitors.begin (), monitors.end (),
		                        [] (const auto& m) { return m.second->fresh; });
	    },
	    kPeakLimitNs, keepGoing);

	for (const auto& input : inputs)
	{
		AudioSession session {input.pid, 0.0f};
		if (const auto found = monitors.find (input.index); found != monitors.end ())
		{
			Monitor& monitor = *found->second;
			// A monitor that delivered nothing in time repeats what it said last.
			if (monitor.fresh)
				monitor.lastPeak = monitor.peakSinceProbe;
			monitor.peakSinceProbe = 0.0f;
			monitor.fresh = false;
			session.peak = monitor.lastPeak;
		}
		out.push_back (session);
	}
	return true;
}

} // namespace cadora::platform
