#include "editor/logos.h"

#include "platform/moduleresource.h"

namespace cadora {

ByteSpan logoBytes (const char* name)
{
	const platform::ResourceBytes bytes = platform::moduleResource (name);
	return {bytes.data, bytes.size};
}

} // namespace cadora
