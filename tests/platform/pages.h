// Test fixture: whole pages of memory taken from and given back to the operating system,
// to make addresses that certainly fault (released) or refuse writes (read-only).
#pragma once

#include <cstddef>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace cadora::testing {

inline size_t pageSize ()
{
#ifdef _WIN32
	SYSTEM_INFO info {};
	GetSystemInfo (&info);
	return info.dwPageSize;
#else
	return static_cast<size_t> (sysconf (_SC_PAGESIZE));
#endif
}

// A fresh readable and writable page (zero-filled), or null.
inline void* allocatePage ()
{
#ifdef _WIN32
	return VirtualAlloc (nullptr, pageSize (), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
#else
	void* page = mmap (nullptr, pageSize (), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
	return page == MAP_FAILED ? nullptr : page;
#endif
}

inline void releasePage (void* page)
{
#ifdef _WIN32
	VirtualFree (page, 0, MEM_RELEASE);
#else
	munmap (page, pageSize ());
#endif
}

inline void makeReadOnly (void* page)
{
#ifdef _WIN32
	DWORD previous = 0;
	VirtualProtect (page, pageSize (), PAGE_READONLY, &previous);
#else
	mprotect (page, pageSize (), PROT_READ);
#endif
}

// A readable and writable page directly followed by a page that cannot be read; give it
// back with releasePage.
inline void* pageBeforeAHole ()
{
	const size_t size = pageSize ();
#ifdef _WIN32
	auto* pages =
	    static_cast<char*> (VirtualAlloc (nullptr, 2 * size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
	VirtualFree (pages + size, size, MEM_DECOMMIT);
#else
	void* mapped = mmap (nullptr, 2 * size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
	auto* pages = static_cast<char*> (mapped);
	munmap (pages + size, size);
#endif
	return pages;
}

// The address of a page that was mapped a moment ago and is released now.
inline void* releasedPage ()
{
	void* page = allocatePage ();
	releasePage (page);
	return page;
}

} // namespace cadora::testing
