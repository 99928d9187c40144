// Desktop stand-in: plays the part of a music player for the desktop tests. Copies of it
// named like the players show the players' top-level windows (scenes.h) and, as MVBox,
// hold song cache entries in the heap and in memory of their own. It reports what it put
// where on standard output, ends the report with "ready", then keeps its windows alive
// until the process that started it ends.
//   standin PARENT_PID SCENE [EXTRA_HEAP_MIB]
//   SCENE: classes | netease | wesing | mvbox | hung | idle
#include "scenes.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace cadora::standin;

namespace {

LRESULT CALLBACK windowProc (HWND window, UINT message, WPARAM w, LPARAM l)
{
	return DefWindowProcW (window, message, w, l);
}

bool makeWindow (const wchar_t* className, const wchar_t* title, bool visible, int width, int height)
{
	WNDCLASSEXW windowClass {};
	windowClass.cbSize = sizeof (windowClass);
	windowClass.lpfnWndProc = windowProc;
	windowClass.hInstance = GetModuleHandleW (nullptr);
	windowClass.lpszClassName = className;
	RegisterClassExW (&windowClass); // a second window of a class finds it registered
	const DWORD style = WS_POPUP | (visible ? WS_VISIBLE : 0);
	HWND window = CreateWindowExW (0, className, title, style, 40, 40, width, height, nullptr, nullptr,
	                               windowClass.hInstance, nullptr);
	if (!window)
		std::printf ("error CreateWindowExW %lu\n", GetLastError ());
	return window != nullptr;
}

template <size_t n>
bool makeWindows (const WindowSpec (&specs)[n])
{
	for (const WindowSpec& spec : specs)
		if (!makeWindow (spec.className, spec.title, spec.visible, spec.width, spec.height))
			return false;
	return true;
}

bool makeLongTitleWindow ()
{
	const std::wstring title (kLongTitleLength, kLongTitleUnit);
	return makeWindow (kLongTitleClass, title.c_str (), false, 100, 100);
}

void reportRegion (const char* name, void* base)
{
	std::printf ("region %s %llx %llx\n", name,
	             static_cast<unsigned long long> (reinterpret_cast<uintptr_t> (base)),
	             static_cast<unsigned long long> (kRegionSize));
}

void* allocate (DWORD type, DWORD protect)
{
	return VirtualAlloc (nullptr, kRegionSize, type, protect);
}

// One region of each kind the scan has to tell apart, filled with a pattern.
bool makeRegions (void* readWrite)
{
	void* readOnly = allocate (MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
	void* rwx = allocate (MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
	void* guarded = allocate (MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE | PAGE_GUARD);
	void* noAccess = allocate (MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
	void* reserved = allocate (MEM_RESERVE, PAGE_NOACCESS);
	if (!readOnly || !rwx || !guarded || !noAccess || !reserved)
		return false;
	std::memset (readOnly, 0x5A, kRegionSize);
	std::memset (rwx, 0xC3, kRegionSize);
	DWORD old = 0;
	if (!VirtualProtect (readOnly, kRegionSize, PAGE_READONLY, &old))
		return false;
	void* bases[] = {readWrite, readOnly, rwx, guarded, noAccess, reserved};
	for (size_t i = 0; i < sizeof (bases) / sizeof (bases[0]); ++i)
		reportRegion (kRegionNames[i], bases[i]);
	return true;
}

void* allocateReadWriteHigh ()
{
	void* at = VirtualAlloc (reinterpret_cast<void*> (kPreferredVirtualBase), kRegionSize,
	                         MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
	return at ? at : allocate (MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

// The entries are copied at run time, never referenced where they lie in the image.
bool makeMvboxMemory ()
{
	char* heapEntry = static_cast<char*> (std::malloc (sizeof (kHeapEntry) + 64));
	void* region = allocateReadWriteHigh ();
	if (!heapEntry || !region)
		return false;
	std::memset (heapEntry, 0, sizeof (kHeapEntry) + 64);
	std::memcpy (heapEntry, kHeapEntry, sizeof (kHeapEntry));
	char* virtualEntry = static_cast<char*> (region) + 0x1230;
	std::memcpy (virtualEntry, kVirtualEntry, sizeof (kVirtualEntry));
	std::printf ("entry heap %llx\n",
	             static_cast<unsigned long long> (reinterpret_cast<uintptr_t> (heapEntry)));
	std::printf ("entry virtual %llx\n",
	             static_cast<unsigned long long> (reinterpret_cast<uintptr_t> (virtualEntry)));
	return makeRegions (region);
}

// Committed heap in 1 MiB blocks, each touched so that it is really there.
bool growHeap (unsigned mebibytes)
{
	constexpr size_t kBlock = 1 << 20;
	for (unsigned i = 0; i < mebibytes; ++i)
	{
		void* block = std::malloc (kBlock);
		if (!block)
			return false;
		std::memset (block, static_cast<int> (i & 0x7F), kBlock);
	}
	return true;
}

bool makeScene (const std::string& scene)
{
	if (scene == "classes")
		return makeWindows (kPlayerClassWindows) && makeLongTitleWindow ();
	if (scene == "netease")
		return makeWindows (kNeteaseWindows);
	if (scene == "wesing")
		return makeWindows (kWesingWindows);
	if (scene == "mvbox")
		return makeMvboxMemory ();
	if (scene == "hung")
		return makeWindow (kHungWindow.className, kHungWindow.title, kHungWindow.visible, kHungWindow.width,
		                   kHungWindow.height);
	return scene == "idle";
}

// Pumps messages until the parent ends (or, without a parent, forever).
void serve (HANDLE parent)
{
	for (;;)
	{
		const DWORD count = parent ? 1 : 0;
		const DWORD woken = MsgWaitForMultipleObjects (count, &parent, FALSE, INFINITE, QS_ALLINPUT);
		if (parent && woken == WAIT_OBJECT_0)
			return;
		MSG message;
		while (PeekMessageW (&message, nullptr, 0, 0, PM_REMOVE))
		{
			if (message.message == WM_QUIT)
				return;
			DispatchMessageW (&message);
		}
	}
}

} // namespace

int main (int argc, char** argv)
{
	if (argc < 3)
	{
		std::printf ("usage: standin PARENT_PID SCENE [EXTRA_HEAP_MIB]\n");
		return 2;
	}
	const DWORD parentPid = std::strtoul (argv[1], nullptr, 10);
	HANDLE parent = parentPid ? OpenProcess (SYNCHRONIZE, FALSE, parentPid) : nullptr;
	const unsigned extraHeap = argc > 3 ? std::strtoul (argv[3], nullptr, 10) : 0;
	if (!makeScene (argv[2]) || !growHeap (extraHeap))
	{
		std::printf ("error scene %s\n", argv[2]);
		return 1;
	}
	std::printf ("%s\n", kReadyLine);
	std::fflush (stdout);
	if (std::strcmp (argv[2], "hung") == 0)
	{
		// The window's thread never looks at its messages again; the process still ends
		// with its parent.
		WaitForSingleObject (parent ? parent : GetCurrentProcess (), INFINITE);
		return 0;
	}
	serve (parent);
	return 0;
}
