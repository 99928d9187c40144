#include "platform/linux/sdbusapi.h"

#include "platform/linux/dynamicsymbols.h"

namespace cadora::platform {

namespace {

bool bindAll (void* library, SdBusApi& api)
{
	return bindSymbol (library, "sd_bus_open_user", api.openUser) &&
	       bindSymbol (library, "sd_bus_close", api.close) &&
	       bindSymbol (library, "sd_bus_unref", api.unref) &&
	       bindSymbol (library, "sd_bus_is_open", api.isOpen) &&
	       bindSymbol (library, "sd_bus_call_async", api.callAsync) &&
	       bindSymbol (library, "sd_bus_process", api.process) &&
	       bindSymbol (library, "sd_bus_wait", api.wait) &&
	       bindSymbol (library, "sd_bus_slot_unref", api.slotUnref) &&
	       bindSymbol (library, "sd_bus_message_new_method_call", api.newMethodCall) &&
	       bindSymbol (library, "sd_bus_message_ref", api.messageRef) &&
	       bindSymbol (library, "sd_bus_message_unref", api.messageUnref) &&
	       bindSymbol (library, "sd_bus_message_is_method_error", api.isMethodError) &&
	       bindSymbol (library, "sd_bus_message_append", api.append) &&
	       bindSymbol (library, "sd_bus_message_read_basic", api.readBasic) &&
	       bindSymbol (library, "sd_bus_message_skip", api.skip) &&
	       bindSymbol (library, "sd_bus_message_enter_container", api.enterContainer) &&
	       bindSymbol (library, "sd_bus_message_exit_container", api.exitContainer) &&
	       bindSymbol (library, "sd_bus_message_peek_type", api.peekType);
}

} // namespace

const SdBusApi* sdBusApi ()
{
	// Opened once, never closed: a bus connection may outlive any one caller.
	static const SdBusApi* const api = [] () -> const SdBusApi* {
		static SdBusApi table;
		void* library = openSystemLibrary ("libsystemd.so.0");
		return library && bindAll (library, table) ? &table : nullptr;
	}();
	return api;
}

} // namespace cadora::platform
