#include "platform/frameconfig.h"

namespace cadora::platform {

bool makeFrameConfig (Steinberg::IPlugFrame*, std::unique_ptr<VSTGUI::IPlatformFrameConfig>& config)
{
	config.reset ();
	return true;
}

} // namespace cadora::platform
