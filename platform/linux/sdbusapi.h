// The sd-bus functions the media-session reader calls, from libsystemd.so.0 opened on
// first use: a host without systemd's library still loads the plug-in, and then simply
// has no media sessions.
#pragma once

#include <systemd/sd-bus.h>

namespace cadora::platform {

struct SdBusApi
{
	decltype (&::sd_bus_open_user) openUser = nullptr;
	decltype (&::sd_bus_close) close = nullptr;
	decltype (&::sd_bus_unref) unref = nullptr;
	decltype (&::sd_bus_is_open) isOpen = nullptr;
	decltype (&::sd_bus_call_async) callAsync = nullptr;
	decltype (&::sd_bus_process) process = nullptr;
	decltype (&::sd_bus_wait) wait = nullptr;
	decltype (&::sd_bus_slot_unref) slotUnref = nullptr;
	decltype (&::sd_bus_message_new_method_call) newMethodCall = nullptr;
	decltype (&::sd_bus_message_ref) messageRef = nullptr;
	decltype (&::sd_bus_message_unref) messageUnref = nullptr;
	decltype (&::sd_bus_message_is_method_error) isMethodError = nullptr;
	decltype (&::sd_bus_message_append) append = nullptr;
	decltype (&::sd_bus_message_read_basic) readBasic = nullptr;
	decltype (&::sd_bus_message_skip) skip = nullptr;
	decltype (&::sd_bus_message_enter_container) enterContainer = nullptr;
	decltype (&::sd_bus_message_exit_container) exitContainer = nullptr;
	decltype (&::sd_bus_message_peek_type) peekType = nullptr;
};

// The functions, or null when the library or one of them is missing.
const SdBusApi* sdBusApi ();

} // namespace cadora::platform
