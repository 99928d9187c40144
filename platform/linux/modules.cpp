// Module snapshot on Linux: the dynamic linker's list of loaded objects. An object's
// image spans its loadable segments; the main program, which the list leaves unnamed,
// is named after /proc/self/exe.
#include "platform/modules.h"

#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

namespace cadora::platform {

namespace {

std::string executablePath ()
{
	char buffer[PATH_MAX];
	const ssize_t length = readlink ("/proc/self/exe", buffer, sizeof (buffer));
	return length > 0 ? std::string (buffer, static_cast<size_t> (length)) : std::string ();
}

std::string fileName (const std::string& path)
{
	const auto slash = path.rfind ('/');
	return slash == std::string::npos ? path : path.substr (slash + 1);
}

int addModule (dl_phdr_info* info, size_t, void* data)
{
	uintptr_t low = UINTPTR_MAX;
	uintptr_t high = 0;
	for (int i = 0; i < info->dlpi_phnum; ++i)
	{
		const auto& header = info->dlpi_phdr[i];
		if (header.p_type != PT_LOAD)
			continue;
		low = std::min<uintptr_t> (low, header.p_vaddr);
		high = std::max<uintptr_t> (high, header.p_vaddr + header.p_memsz);
	}
	if (high <= low)
		return 0;
	const uintptr_t page = static_cast<uintptr_t> (sysconf (_SC_PAGESIZE));
	ModuleInfo module;
	module.path = info->dlpi_name && *info->dlpi_name ? info->dlpi_name : executablePath ();
	module.name = fileName (module.path);
	module.base = (info->dlpi_addr + low) & ~(page - 1);
	module.size = ((info->dlpi_addr + high + page - 1) & ~(page - 1)) - module.base;
	static_cast<std::vector<ModuleInfo>*> (data)->push_back (std::move (module));
	return 0;
}

} // namespace

bool snapshotModules (std::vector<ModuleInfo>& modules)
{
	modules.clear ();
	dl_iterate_phdr (&addModule, &modules);
	return !modules.empty ();
}

} // namespace cadora::platform
