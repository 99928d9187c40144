// The libpulse functions the audio-session probe calls, from libpulse.so.0 opened on
// first use: a host without PulseAudio's client library still loads the plug-in, and
// then simply finds no audio sessions.
#pragma once

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>

namespace cadora::platform {

struct PulseApi
{
	decltype (&::pa_mainloop_new) mainloopNew = nullptr;
	decltype (&::pa_mainloop_free) mainloopFree = nullptr;
	decltype (&::pa_mainloop_get_api) mainloopApi = nullptr;
	decltype (&::pa_mainloop_prepare) prepare = nullptr;
	decltype (&::pa_mainloop_poll) poll = nullptr;
	decltype (&::pa_mainloop_dispatch) dispatch = nullptr;
	decltype (&::pa_mainloop_iterate) iterate = nullptr;
	decltype (&::pa_context_new) contextNew = nullptr;
	decltype (&::pa_context_connect) connect = nullptr;
	decltype (&::pa_context_disconnect) disconnect = nullptr;
	decltype (&::pa_context_unref) contextUnref = nullptr;
	decltype (&::pa_context_get_state) contextState = nullptr;
	decltype (&::pa_context_get_sink_info_list) sinkList = nullptr;
	decltype (&::pa_context_get_sink_input_info_list) sinkInputList = nullptr;
	decltype (&::pa_operation_get_state) operationState = nullptr;
	decltype (&::pa_operation_cancel) operationCancel = nullptr;
	decltype (&::pa_operation_unref) operationUnref = nullptr;
	decltype (&::pa_proplist_gets) proplistGets = nullptr;
	decltype (&::pa_stream_new) streamNew = nullptr;
	decltype (&::pa_stream_set_monitor_stream) setMonitorStream = nullptr;
	decltype (&::pa_stream_set_read_callback) setReadCallback = nullptr;
	decltype (&::pa_stream_connect_record) connectRecord = nullptr;
	decltype (&::pa_stream_get_state) streamState = nullptr;
	decltype (&::pa_stream_peek) peek = nullptr;
	decltype (&::pa_stream_drop) drop = nullptr;
	decltype (&::pa_stream_disconnect) streamDisconnect = nullptr;
	decltype (&::pa_stream_unref) streamUnref = nullptr;
};

// The functions, or null when the library or one of them is missing.
const PulseApi* pulseApi ();

} // namespace cadora::platform
