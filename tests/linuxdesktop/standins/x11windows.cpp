// Stand-in for the players' top-level windows on an X display: creates windows with the
// given WM_CLASS, UTF-8 title (_NET_WM_NAME; WM_NAME too), size and state, each with
// _NET_WM_PID, and keeps them until its standard input closes.
//   x11windows_standin [--reparent] [--many N] [CLASS TITLE WxH STATE]...
// STATE: visible (mapped), hidden (never mapped), iconic (unmapped with WM_STATE Iconic,
// as a window manager leaves a minimised client). --reparent plays a window manager:
// every window goes into a frame window and the root gets _NET_CLIENT_LIST(_STACKING).
// --many N adds N small visible windows of class "filler" with numbered titles.
#include "waitforeof.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <xcb/xcb.h>

namespace {

struct WindowPlan
{
	std::string className, title, state;
	uint16_t width = 0, height = 0;
};

xcb_atom_t atom (xcb_connection_t* c, const char* name)
{
	auto* reply =
	    xcb_intern_atom_reply (c, xcb_intern_atom (c, 0, static_cast<uint16_t> (std::strlen (name)), name),
	                           nullptr);
	const xcb_atom_t value = reply ? reply->atom : xcb_atom_t {XCB_ATOM_NONE};
	std::free (reply);
	return value;
}

void setProperty (xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type, uint8_t format,
                  uint32_t count, const void* data)
{
	xcb_change_property (c, XCB_PROP_MODE_REPLACE, w, property, type, format, count, data);
}

} // namespace

int main (int argc, char** argv)
{
	bool reparent = false;
	std::vector<WindowPlan> plans;
	for (int i = 1; i < argc; ++i)
	{
		const std::string arg = argv[i];
		if (arg == "--reparent")
			reparent = true;
		else if (arg == "--many" && i + 1 < argc)
		{
			const int n = std::atoi (argv[++i]);
			for (int k = 0; k < n; ++k)
				plans.push_back ({"filler", "窗口 " + std::to_string (k) + " - 测试", "visible", 120, 80});
		}
		else if (i + 3 < argc)
		{
			WindowPlan plan {argv[i], argv[i + 1], argv[i + 3]};
			std::sscanf (argv[i + 2], "%hux%hu", &plan.width, &plan.height);
			plans.push_back (plan);
			i += 3;
		}
	}
	xcb_connection_t* c = xcb_connect (nullptr, nullptr);
	if (xcb_connection_has_error (c))
		return 1;
	const xcb_window_t root = xcb_setup_roots_iterator (xcb_get_setup (c)).data->root;
	const xcb_atom_t netWmName = atom (c, "_NET_WM_NAME"), utf8 = atom (c, "UTF8_STRING");
	const xcb_atom_t netWmPid = atom (c, "_NET_WM_PID"), wmState = atom (c, "WM_STATE");
	const uint32_t pid = static_cast<uint32_t> (getpid ());

	std::vector<xcb_window_t> clients;
	for (const auto& plan : plans)
	{
		xcb_window_t parent = root;
		if (reparent)
		{
			parent = xcb_generate_id (c);
			xcb_create_window (c, XCB_COPY_FROM_PARENT, parent, root, 0, 0, plan.width + 10, plan.height + 30,
			                   0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
			if (plan.state == "visible")
				xcb_map_window (c, parent);
		}
		const xcb_window_t w = xcb_generate_id (c);
		xcb_create_window (c, XCB_COPY_FROM_PARENT, w, parent, 5, 25, plan.width, plan.height, 0,
		                   XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
		const std::string wmClass =
		    "standin" + std::string (1, '\0') + plan.className + std::string (1, '\0');
		setProperty (c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, static_cast<uint32_t> (wmClass.size ()),
		             wmClass.data ());
		setProperty (c, w, netWmName, utf8, 8, static_cast<uint32_t> (plan.title.size ()),
		             plan.title.data ());
		setProperty (c, w, XCB_ATOM_WM_NAME, utf8, 8, static_cast<uint32_t> (plan.title.size ()),
		             plan.title.data ());
		setProperty (c, w, netWmPid, XCB_ATOM_CARDINAL, 32, 1, &pid);
		if (plan.state == "iconic")
		{
			const uint32_t iconic[2] = {3, 0};
			setProperty (c, w, wmState, wmState, 32, 2, iconic);
		}
		if (plan.state == "visible")
			xcb_map_window (c, w);
		clients.push_back (w);
	}
	const xcb_atom_t clientList = atom (c, "_NET_CLIENT_LIST");
	const xcb_atom_t stacking = atom (c, "_NET_CLIENT_LIST_STACKING");
	if (reparent)
	{
		const auto count = static_cast<uint32_t> (clients.size ());
		setProperty (c, root, clientList, XCB_ATOM_WINDOW, 32, count, clients.data ());
		setProperty (c, root, stacking, XCB_ATOM_WINDOW, 32, count, clients.data ());
	}
	// A round trip: every request above has been carried out when the reply comes.
	std::free (xcb_get_input_focus_reply (c, xcb_get_input_focus (c), nullptr));
	cadora::standin::announceReady ();
	cadora::standin::waitForEndOfInput ();
	// The root's lists outlive this client: a window manager that goes takes them along.
	if (reparent)
	{
		xcb_delete_property (c, root, clientList);
		xcb_delete_property (c, root, stacking);
	}
	// Carried out before we hang up: the server drops requests of a client that has gone.
	std::free (xcb_get_input_focus_reply (c, xcb_get_input_focus (c), nullptr));
	xcb_disconnect (c);
	return 0;
}
