#include "plugin/moduleinit.h"

#include "platform/modulepath.h"

#include "vstgui/lib/platform/platformfactory.h"
#include "vstgui/lib/vstguiinit.h"
#if defined(_WIN32)
#include "vstgui/lib/platform/win32/win32factory.h"
#else
#include "vstgui/lib/platform/linux/linuxfactory.h"
#endif

namespace cadora {

bool ModuleUseCounter::enter (void* handle)
{
	if (++uses == 1)
		return init (handle);
	return true;
}

bool ModuleUseCounter::leave ()
{
	if (--uses == 0)
	{
		exit ();
		return true;
	}
	return uses > 0;
}

std::string resourcePathFromModulePath (const std::string& modulePath, char separator)
{
	const auto file = modulePath.rfind (separator);
	if (file == std::string::npos)
		return {};
	const std::string folder = modulePath.substr (0, file);
	const auto parent = folder.rfind (separator);
	if (parent == std::string::npos)
		return {};
	return folder.substr (0, parent) + separator + "Resources";
}

namespace {

void setResourcePath (const std::string& path)
{
	if (path.empty ())
		return;
#if defined(_WIN32)
	if (auto* factory = VSTGUI::getPlatformFactory ().asWin32Factory ())
		factory->setResourceBasePath (VSTGUI::UTF8String (path));
#else
	// The Linux toolkit appends file names directly to its resource path.
	if (auto* factory = VSTGUI::getPlatformFactory ().asLinuxFactory ())
		factory->setResourcePath (path + '/');
#endif
}

} // namespace

bool initModule (void* handle)
{
	VSTGUI::init (static_cast<VSTGUI::PlatformInstanceHandle> (handle));
	setResourcePath (resourcePathFromModulePath (platform::ownModulePath (), platform::kPathSeparator));
	return true;
}

void exitModule ()
{
	VSTGUI::exit ();
}

ModuleUseCounter& moduleUseCounter ()
{
	static ModuleUseCounter counter (&initModule, &exitModule);
	return counter;
}

} // namespace cadora
