// Top-level windows on Windows: EnumWindows, then class, text, visibility, rectangle and
// owner of each. The text of a window of this very process is not read: reading it sends
// WM_GETTEXT to the thread that owns the window, and that thread (the host's UI thread)
// may be waiting for the detection thread to end, which would never happen. No player
// lives in the host process, so nothing is lost.
#include "platform/win32/desktopparts.h"

#include <windows.h>

#include <new>

namespace cadora::platform {

namespace {

constexpr int kClassNameCapacity = 256;
constexpr int kTitleCapacity = 1024;

std::u16string classNameOf (HWND window)
{
	wchar_t name[kClassNameCapacity] {};
	const int length = GetClassNameW (window, name, kClassNameCapacity);
	return length > 0 ? fromWide (name, static_cast<size_t> (length)) : std::u16string ();
}

std::u16string titleOf (HWND window)
{
	if (GetWindowTextLengthW (window) <= 0)
		return {};
	wchar_t text[kTitleCapacity] {};
	const int length = GetWindowTextW (window, text, kTitleCapacity);
	return length > 0 ? fromWide (text, static_cast<size_t> (length)) : std::u16string ();
}

TopWindow describe (HWND window)
{
	TopWindow info;
	info.id = reinterpret_cast<uintptr_t> (window);
	info.className = classNameOf (window);
	info.visible = IsWindowVisible (window) != FALSE;
	RECT rect {};
	if (GetWindowRect (window, &rect))
	{
		info.hasRect = true;
		info.width = rect.right - rect.left;
		info.height = rect.bottom - rect.top;
	}
	DWORD pid = 0;
	GetWindowThreadProcessId (window, &pid);
	info.ownerPid = pid;
	if (pid != GetCurrentProcessId ())
		info.title = titleOf (window);
	return info;
}

struct Collected
{
	std::vector<HWND> windows;
	bool outOfMemory = false;
};

// No C++ exception may pass through the system's frames: a failed allocation stops the
// enumeration and is raised again once EnumWindows has returned.
BOOL CALLBACK collect (HWND window, LPARAM context)
{
	auto& collected = *reinterpret_cast<Collected*> (context);
	try
	{
		collected.windows.push_back (window);
		return TRUE;
	}
	catch (const std::bad_alloc&)
	{
		collected.outOfMemory = true;
		return FALSE;
	}
}

} // namespace

void listTopWindows (std::vector<TopWindow>& out)
{
	out.clear ();
	// Handles first, then the reads, outside the system's callback.
	Collected collected;
	collected.windows.reserve (256);
	EnumWindows (collect, reinterpret_cast<LPARAM> (&collected));
	if (collected.outOfMemory)
		throw std::bad_alloc ();
	out.reserve (collected.windows.size ());
	for (HWND window : collected.windows)
		out.push_back (describe (window));
}

} // namespace cadora::platform
