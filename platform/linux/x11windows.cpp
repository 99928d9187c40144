#include "platform/linux/x11windows.h"

#include "platform/clock.h"
#include "platform/linux/desktopwait.h"
#include "platform/linux/utf16text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_set>
#include <xcb/xcb.h>
#include <xcb/xcbext.h> // xcb_poll_for_reply: waiting for a reply with a limit

namespace cadora::platform {

namespace {

// A server answers a listing in milliseconds; one that takes this long is not answering.
constexpr int64_t kReplyLimitNs = 1'000'000'000;
constexpr int64_t kReconnectDelayNs = 2'000'000'000;
// A detection pass lists the windows two or three times within a few milliseconds; on
// X11 each listing is a server round trip for every window, so a listing this young is
// handed out again instead.
constexpr int64_t kListingReuseNs = 20'000'000;
constexpr size_t kMaxTitleUnits = 1023; // what a 1024-unit GetWindowTextW buffer holds
constexpr size_t kMaxClassUnits = 255;
constexpr uint32_t kIconicState = 3; // WM_STATE of a minimised (iconified) client
// Property lengths in 32-bit units: room for the longest title and class kept.
constexpr uint32_t kTitleLongs = 1024;
constexpr uint32_t kClassLongs = 128;
constexpr uint32_t kWindowListLongs = 65536;

struct FreeReply
{
	void operator() (void* reply) const { std::free (reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// The reply to one request, fetched within the limit; null after an error reply, and
// null with timedOut set when the limit ran out or the connection broke.
template <typename T>
Reply<T> awaitReply (xcb_connection_t* c, unsigned int sequence, const WaitLimit& limit, bool& timedOut)
{
	while (!timedOut)
	{
		void* reply = nullptr;
		xcb_generic_error_t* error = nullptr;
		if (xcb_poll_for_reply (c, sequence, &reply, &error))
		{
			std::free (error);
			if (xcb_connection_has_error (c))
				timedOut = true;
			return Reply<T> (static_cast<T*> (reply));
		}
		if (!waitReadable (xcb_get_file_descriptor (c), limit))
			timedOut = true;
	}
	return nullptr;
}

std::string_view propertyBytes (const xcb_get_property_reply_t* reply)
{
	if (!reply || reply->format != 8)
		return {};
	std::string_view bytes (static_cast<const char*> (xcb_get_property_value (reply)),
	                        static_cast<size_t> (xcb_get_property_value_length (reply)));
	while (!bytes.empty () && bytes.back () == '\0')
		bytes.remove_suffix (1);
	return bytes;
}

uint32_t firstCardinal (const xcb_get_property_reply_t* reply, uint32_t fallback)
{
	if (!reply || reply->format != 32 || xcb_get_property_value_length (reply) < 4)
		return fallback;
	uint32_t value = 0;
	std::memcpy (&value, xcb_get_property_value (reply), sizeof (value));
	return value;
}

// WM_CLASS holds the instance name and then the class name, each NUL-terminated.
std::u16string classOf (const xcb_get_property_reply_t* reply)
{
	const std::string_view bytes = propertyBytes (reply);
	const size_t nul = bytes.find ('\0');
	if (nul == std::string_view::npos)
		return {};
	std::string_view className = bytes.substr (nul + 1);
	className = className.substr (0, className.find ('\0'));
	std::u16string text = latin1ToUtf16 (className);
	cutUtf16 (text, kMaxClassUnits);
	return text;
}

struct WindowRequests
{
	xcb_get_window_attributes_cookie_t attributes;
	xcb_get_geometry_cookie_t geometry;
	xcb_get_property_cookie_t wmClass, netWmName, wmName, pid, wmState;
};

} // namespace

X11Windows::~X11Windows ()
{
	close ();
}

void X11Windows::close ()
{
	if (connection)
		xcb_disconnect (connection);
	connection = nullptr;
	listing.clear ();
	listedAtNs = INT64_MIN;
}

bool X11Windows::connect (const std::atomic<bool>& keepGoing)
{
	if (connection)
		return true;
	if (steadyNowNs () < nextConnectNs)
		return false;
	// Set before connecting: a display that fails is tried again only after a while.
	nextConnectNs = steadyNowNs () + kReconnectDelayNs;
	int screenNumber = 0;
	connection = xcb_connect (nullptr, &screenNumber);
	if (xcb_connection_has_error (connection))
	{
		close ();
		return false;
	}
	auto screens = xcb_setup_roots_iterator (xcb_get_setup (connection));
	for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
		xcb_screen_next (&screens);
	root = screens.rem > 0 ? screens.data->root : 0;

	// Interned, not only looked up: a title set after we connected must still be read.
	static constexpr const char* kNames[] = {"_NET_CLIENT_LIST_STACKING",
	                                         "_NET_CLIENT_LIST",
	                                         "_NET_WM_NAME",
	                                         "_NET_WM_PID",
	                                         "UTF8_STRING",
	                                         "COMPOUND_TEXT",
	                                         "WM_STATE"};
	uint32_t* const targets[] =
	    {&atoms.clientListStacking, &atoms.clientList,   &atoms.netWmName, &atoms.netWmPid,
	     &atoms.utf8String,         &atoms.compoundText, &atoms.wmState};
	xcb_intern_atom_cookie_t cookies[std::size (kNames)];
	for (size_t i = 0; i < std::size (kNames); ++i)
		cookies[i] =
		    xcb_intern_atom (connection, 0, static_cast<uint16_t> (std::strlen (kNames[i])), kNames[i]);
	xcb_flush (connection);
	const WaitLimit limit (keepGoing, kReplyLimitNs);
	bool failed = root == 0;
	for (size_t i = 0; i < std::size (kNames); ++i)
	{
		auto reply = awaitReply<xcb_intern_atom_reply_t> (connection, cookies[i].sequence, limit, failed);
		*targets[i] = reply ? reply->atom : 0;
	}
	if (failed)
		close ();
	return connection != nullptr;
}

void X11Windows::list (std::vector<TopWindow>& out, const std::atomic<bool>& keepGoing)
{
	out.clear ();
	if (connection && steadyNowNs () - listedAtNs < kListingReuseNs)
	{
		out = listing;
		return;
	}
	if (!connect (keepGoing))
		return;
	std::vector<uint32_t> windows;
	if (!listCandidates (windows, keepGoing) || !describe (windows, out, keepGoing))
	{
		// Replies still on their way would confuse the next listing: start afresh later.
		out.clear ();
		close ();
		nextConnectNs = steadyNowNs () + kReconnectDelayNs;
		return;
	}
	listing = out;
	listedAtNs = steadyNowNs ();
}

bool X11Windows::listCandidates (std::vector<uint32_t>& windows, const std::atomic<bool>& keepGoing)
{
	// All three asked at once: one round trip whichever of them answers.
	const auto tree = xcb_query_tree (connection, root);
	const auto stacking = xcb_get_property (connection, 0, root, atoms.clientListStacking, XCB_ATOM_WINDOW, 0,
	                                        kWindowListLongs);
	const auto clients =
	    xcb_get_property (connection, 0, root, atoms.clientList, XCB_ATOM_WINDOW, 0, kWindowListLongs);
	xcb_flush (connection);
	const WaitLimit limit (keepGoing, kReplyLimitNs);
	bool failed = false;
	auto treeReply = awaitReply<xcb_query_tree_reply_t> (connection, tree.sequence, limit, failed);
	auto stackingReply = awaitReply<xcb_get_property_reply_t> (connection, stacking.sequence, limit, failed);
	auto clientsReply = awaitReply<xcb_get_property_reply_t> (connection, clients.sequence, limit, failed);
	if (failed)
		return false;

	// A window manager's list holds the clients it manages, top of the stack last; the
	// root's children add what it does not manage: windows never shown (a hidden window
	// is listed on Windows too) and everything when there is no manager at all.
	windows.clear ();
	for (const auto* list : {stackingReply.get (), clientsReply.get ()})
	{
		if (list && list->format == 32 && xcb_get_property_value_length (list) > 0)
		{
			const auto* ids = static_cast<const uint32_t*> (xcb_get_property_value (list));
			windows.assign (ids, ids + xcb_get_property_value_length (list) / 4);
			break;
		}
	}
	const std::unordered_set<uint32_t> managed (windows.begin (), windows.end ());
	if (treeReply)
	{
		const auto* ids = xcb_query_tree_children (treeReply.get ());
		for (int i = 0; i < xcb_query_tree_children_length (treeReply.get ()); ++i)
			if (!managed.count (ids[i]))
				windows.push_back (ids[i]);
	}
	// Both lists run bottom to top; Windows lists the topmost window first.
	std::reverse (windows.begin (), windows.end ());
	return true;
}

bool X11Windows::describe (const std::vector<uint32_t>& windows, std::vector<TopWindow>& out,
                           const std::atomic<bool>& keepGoing)
{
	// Every question about every window goes out before the first answer is read, so a
	// listing costs one round trip, not seven per window.
	std::vector<WindowRequests> requests (windows.size ());
	for (size_t i = 0; i < windows.size (); ++i)
	{
		const uint32_t w = windows[i];
		auto& r = requests[i];
		r.attributes = xcb_get_window_attributes (connection, w);
		r.geometry = xcb_get_geometry (connection, w);
		r.wmClass = xcb_get_property (connection, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, kClassLongs);
		r.netWmName = xcb_get_property (connection, 0, w, atoms.netWmName, atoms.utf8String, 0, kTitleLongs);
		r.wmName =
		    xcb_get_property (connection, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, kTitleLongs);
		r.pid = xcb_get_property (connection, 0, w, atoms.netWmPid, XCB_ATOM_CARDINAL, 0, 1);
		r.wmState = xcb_get_property (connection, 0, w, atoms.wmState, atoms.wmState, 0, 2);
	}
	xcb_flush (connection);

	const WaitLimit limit (keepGoing, kReplyLimitNs);
	bool failed = false;
	out.reserve (windows.size ());
	for (size_t i = 0; i < windows.size (); ++i)
	{
		const auto& r = requests[i];
		auto attributes =
		    awaitReply<xcb_get_window_attributes_reply_t> (connection, r.attributes.sequence, limit, failed);
		auto geometry = awaitReply<xcb_get_geometry_reply_t> (connection, r.geometry.sequence, limit, failed);
		auto wmClass = awaitReply<xcb_get_property_reply_t> (connection, r.wmClass.sequence, limit, failed);
		auto netWmName =
		    awaitReply<xcb_get_property_reply_t> (connection, r.netWmName.sequence, limit, failed);
		auto wmName = awaitReply<xcb_get_property_reply_t> (connection, r.wmName.sequence, limit, failed);
		auto pid = awaitReply<xcb_get_property_reply_t> (connection, r.pid.sequence, limit, failed);
		auto wmState = awaitReply<xcb_get_property_reply_t> (connection, r.wmState.sequence, limit, failed);
		if (failed)
			return false;
		if (!attributes)
			continue; // destroyed since the list was taken

		TopWindow window;
		window.id = windows[i];
		window.className = classOf (wmClass.get ());
		window.title = titleOf (netWmName.get (), wmName.get ());
		// A minimised client is unmapped by its window manager, yet Windows still counts
		// a minimised window as visible.
		window.visible = attributes->map_state == XCB_MAP_STATE_VIEWABLE ||
		                 firstCardinal (wmState.get (), 0) == kIconicState;
		if (geometry)
		{
			window.hasRect = true;
			window.width = geometry->width;
			window.height = geometry->height;
		}
		window.ownerPid = firstCardinal (pid.get (), 0);
		out.push_back (std::move (window));
	}
	return true;
}

std::u16string X11Windows::titleOf (const xcb_get_property_reply_t* netWmName,
                                    const xcb_get_property_reply_t* wmName) const
{
	std::u16string title;
	if (const std::string_view utf8 = propertyBytes (netWmName); !utf8.empty ())
		title = utf8ToUtf16 (utf8);
	else if (wmName && wmName->type == atoms.utf8String)
		title = utf8ToUtf16 (propertyBytes (wmName));
	else if (wmName && wmName->type == XCB_ATOM_STRING)
		title = latin1ToUtf16 (propertyBytes (wmName));
	else if (wmName && wmName->type == atoms.compoundText)
	{
		// Compound text without escape sequences is Latin-1; with them it needs Xlib's
		// converter, and _NET_WM_NAME is set by every program that writes such titles.
		const std::string_view bytes = propertyBytes (wmName);
		if (bytes.find ('\x1b') == std::string_view::npos)
			title = latin1ToUtf16 (bytes);
	}
	cutUtf16 (title, kMaxTitleUnits);
	return title;
}

} // namespace cadora::platform
