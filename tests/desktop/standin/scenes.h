// What the desktop stand-in shows, shared by the stand-in and the tests that check what
// the desktop reads back. A scene is what one stand-in process holds: the top-level
// windows of a music player (created in this order, so the last is on top) and, for
// MVBox, song cache entries in its memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cadora::standin {

struct WindowSpec
{
	const wchar_t* className;
	const wchar_t* title;
	bool visible;
	int width;
	int height;
};

// Run as KuGou.exe: the Kugou Music and QQ Music windows, found by their classes.
constexpr WindowSpec kPlayerClassWindows[] = {
    {L"kugou_ui", L"周杰伦 - 晴天 - 酷狗音乐", true, 960, 640},
    {L"kugou_ui", L"林俊杰 - 江南 - 酷狗音乐", false, 300, 100},
    {L"kugou_ui", L"酷狗音乐", true, 420, 80},
    {L"TXGuiFoundation", L"稻香 - 周杰伦", true, 1000, 700},
    {L"TXGuiFoundation", L"七里香 - 周杰伦", false, 200, 120},
    {L"TXGuiFoundation", L"", true, 640, 480},
};

// Run as cloudmusic.exe: the song window first, a hidden one, a noise window on top.
constexpr WindowSpec kNeteaseWindows[] = {
    {L"OrpheusBrowserHost", L"夜曲 - 周杰伦", true, 1000, 700},
    {L"OrpheusBrowserHost", L"不能说的秘密 - 周杰伦", false, 1000, 700},
    {L"DesktopLyrics", L"桌面歌词", true, 600, 90},
};

// Run as WeSing.exe: the song window first, a blank one and a hidden one on top.
constexpr WindowSpec kWesingWindows[] = {
    {L"WeSingMain", L"全民K歌 - 小幸运", true, 900, 640},
    {L"WeSingMain", L"全民K歌 -   ", true, 300, 200},
    {L"WeSingMain", L"全民K歌 - 后来", false, 900, 640},
};

// A window whose thread stops answering messages once it is made (scene "hung"): a player
// that hangs must not hold up whoever lists the windows.
constexpr WindowSpec kHungWindow = {L"HungPlayer", L"晴天 - 周杰伦", true, 800, 600};

// A window whose title is longer than a title buffer holds (1023 units and the NUL).
constexpr wchar_t kLongTitleClass[] = L"CadoraLongTitle";
constexpr size_t kLongTitleLength = 1500;
constexpr wchar_t kLongTitleUnit = L'歌';

// MVBox cache entries, GBK text: marker, digits, the rest of the file name, TAB, title,
// TAB, artist. One is put in the heap, the other in memory of its own (VirtualAlloc),
// placed high so that it is the later one in address order.
constexpr char kHeapEntry[] =
    "MvboxCache\\songs\\1024qingtian.mp3\t\xC7\xE7\xCC\xEC\t\xD6\xDC\xBD\xDC\xC2\xD7";
constexpr char kVirtualEntry[] =
    "MvboxCache\\songs\\77daoxiang.mkv\t\xB5\xBE\xCF\xE3\t\xD6\xDC\xBD\xDC\xC2\xD7";
constexpr char16_t kHeapEntryTitle[] = u"晴天";
constexpr char16_t kVirtualEntryTitle[] = u"稻香";
constexpr char16_t kEntryArtist[] = u"周杰伦";
constexpr uint64_t kPreferredVirtualBase = 0x7E000000;
constexpr char kEntryMarker[] = "MvboxCache\\songs\\";

// Regions of known protection the MVBox stand-in allocates, each 64 KiB, reported as
// "region NAME BASE SIZE" (hexadecimal).
constexpr size_t kRegionSize = 0x10000;
constexpr const char* kRegionNames[] = {"readwrite", "readonly", "executereadwrite",
                                        "guarded",   "noaccess", "reserved"};

// The stand-in's report ends with this line once everything is in place.
constexpr char kReadyLine[] = "ready";

} // namespace cadora::standin
