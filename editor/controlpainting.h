// Painting of the dashboard's lower half: the pitch dial with its ticks, pointer, hub,
// value, shading and the two pitch buttons; the two strength sliders; the resize grip.
#pragma once

#include "editor/designspace.h"
#include "editor/painter.h"

#include <cstdint>

namespace cadora {

// shading: the dial's shading picture for this scale (dialshading.h), or null.
void paintPitchSection (Painter& painter, int32_t pitchShown, int32_t pitchButtonHover,
                        VSTGUI::CBitmap* shading);
void paintSlider (Painter& painter, const DesignRect& r, const char* label, double value,
                  const VSTGUI::CColor& fill);
void paintGrip (Painter& painter);

} // namespace cadora
