#include "editor/painter.h"

#include "vstgui/lib/cbitmap.h"
#include "vstgui/lib/cgraphicspath.h"

#include <algorithm>

namespace cadora {

using namespace VSTGUI;

namespace {

// Control-point distance of a cubic Bezier quarter circle of radius 1 (4 (sqrt 2 - 1) / 3).
constexpr double kKappa = 0.5522847498;

CRect toCRect (const DesignRect& r)
{
	return CRect (r.left, r.top, r.right, r.bottom);
}

SharedPointer<CGraphicsPath> owned (CGraphicsPath* path)
{
	return SharedPointer<CGraphicsPath> (path, false);
}

} // namespace

CFontRef FontCache::get (double size)
{
	for (auto& [s, font] : fonts)
		if (s == size)
			return font;
	auto font = makeOwned<CFontDesc> (*kNormalFont);
	font->setSize (size);
	fonts.emplace_back (size, font);
	return font;
}

SharedPointer<CGraphicsPath> Painter::roundRectPath (const DesignRect& r, double radius)
{
	auto path = owned (context.createGraphicsPath ());
	if (!path)
		return path;
	const double rad = std::max (0.0, std::min ({radius, r.width () / 2, r.height () / 2}));
	const double k = rad * (1.0 - kKappa);
	const double l = r.left, t = r.top, rt = r.right, b = r.bottom;
	path->beginSubpath (l + rad, t);
	path->addLine (rt - rad, t);
	path->addBezierCurve (rt - k, t, rt, t + k, rt, t + rad);
	path->addLine (rt, b - rad);
	path->addBezierCurve (rt, b - k, rt - k, b, rt - rad, b);
	path->addLine (l + rad, b);
	path->addBezierCurve (l + k, b, l, b - k, l, b - rad);
	path->addLine (l, t + rad);
	path->addBezierCurve (l, t + k, l + k, t, l + rad, t);
	path->closeSubpath ();
	return path;
}

SharedPointer<CGraphicsPath> Painter::ellipsePath (const DesignRect& r)
{
	auto path = owned (context.createGraphicsPath ());
	if (!path)
		return path;
	const double cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
	const double rx = r.width () / 2, ry = r.height () / 2;
	const double kx = rx * kKappa, ky = ry * kKappa;
	path->beginSubpath (cx + rx, cy);
	path->addBezierCurve (cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry);
	path->addBezierCurve (cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy);
	path->addBezierCurve (cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry);
	path->addBezierCurve (cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy);
	path->closeSubpath ();
	return path;
}

void Painter::fillRect (const DesignRect& r, const CColor& colour)
{
	// A path, not drawRect: the back ends disagree on the edges of a filled rectangle.
	auto path = owned (context.createGraphicsPath ());
	if (!path)
		return;
	path->beginSubpath (r.left, r.top);
	path->addLine (r.right, r.top);
	path->addLine (r.right, r.bottom);
	path->addLine (r.left, r.bottom);
	path->closeSubpath ();
	context.setFillColor (colour);
	context.drawGraphicsPath (path, CDrawContext::kPathFilled);
}

void Painter::fillRoundRect (const DesignRect& r, double radius, const CColor& fill)
{
	if (auto path = roundRectPath (r, radius))
	{
		context.setFillColor (fill);
		context.drawGraphicsPath (path, CDrawContext::kPathFilled);
	}
}

void Painter::strokeRoundRect (const DesignRect& r, double radius, const CColor& frame, double width)
{
	if (auto path = roundRectPath (r, radius))
	{
		context.setFrameColor (frame);
		context.setLineWidth (width);
		context.drawGraphicsPath (path, CDrawContext::kPathStroked);
	}
}

void Painter::fillEllipse (const DesignRect& r, const CColor& fill)
{
	if (auto path = ellipsePath (r))
	{
		context.setFillColor (fill);
		context.drawGraphicsPath (path, CDrawContext::kPathFilled);
	}
}

void Painter::strokeEllipse (const DesignRect& r, const CColor& frame, double width)
{
	if (auto path = ellipsePath (r))
	{
		context.setFrameColor (frame);
		context.setLineWidth (width);
		context.drawGraphicsPath (path, CDrawContext::kPathStroked);
	}
}

void Painter::line (DesignPoint from, DesignPoint to, const CColor& colour, double width)
{
	context.setFrameColor (colour);
	context.setLineWidth (width);
	context.drawLine (CPoint (from.x, from.y), CPoint (to.x, to.y));
}

void Painter::text (const char* utf8, const DesignRect& r, double size, const CColor& colour, TextAlign align)
{
	const CHoriTxtAlign hAlign = align == TextAlign::left    ? kLeftText
	                             : align == TextAlign::right ? kRightText
	                                                         : kCenterText;
	context.setFont (fonts.get (size));
	context.setFontColor (colour);
	context.drawString (utf8, toCRect (r), hAlign, true);
}

void Painter::bitmap (CBitmap& image, const DesignRect& r)
{
	image.draw (&context, toCRect (r), CPoint (0, 0), 1.f);
}

} // namespace cadora

namespace cadora {

SharedPointer<CBitmap> premultipliedBitmap (int width, int height, const uint8_t* rgba, double scale)
{
	if (width <= 0 || height <= 0 || !(scale > 0.0))
		return nullptr;
	auto image = makeOwned<CBitmap> (CPoint (width / scale, height / scale), scale);
	auto pixels = owned (CBitmapPixelAccess::create (image, true));
	if (!pixels || int (pixels->getBitmapWidth ()) < width || int (pixels->getBitmapHeight ()) < height)
		return nullptr;
	for (int y = 0; y < height; ++y)
		for (int x = 0; x < width; ++x, rgba += 4)
		{
			pixels->setPosition (uint32_t (x), uint32_t (y));
			pixels->setColor (CColor (rgba[0], rgba[1], rgba[2], rgba[3]));
		}
	return image;
}

} // namespace cadora
