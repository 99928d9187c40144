#include "platform/moduleresource.h"

#include "platform/linux/embeddedresources.h"

#include <strings.h>

namespace cadora::platform {

ResourceBytes moduleResource (const char* name)
{
	if (!name)
		return {};
	for (size_t i = 0; i < kEmbeddedResourceCount; ++i)
	{
		const EmbeddedResource& r = kEmbeddedResources[i];
		// Windows resource names are case-insensitive; keep the same rule here.
		if (strcasecmp (r.name, name) == 0)
			return {r.data, r.size};
	}
	return {};
}

} // namespace cadora::platform
