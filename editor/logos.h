// The player logos: 32 x 32 RGBA PNGs linked into the module under the names
// "PLAYER_KUGOU", "PLAYER_QQMUSIC", "PLAYER_NETEASE", "PLAYER_WESING" and "PLAYER_MVBOX",
// read the same way on Windows (module resources) and Linux (compiled-in bytes).
#pragma once

#include "editor/dashboardsource.h"

namespace cadora {

// Empty for an unknown name.
ByteSpan logoBytes (const char* name);

} // namespace cadora
