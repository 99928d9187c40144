// Top-level windows of a private Xvfb display (tools/desktop/session), made by a stand-in
// program of ours with the players' window classes and Chinese titles.
#include "platform/desktop.h"
#include "standin.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>

namespace cadora::platform {
namespace {

using test::StandIn;

const std::string kWindows = CADORA_X11_STANDIN;

const TopWindow* findByTitle (const std::vector<TopWindow>& windows, const std::u16string& title)
{
	const auto found = std::find_if (windows.begin (), windows.end (),
	                                 [&] (const TopWindow& w) { return w.title == title; });
	return found == windows.end () ? nullptr : &*found;
}

struct Expected
{
	const char16_t* title;
	const char16_t* className;
	bool visible;
	int32_t width, height;
};

// The stand-in's windows as arguments, and what the listing must say of each.
const std::vector<std::string> kPlayerWindows = {
    "kugou_ui",        "周杰伦 - 晴天 - 酷狗音乐",
    "800x600",         "visible",
    "kugou_ui",        "歌词",
    "300x90",          "hidden",
    "TXGuiFoundation", "稻香 - 周杰伦",
    "1000x700",        "visible",
    "TXGuiFoundation", "告白气球 - 周杰伦",
    "200x60",          "iconic",
};
const Expected kExpected[] = {
    {u"周杰伦 - 晴天 - 酷狗音乐", u"kugou_ui", true, 800, 600},
    {u"歌词", u"kugou_ui", false, 300, 90},
    {u"稻香 - 周杰伦", u"TXGuiFoundation", true, 1000, 700},
    // A minimised window counts as visible, as on Windows.
    {u"告白气球 - 周杰伦", u"TXGuiFoundation", true, 200, 60},
};

void expectPlayerWindows (const std::vector<TopWindow>& windows, pid_t owner)
{
	for (size_t i = 0; i < std::size (kExpected); ++i)
	{
		const Expected& e = kExpected[i];
		const TopWindow* w = findByTitle (windows, e.title);
		ASSERT_NE (w, nullptr) << "window " << i << " is missing";
		EXPECT_EQ (w->className, e.className);
		EXPECT_EQ (w->visible, e.visible);
		EXPECT_TRUE (w->hasRect);
		EXPECT_EQ (w->width, e.width);
		EXPECT_EQ (w->height, e.height);
		EXPECT_EQ (w->ownerPid, static_cast<uint32_t> (owner));
		EXPECT_NE (w->id, 0u);
	}
}

TEST (X11Windows, ListsClassTitleStateSizeAndOwnerOfEveryTopLevelWindow)
{
	StandIn players (kWindows, {}, kPlayerWindows);
	ASSERT_TRUE (players.ready ());
	auto desktop = openSystemDesktop ();
	std::vector<TopWindow> windows;
	desktop->topWindows (windows);
	expectPlayerWindows (windows, players.pid ());
}

TEST (X11Windows, ThroughAWindowManagersClientListWhenClientsAreReparented)
{
	// Frames (no class, no title) are what the root sees; the client list names the players.
	StandIn players (kWindows, {}, [] {
		auto args = kPlayerWindows;
		args.insert (args.begin (), "--reparent");
		return args;
	}());
	ASSERT_TRUE (players.ready ());
	auto desktop = openSystemDesktop ();
	std::vector<TopWindow> windows;
	desktop->topWindows (windows);
	expectPlayerWindows (windows, players.pid ());
}

TEST (X11Windows, TheTopmostWindowComesFirst)
{
	StandIn players (kWindows, {},
	                 {"kugou_ui", "下面 - 酷狗音乐", "400x300", "visible", "kugou_ui", "上面 - 酷狗音乐",
	                  "400x300", "visible"});
	ASSERT_TRUE (players.ready ());
	auto desktop = openSystemDesktop ();
	std::vector<TopWindow> windows;
	desktop->topWindows (windows);
	const auto position = [&] (const std::u16string& title) {
		return findByTitle (windows, title) - windows.data ();
	};
	ASSERT_NE (findByTitle (windows, u"上面 - 酷狗音乐"), nullptr);
	ASSERT_NE (findByTitle (windows, u"下面 - 酷狗音乐"), nullptr);
	EXPECT_LT (position (u"上面 - 酷狗音乐"), position (u"下面 - 酷狗音乐"))
	    << "created later, stacked higher";
}

TEST (X11Windows, ALongTitleIsCutToWhatWindowsReturns)
{
	const struct
	{
		int characters; // three UTF-8 bytes, one UTF-16 unit each
		size_t units;
	} cases[] = {{700, 700}, {1023, 1023}, {1500, 1023}};
	for (const auto& c : cases)
	{
		std::string title;
		for (int i = 0; i < c.characters; ++i)
			title += "曲";
		StandIn player (kWindows, {}, {"kugou_ui", title, "400x300", "visible"});
		ASSERT_TRUE (player.ready ());
		auto desktop = openSystemDesktop ();
		std::vector<TopWindow> windows;
		desktop->topWindows (windows);
		const auto found = std::find_if (windows.begin (), windows.end (),
		                                 [] (const TopWindow& w) { return w.className == u"kugou_ui"; });
		ASSERT_NE (found, windows.end ()) << c.characters;
		EXPECT_EQ (found->title, std::u16string (c.units, u'曲')) << c.characters;
	}
}

TEST (X11Windows, OneConnectionFollowsWindowsComingAndGoing)
{
	auto desktop = openSystemDesktop ();
	std::vector<TopWindow> windows;
	{
		StandIn player (kWindows, {}, {"kugou_ui", "周杰伦 - 晴天 - 酷狗音乐", "800x600", "visible"});
		ASSERT_TRUE (player.ready ());
		desktop->topWindows (windows);
		EXPECT_NE (findByTitle (windows, u"周杰伦 - 晴天 - 酷狗音乐"), nullptr);
	}
	// The stand-in has exited; the server destroys its windows once it sees it gone.
	bool gone = false;
	for (int i = 0; i < 100 && !gone; ++i)
	{
		desktop->topWindows (windows);
		gone = findByTitle (windows, u"周杰伦 - 晴天 - 酷狗音乐") == nullptr;
		if (!gone)
			::usleep (10000);
	}
	EXPECT_TRUE (gone);
}

} // namespace
} // namespace cadora::platform
