// Method calls on an sd-bus connection sent together and awaited together, within a
// wait limit: a batch of questions to many players costs one round trip, and a player
// that never answers costs no more than the limit. Replies are owned by the batch; calls
// still unanswered when it is destroyed are cancelled, so no callback outlives it.
#pragma once

#include "platform/linux/desktopwait.h"
#include "platform/linux/sdbusapi.h"

#include <memory>
#include <vector>

namespace cadora::platform {

class BusCalls
{
public:
	BusCalls (const SdBusApi& api, sd_bus* bus);
	~BusCalls ();
	BusCalls (const BusCalls&) = delete;
	BusCalls& operator= (const BusCalls&) = delete;

	// Sends a call with no argument or one string argument; returns its number, which
	// reply () takes. A call that could not be sent simply never has a reply.
	size_t call (const char* destination, const char* path, const char* interface, const char* member,
	             const char* stringArgument = nullptr);
	// Processes the connection until every call has its answer; false when the limit ran
	// out first or the connection failed.
	bool awaitAll (const WaitLimit& limit);
	// The answer to a call, null when it failed, had an error or has not come.
	sd_bus_message* reply (size_t call) const;

private:
	struct Pending
	{
		const SdBusApi* api = nullptr;
		sd_bus_slot* slot = nullptr;
		sd_bus_message* reply = nullptr;
		bool done = false;
	};
	static int onReply (sd_bus_message* message, void* userdata, sd_bus_error* error);

	const SdBusApi& api;
	sd_bus* bus;
	std::vector<std::unique_ptr<Pending>> calls;
};

} // namespace cadora::platform
