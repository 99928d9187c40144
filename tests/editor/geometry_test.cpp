// The editor's geometry as tables: the size rule, the design fit both ways, every hit
// area at its edges, the dial, the sliders and the grip drag.
#include "editor/controlgeometry.h"
#include "editor/designspace.h"
#include "plugin/editorsize.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace cadora {
namespace {

TEST (EditorSizeRule, ClampsWidthAndTiesHeight)
{
	const struct
	{
		int64_t width;
		EditorSize expected;
	} cases[] = {
	    {400, {500, 535}},  {500, {500, 535}},         {750, {750, 803}} /* lround (802.5) */,
	    {999, {999, 1069}}, {1000, {1000, 1070}},      {1200, {1000, 1070}},
	    {-5, {500, 535}},   {INT64_MAX, {1000, 1070}},
	};
	for (const auto& c : cases)
		EXPECT_EQ (c.expected, editorSizeForWidth (c.width)) << c.width;
}

TEST (DesignFit, MapsViewPointsUniformlyAndCentred)
{
	const struct
	{
		const char* label;
		double w, h;   // view size
		double x, y;   // view point
		double dx, dy; // design point
	} cases[] = {
	    {"design size is the identity", 500, 535, 250, 318, 250, 318},
	    {"double size halves", 1000, 1070, 500, 636, 250, 318},
	    {"999 x 1069, a sliver above", 999, 1069, 0, 0, 0, -0.0175175},
	    // Too wide: the height decides the scale (800 / 535) and the design is centred.
	    {"off ratio, too wide", 1200, 800, 600, 400, 250, 267.5},
	    // Too tall: the width decides (2.0), the extra height is split above and below.
	    {"off ratio, too tall", 1000, 1270, 500, 100, 250, 0},
	};
	for (const auto& c : cases)
	{
		const DesignPoint p = DesignFit::forView (c.w, c.h).toDesign (c.x, c.y);
		EXPECT_NEAR (c.dx, p.x, 1e-4) << c.label;
		EXPECT_NEAR (c.dy, p.y, 1e-4) << c.label;
	}
}

TEST (DesignFit, DrawingAndPointerUseTheSameFit)
{
	for (auto [w, h] : {std::pair {500.0, 535.0}, {1000.0, 1070.0}, {800.0, 800.0}, {700.0, 1000.0}})
	{
		const DesignFit fit = DesignFit::forView (w, h);
		const DesignRect v = fit.toView ({179, 247, 321, 389});
		const DesignPoint back = fit.toDesign (v.left, v.top);
		EXPECT_NEAR (179, back.x, 1e-9);
		EXPECT_NEAR (247, back.y, 1e-9);
		// The whole design stays inside the view.
		const DesignRect all = fit.toView ({0, 0, kDesignWidth, kDesignHeight});
		EXPECT_GE (all.left, -1e-9);
		EXPECT_GE (all.top, -1e-9);
		EXPECT_LE (all.right, w + 1e-9);
		EXPECT_LE (all.bottom, h + 1e-9);
	}
}

TEST (HitAreas, EveryAreaAtItsEdges)
{
	const struct
	{
		double x, y;
		HitArea area;
	} cases[] = {
	    {452, 472, HitArea::resizeGrip},
	    {499.99, 519.99, HitArea::resizeGrip},
	    {500, 520, HitArea::none},
	    {500, 500, HitArea::none},
	    {460, 480, HitArea::resizeGrip} /* grip wins over the second slider */,
	    {25, 10, HitArea::monogram},
	    {81.99, 56.99, HitArea::monogram},
	    {82, 30, HitArea::none},
	    {25, 57, HitArea::none},
	    {380, 8, HitArea::linkStatus},
	    {479.99, 47.99, HitArea::linkStatus},
	    {480, 20, HitArea::none},
	    {400, 48, HitArea::none},
	    {46, 171, HitArea::playerLogo},
	    {81.99, 206.99, HitArea::playerLogo},
	    {45.99, 190, HitArea::none},
	    {60, 207, HitArea::none},
	    {179, 247, HitArea::pitchDial},
	    {320.99, 388.99, HitArea::pitchDial},
	    {321, 300, HitArea::none},
	    {250, 389, HitArea::none},
	    {84, 295, HitArea::minusButton},
	    {155.99, 350.99, HitArea::minusButton},
	    {156, 300, HitArea::none},
	    {100, 351, HitArea::none},
	    {344, 295, HitArea::plusButton},
	    {415.99, 350.99, HitArea::plusButton},
	    {416, 300, HitArea::none},
	    {343.99, 300, HitArea::none},
	    {32, 420, HitArea::firstSlider},
	    {467.99, 454.99, HitArea::firstSlider},
	    {30, 440, HitArea::none},
	    {468, 440, HitArea::none},
	    {100, 455, HitArea::none} /* the gap between the sliders */,
	    {32, 461, HitArea::secondSlider},
	    {451.99, 495.99, HitArea::secondSlider},
	    {100, 496, HitArea::none},
	    {250, 150, HitArea::none},
	};
	for (const auto& c : cases)
		EXPECT_EQ (c.area, hitArea ({c.x, c.y})) << c.x << ", " << c.y;
}

TEST (Dial, PointerEndsAndTicksShareTheAngle)
{
	const struct
	{
		int32_t semitones;
		double x, y;
	} cases[] = {
	    {0, 250, 280},
	    {5, 285.71, 331.00},
	    {-5, 214.29, 331.00},
	    {1, 264.24, 282.77},
	};
	for (const auto& c : cases)
	{
		const DesignPoint end = dialPointerEnd (c.semitones);
		EXPECT_NEAR (c.x, end.x, 0.01) << c.semitones;
		EXPECT_NEAR (c.y, end.y, 0.01) << c.semitones;
		// The tick for n lies on the pointer's line for n.
		const DesignPoint tick = dialPoint (c.semitones, 52);
		EXPECT_NEAR (std::atan2 (tick.y - 318, tick.x - 250), std::atan2 (end.y - 318, end.x - 250), 1e-12);
	}
}

TEST (Slider, ValueFromPointer)
{
	const struct
	{
		double x, value;
	} cases[] = {{40, 0.0}, {43, 0.0}, {250, 0.5}, {457, 1.0}, {460, 1.0}, {146.5, 0.25}};
	for (const auto& c : cases)
		EXPECT_NEAR (c.value, sliderValueAt (c.x), 1e-12) << c.x;
	EXPECT_EQ (0.0, sliderValueAt (std::nan ("")));
}

TEST (Slider, FillThumbAndPercent)
{
	const struct
	{
		double value;
		double thumbX;
		int32_t percent;
	} cases[] = {{0.0, 47, 0},    {0.005, 49.03, 1}, {0.5, 250, 50},
	             {1.0, 453, 100}, {-1.0, 47, 0},     {7.0, 453, 100}};
	for (const auto& c : cases)
	{
		const SliderGeometry g = sliderGeometry (kFirstSliderRect, c.value);
		EXPECT_NEAR (c.thumbX, g.fillRight, 0.01) << c.value;
		EXPECT_EQ (c.percent, percentOf (c.value)) << c.value;
	}
	const SliderGeometry first = sliderGeometry (kFirstSliderRect, 0);
	EXPECT_EQ (46, first.track.left);
	EXPECT_EQ (444, first.track.top);
	EXPECT_EQ (454, first.track.right);
	EXPECT_EQ (452, first.track.bottom);
	EXPECT_EQ (448, first.centreY);
	EXPECT_EQ (489, sliderGeometry (kSecondSliderRect, 0).centreY);
}

TEST (Grip, DragWidthFollowsThePointer)
{
	const struct
	{
		double startWidth, startX, x;
		int32_t width;
	} cases[] = {
	    {600, 590, -110, 500},  // 700 units to the left: clamped
	    {990, 980, 1010, 1000}, // 30 to the right: clamped
	    {700, 690, 740.5, 751}, // half away from zero
	    {700, 690, 739.4, 749},
	};
	for (const auto& c : cases)
		EXPECT_EQ (c.width, resizeWidthFor (c.startWidth, c.startX, c.x)) << c.x;
}

} // namespace
} // namespace cadora
