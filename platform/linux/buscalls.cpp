#include "platform/linux/buscalls.h"

#include <algorithm>

namespace cadora::platform {

namespace {

// sd-bus ends a call itself after this; the caller's limit usually ends the wait sooner.
constexpr uint64_t kCallTimeoutUs = 2'000'000;

} // namespace

BusCalls::BusCalls (const SdBusApi& busApi, sd_bus* connection) : api (busApi), bus (connection) {}

BusCalls::~BusCalls ()
{
	for (auto& pending : calls)
	{
		if (pending->slot)
			api.slotUnref (pending->slot);
		if (pending->reply)
			api.messageUnref (pending->reply);
	}
}

int BusCalls::onReply (sd_bus_message* message, void* userdata, sd_bus_error*)
{
	auto* pending = static_cast<Pending*> (userdata);
	pending->done = true;
	if (!pending->api->isMethodError (message, nullptr))
		pending->reply = pending->api->messageRef (message);
	return 0;
}

size_t BusCalls::call (const char* destination, const char* path, const char* interface, const char* member,
                       const char* stringArgument)
{
	auto pending = std::make_unique<Pending> ();
	pending->api = &api;
	sd_bus_message* message = nullptr;
	bool sent =
	    api.newMethodCall (bus, &message, destination, path, interface, member) >= 0 &&
	    (!stringArgument || api.append (message, "s", stringArgument) >= 0) &&
	    api.callAsync (bus, &pending->slot, message, &BusCalls::onReply, pending.get (), kCallTimeoutUs) >= 0;
	if (message)
		api.messageUnref (message);
	if (!sent)
		pending->done = true;
	calls.push_back (std::move (pending));
	return calls.size () - 1;
}

bool BusCalls::awaitAll (const WaitLimit& limit)
{
	const auto allDone = [this] {
		return std::all_of (calls.begin (), calls.end (), [] (const auto& pending) { return pending->done; });
	};
	for (;;)
	{
		int processed = 0;
		while ((processed = api.process (bus, nullptr)) > 0)
			;
		if (processed < 0)
			return false;
		if (allDone ())
			return true;
		if (limit.over ())
			return false;
		api.wait (bus, static_cast<uint64_t> (limit.sliceMs ()) * 1000);
	}
}

sd_bus_message* BusCalls::reply (size_t call) const
{
	return call < calls.size () ? calls[call]->reply : nullptr;
}

} // namespace cadora::platform
