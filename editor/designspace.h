// The dashboard's design space: a fixed layout of 500 x 535 units, fitted into whatever
// size the view has by one uniform scale, centred. Drawing, invalidation and the mouse
// all go through the same fit, so a host that sizes the view off the 1 : 1.07 ratio
// still shows the whole design and clicks land where things are drawn. Also the hit
// areas of the mouse, each half-open (left and top edges inside, right and bottom not).
#pragma once

namespace cadora {

constexpr double kDesignWidth = 500.0;
constexpr double kDesignHeight = 535.0;

struct DesignPoint
{
	double x = 0.0;
	double y = 0.0;
};

struct DesignRect
{
	double left = 0.0;
	double top = 0.0;
	double right = 0.0;
	double bottom = 0.0;

	double width () const { return right - left; }
	double height () const { return bottom - top; }
	// Half-open: right and bottom edges are outside.
	bool contains (DesignPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

// View coordinates of the design for one view size: view = design x scale + offset.
struct DesignFit
{
	double scale = 1.0;
	double offsetX = 0.0;
	double offsetY = 0.0;

	// s = min (W / 500, H / 535), the design centred in the view.
	static DesignFit forView (double viewWidth, double viewHeight);

	DesignPoint toDesign (double viewX, double viewY) const;
	DesignRect toView (const DesignRect& design) const;
};

// The areas the mouse acts on, in the order a press tests them.
enum class HitArea
{
	none,
	resizeGrip,
	monogram,
	linkStatus,
	playerLogo,
	pitchDial,
	minusButton,
	plusButton,
	firstSlider,
	secondSlider,
};

// The design rectangle of an area (empty for none).
DesignRect hitRect (HitArea area);
// The first area, in press order, that contains p.
HitArea hitArea (DesignPoint p);

} // namespace cadora
