#include "editor/offscreenrender.h"

#include "vstgui/lib/coffscreencontext.h"
#include "vstgui/lib/platform/platformfactory.h"

#include <cstdio>

namespace cadora {

using namespace VSTGUI;

DashboardCallbacks fixedParameters (int32_t pitch, double muteStrength, int32_t playerSource)
{
	DashboardCallbacks c;
	c.requestSize = [] (int32_t, int32_t) {
	};
	c.editPlayerSource = [] (int32_t) {
	};
	c.readPlayerSource = [playerSource] {
		return playerSource;
	};
	c.editHardness = [] (double) {
	};
	c.editMuteStrength = [] (double) {
	};
	c.readMuteStrength = [muteStrength] {
		return muteStrength;
	};
	c.editPitch = [] (int32_t) {
	};
	c.readPitch = [pitch] {
		return pitch;
	};
	return c;
}

SharedPointer<CBitmap> renderView (CView& view)
{
	const CRect size = view.getViewSize ();
	auto context = COffscreenContext::create (CPoint (size.getWidth (), size.getHeight ()));
	if (!context)
		return nullptr;
	context->beginDraw ();
	{
		CDrawContext::Transform origin (*context, CGraphicsTransform ().translate (-size.left, -size.top));
		view.drawRect (context, size);
	}
	context->endDraw ();
	return shared (context->getBitmap ());
}

Pixels readPixels (CBitmap& bitmap)
{
	Pixels pixels;
	auto access = owned (CBitmapPixelAccess::create (&bitmap, false));
	if (!access)
		return pixels;
	pixels.width = static_cast<int> (access->getBitmapWidth ());
	pixels.height = static_cast<int> (access->getBitmapHeight ());
	pixels.data.reserve (size_t (pixels.width) * pixels.height);
	for (int y = 0; y < pixels.height; ++y)
		for (int x = 0; x < pixels.width; ++x)
		{
			access->setPosition (uint32_t (x), uint32_t (y));
			CColor c;
			access->getColor (c);
			pixels.data.push_back ({c.red, c.green, c.blue, c.alpha});
		}
	return pixels;
}

bool encodePng (CBitmap& bitmap, std::vector<uint8_t>& png)
{
	auto platformBitmap = bitmap.getPlatformBitmap ();
	if (!platformBitmap)
		return false;
	png = getPlatformFactory ().createBitmapMemoryPNGRepresentation (platformBitmap);
	return !png.empty ();
}

bool writePng (CBitmap& bitmap, const std::string& path)
{
	std::vector<uint8_t> png;
	if (!encodePng (bitmap, png))
		return false;
	std::FILE* file = std::fopen (path.c_str (), "wb");
	if (!file)
		return false;
	const bool written = std::fwrite (png.data (), 1, png.size (), file) == png.size ();
	return std::fclose (file) == 0 && written;
}

} // namespace cadora
