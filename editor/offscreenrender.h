// Drawing a view without a window: into an offscreen bitmap of the view's size, read
// back by pixel or encoded as PNG. Works with no display on Linux once the toolkit is
// initialised (VSTGUI::init); under Windows it needs a Direct2D device first. Returns
// null / false when the toolkit cannot make the bitmap.
#pragma once

#include "editor/dashboardsource.h"

#include "vstgui/lib/cbitmap.h"
#include "vstgui/lib/cview.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cadora {

struct Rgba
{
	int r = 0, g = 0, b = 0, a = 0;
};

// Callbacks for a dashboard without a controller (pictures, benchmarks): the parameters
// read as given, edits and size requests go nowhere.
DashboardCallbacks fixedParameters (int32_t pitch, double muteStrength, int32_t playerSource);

// One full drawing of the view, as a host's first paint would do it.
VSTGUI::SharedPointer<VSTGUI::CBitmap> renderView (VSTGUI::CView& view);

// The bitmap's pixels, not premultiplied, read once.
struct Pixels
{
	int width = 0;
	int height = 0;
	std::vector<Rgba> data;

	// A position outside the picture reads as all zero.
	Rgba at (int x, int y) const
	{
		return x >= 0 && y >= 0 && x < width && y < height ? data[size_t (y) * width + x] : Rgba {};
	}
};
Pixels readPixels (VSTGUI::CBitmap& bitmap);

bool encodePng (VSTGUI::CBitmap& bitmap, std::vector<uint8_t>& png);
bool writePng (VSTGUI::CBitmap& bitmap, const std::string& path);

} // namespace cadora
