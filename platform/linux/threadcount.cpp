// One directory entry a thread under /proc/self/task.
#include "platform/threadcount.h"

#include <dirent.h>

namespace cadora::platform {

size_t threadsOfThisProcess ()
{
	DIR* tasks = opendir ("/proc/self/task");
	if (!tasks)
		return 0;
	size_t n = 0;
	while (const dirent* entry = readdir (tasks))
	{
		if (entry->d_name[0] != '.')
			++n;
	}
	closedir (tasks);
	return n;
}

} // namespace cadora::platform
