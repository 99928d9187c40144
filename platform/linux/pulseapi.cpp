#include "platform/linux/pulseapi.h"

#include "platform/linux/dynamicsymbols.h"

namespace cadora::platform {

namespace {

bool bindMainloop (void* library, PulseApi& api)
{
	return bindSymbol (library, "pa_mainloop_new", api.mainloopNew) &&
	       bindSymbol (library, "pa_mainloop_free", api.mainloopFree) &&
	       bindSymbol (library, "pa_mainloop_get_api", api.mainloopApi) &&
	       bindSymbol (library, "pa_mainloop_prepare", api.prepare) &&
	       bindSymbol (library, "pa_mainloop_poll", api.poll) &&
	       bindSymbol (library, "pa_mainloop_dispatch", api.dispatch) &&
	       bindSymbol (library, "pa_mainloop_iterate", api.iterate);
}

bool bindContext (void* library, PulseApi& api)
{
	return bindSymbol (library, "pa_context_new", api.contextNew) &&
	       bindSymbol (library, "pa_context_connect", api.connect) &&
	       bindSymbol (library, "pa_context_disconnect", api.disconnect) &&
	       bindSymbol (library, "pa_context_unref", api.contextUnref) &&
	       bindSymbol (library, "pa_context_get_state", api.contextState) &&
	       bindSymbol (library, "pa_context_get_sink_info_list", api.sinkList) &&
	       bindSymbol (library, "pa_context_get_sink_input_info_list", api.sinkInputList) &&
	       bindSymbol (library, "pa_operation_get_state", api.operationState) &&
	       bindSymbol (library, "pa_operation_cancel", api.operationCancel) &&
	       bindSymbol (library, "pa_operation_unref", api.operationUnref) &&
	       bindSymbol (library, "pa_proplist_gets", api.proplistGets);
}

bool bindStream (void* library, PulseApi& api)
{
	return bindSymbol (library, "pa_stream_new", api.streamNew) &&
	       bindSymbol (library, "pa_stream_set_monitor_stream", api.setMonitorStream) &&
	       bindSymbol (library, "pa_stream_set_read_callback", api.setReadCallback) &&
	       bindSymbol (library, "pa_stream_connect_record", api.connectRecord) &&
	       bindSymbol (library, "pa_stream_get_state", api.streamState) &&
	       bindSymbol (library, "pa_stream_peek", api.peek) &&
	       bindSymbol (library, "pa_stream_drop", api.drop) &&
	       bindSymbol (library, "pa_stream_disconnect", api.streamDisconnect) &&
	       bindSymbol (library, "pa_stream_unref", api.streamUnref);
}

} // namespace

const PulseApi* pulseApi ()
{
	// Opened once, never closed: streams and contexts of any caller may still use it.
	static const PulseApi* const api = [] () -> const PulseApi* {
		static PulseApi table;
		void* library = openSystemLibrary ("libpulse.so.0");
		return library && bindMainloop (library, table) && bindContext (library, table) &&
		               bindStream (library, table)
		           ? &table
		           : nullptr;
	}();
	return api;
}

} // namespace cadora::platform
