// The top-level windows of the X display named by DISPLAY, through one xcb connection
// kept open between listings: the client windows a window manager manages
// (_NET_CLIENT_LIST_STACKING, else _NET_CLIENT_LIST) and the children of the root (all
// windows without a manager; unmanaged and never-shown ones with one; a manager's frames
// too, which carry no class and no title); topmost first, as Windows lists them. A
// listing younger than 20 ms is handed out again: a detection pass asks two or three
// times in a row, and each listing costs a round trip of questions about every window. No display, a
// server that went away or one that does not answer within the wait limit: no windows,
// and a new connection is tried a little later.
#pragma once

#include "platform/desktop.h"

#include <atomic>
#include <cstdint>
#include <vector>

struct xcb_connection_t;
struct xcb_get_property_reply_t;

namespace cadora::platform {

class X11Windows
{
public:
	X11Windows () = default;
	~X11Windows ();
	X11Windows (const X11Windows&) = delete;
	X11Windows& operator= (const X11Windows&) = delete;

	void list (std::vector<TopWindow>& out, const std::atomic<bool>& keepGoing);
	void close ();

private:
	struct Atoms
	{
		uint32_t clientListStacking = 0;
		uint32_t clientList = 0;
		uint32_t netWmName = 0;
		uint32_t netWmPid = 0;
		uint32_t utf8String = 0;
		uint32_t compoundText = 0;
		uint32_t wmState = 0;
	};

	bool connect (const std::atomic<bool>& keepGoing);
	bool listCandidates (std::vector<uint32_t>& windows, const std::atomic<bool>& keepGoing);
	bool describe (const std::vector<uint32_t>& windows, std::vector<TopWindow>& out,
	               const std::atomic<bool>& keepGoing);
	std::u16string titleOf (const xcb_get_property_reply_t* netWmName,
	                        const xcb_get_property_reply_t* wmName) const;

	xcb_connection_t* connection = nullptr;
	uint32_t root = 0;
	Atoms atoms;
	int64_t nextConnectNs = 0;
	std::vector<TopWindow> listing; // the last listing, handed out again while young
	int64_t listedAtNs = INT64_MIN;
};

} // namespace cadora::platform
