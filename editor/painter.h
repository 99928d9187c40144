// Drawing in design units on a VSTGUI draw context that already carries the design fit.
// Round rectangles and ellipses are built from cubic Bezier quarter arcs: the toolkit's
// own arc-based shapes draw wrongly under Wine's Direct2D (skewed round rectangles,
// empty ellipse paths), while Bezier paths come out right on every back end. Text uses
// the toolkit's standard font at the given size.
#pragma once

#include "editor/designspace.h"

#include "vstgui/lib/cdrawcontext.h"
#include "vstgui/lib/cfont.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace cadora {

// The standard font at each size used, made once per dashboard.
class FontCache
{
public:
	VSTGUI::CFontRef get (double size);

private:
	std::vector<std::pair<double, VSTGUI::SharedPointer<VSTGUI::CFontDesc>>> fonts;
};

enum class TextAlign
{
	left,
	centre,
	right,
};

class Painter
{
public:
	using CColor = VSTGUI::CColor;

	Painter (VSTGUI::CDrawContext& context, FontCache& fonts) : context (context), fonts (fonts) {}

	void fillRect (const DesignRect& r, const CColor& colour);
	void fillRoundRect (const DesignRect& r, double radius, const CColor& fill);
	void strokeRoundRect (const DesignRect& r, double radius, const CColor& frame, double width);
	void fillEllipse (const DesignRect& r, const CColor& fill);
	void strokeEllipse (const DesignRect& r, const CColor& frame, double width);
	void line (DesignPoint from, DesignPoint to, const CColor& colour, double width);
	void text (const char* utf8, const DesignRect& r, double size, const CColor& colour, TextAlign align);
	// The image at its own size (one design unit a pixel) at the top-left of r, clipped to r.
	void bitmap (VSTGUI::CBitmap& image, const DesignRect& r);

	VSTGUI::CDrawContext& drawContext () { return context; }

private:
	VSTGUI::SharedPointer<VSTGUI::CGraphicsPath> roundRectPath (const DesignRect& r, double radius);
	VSTGUI::SharedPointer<VSTGUI::CGraphicsPath> ellipsePath (const DesignRect& r);

	VSTGUI::CDrawContext& context;
	FontCache& fonts;
};

// A bitmap of width x height pixels from premultiplied RGBA rows, `scale` pixels a design
// unit, so that drawn in design units it lands pixel for pixel. Null when the toolkit
// cannot make one.
VSTGUI::SharedPointer<VSTGUI::CBitmap> premultipliedBitmap (int width, int height, const uint8_t* rgba,
                                                            double scale);

} // namespace cadora
