// The dial's shading: three radial gradients, each filling an ellipse, drawn over the dial
// in this order. Toolkit gradients are not right everywhere (Wine's Direct2D paints a
// gradient that fades to transparent as a solid blob; the cairo back end drew none at all
// before it was patched), so the shading is computed here, for the view's scale, as one
// premultiplied RGBA picture of the dial face, and drawn as a bitmap on every system.
#pragma once

#include "editor/designspace.h"

#include <cstdint>
#include <vector>

namespace cadora {

// The design rectangle the picture covers (all three ellipses lie inside it).
constexpr DesignRect kDialShadingArea {186, 254, 314, 382};

struct ShadingPicture
{
	int width = 0; // pixels: the area's size times the scale, rounded up
	int height = 0;
	std::vector<uint8_t> rgba; // premultiplied, row by row from the top
};

// The shading at `scale` pixels per design unit, edges antialiased (4 x 4 samples a pixel).
// Each gradient runs from its first colour at its centre to its second at its radius and
// beyond, interpolated premultiplied; the three are composited source-over.
ShadingPicture dialShading (double scale);

} // namespace cadora
