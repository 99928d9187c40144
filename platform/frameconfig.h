// What VSTGUI needs from the host to open the editor's frame on this system. On Linux
// the frame runs on the host's event loop: an X11 run loop is made over the host's
// Linux::IRunLoop, which the host offers through its plug frame; without one the frame
// cannot open. Windows needs nothing. Compiled with the editor (it speaks VSTGUI).
#pragma once

#include "vstgui/lib/platform/iplatformframe.h"

#include <memory>

namespace Steinberg {
class IPlugFrame;
}

namespace cadora::platform {

// False when no frame can be opened for this host; config may stay null when none is needed.
bool makeFrameConfig (Steinberg::IPlugFrame* plugFrame,
                      std::unique_ptr<VSTGUI::IPlatformFrameConfig>& config);

} // namespace cadora::platform
