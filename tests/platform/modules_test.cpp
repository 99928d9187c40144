// Module snapshot: the own program and the system library are listed with the address
// ranges their code lies in, and a library loaded or unloaded at run time shows up or
// disappears in the next snapshot.
#include "platform/modulepath.h"
#include "platform/modules.h"

#include <gtest/gtest.h>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

using cadora::platform::ModuleInfo;
using cadora::platform::snapshotModules;

namespace {

std::vector<ModuleInfo> snapshot ()
{
	std::vector<ModuleInfo> modules;
	EXPECT_TRUE (snapshotModules (modules));
	return modules;
}

const ModuleInfo* moduleHolding (const std::vector<ModuleInfo>& modules, const void* address)
{
	const auto at = reinterpret_cast<uintptr_t> (address);
	for (const auto& module : modules)
		if (module.base <= at && at < module.base + module.size)
			return &module;
	return nullptr;
}

bool listed (const std::vector<ModuleInfo>& modules, const std::string& name)
{
	return std::any_of (modules.begin (), modules.end (),
	                    [&] (const ModuleInfo& module) { return module.name == name; });
}

#ifdef _WIN32
const void* systemFunction ()
{
	return reinterpret_cast<const void*> (&GetCurrentProcessId);
}
const char* kSystemLibrary = "kernel32.dll";
// A system library this program does not load by itself.
const char* kSpareLibrary = "version.dll";
void* loadSpare ()
{
	return LoadLibraryW (L"version.dll");
}
void unloadSpare (void* handle)
{
	FreeLibrary (static_cast<HMODULE> (handle));
}
#else
const void* systemFunction ()
{
	return reinterpret_cast<const void*> (&getpid);
}
const char* kSystemLibrary = "libc.so.6";
const char* kSpareLibrary = "libz.so.1";
void* loadSpare ()
{
	return dlopen ("libz.so.1", RTLD_NOW | RTLD_LOCAL);
}
void unloadSpare (void* handle)
{
	dlclose (handle);
}
#endif

std::string lowerCase (std::string text)
{
	std::transform (text.begin (), text.end (), text.begin (),
	                [] (unsigned char c) { return static_cast<char> (std::tolower (c)); });
	return text;
}

} // namespace

TEST (ModuleSnapshot, ListsTheProgramAroundItsOwnCode)
{
	const auto modules = snapshot ();
	const ModuleInfo* own = moduleHolding (modules, reinterpret_cast<const void*> (&snapshot));
	ASSERT_NE (own, nullptr);
	EXPECT_NE (own->name.find ("platform_tests"), std::string::npos) << own->name;
	// A full path that ends in the name.
	ASSERT_GT (own->path.size (), own->name.size ());
	EXPECT_EQ (own->path.substr (own->path.size () - own->name.size ()), own->name);
	EXPECT_EQ (own->path[own->path.size () - own->name.size () - 1], cadora::platform::kPathSeparator);
#ifdef _WIN32
	EXPECT_EQ (own->path.substr (1, 2), ":\\") << own->path;
#else
	EXPECT_EQ (own->path.front (), '/') << own->path;
#endif
}

TEST (ModuleSnapshot, ListsTheSystemLibraryAroundItsCode)
{
	const auto modules = snapshot ();
	const ModuleInfo* system = moduleHolding (modules, systemFunction ());
	ASSERT_NE (system, nullptr);
	EXPECT_EQ (lowerCase (system->name), kSystemLibrary);
}

TEST (ModuleSnapshot, RangesAreDisjointAndNotEmpty)
{
	auto modules = snapshot ();
	ASSERT_GT (modules.size (), 2u);
	std::sort (modules.begin (), modules.end (),
	           [] (const ModuleInfo& a, const ModuleInfo& b) { return a.base < b.base; });
	for (size_t i = 0; i < modules.size (); ++i)
	{
		EXPECT_GT (modules[i].size, 0u) << modules[i].path;
		EXPECT_FALSE (modules[i].name.empty ()) << modules[i].path;
		if (i > 0)
		{
			EXPECT_LE (modules[i - 1].base + modules[i - 1].size, modules[i].base)
			    << modules[i - 1].path << " overlaps " << modules[i].path;
		}
	}
}

TEST (ModuleSnapshot, FollowsLoadingAndUnloading)
{
	ASSERT_FALSE (listed (snapshot (), kSpareLibrary));
	void* handle = loadSpare ();
	ASSERT_NE (handle, nullptr);
	const auto loaded = snapshot ();
	EXPECT_TRUE (listed (loaded, kSpareLibrary));
#ifdef _WIN32
	// The image base is the module handle.
	const auto at = std::find_if (loaded.begin (), loaded.end (),
	                              [] (const ModuleInfo& m) { return m.name == kSpareLibrary; });
	ASSERT_NE (at, loaded.end ());
	EXPECT_EQ (at->base, reinterpret_cast<uintptr_t> (handle));
#endif
	unloadSpare (handle);
	EXPECT_FALSE (listed (snapshot (), kSpareLibrary));
}
