// The dashboard's colours (red, green, blue, alpha).
#pragma once

#include "vstgui/lib/ccolor.h"

namespace cadora::palette {

using VSTGUI::CColor;

inline const CColor kBackground (25, 20, 30, 255);
inline const CColor kSongCard (39, 31, 49, 255);
inline const CColor kSpectrumCard (27, 21, 34, 255);
inline const CColor kCardBorder (155, 117, 248, 78);
inline const CColor kViolet (155, 117, 248, 255);
inline const CColor kText (252, 231, 243, 255);
inline const CColor kDimText (185, 178, 202, 255);
inline const CColor kAmber (246, 200, 74, 255);

} // namespace cadora::palette
