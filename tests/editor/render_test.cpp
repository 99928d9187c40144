// The dashboard drawn offscreen, no display, at the smallest and the largest editor
// size, checked by pixels at design points: background, link dot, monogram, a bar's
// height, the dial pointer, the slider thumbs, the logo or its stand-in, and Chinese
// text. Fonts and locale are pinned by the test's environment (tests/editor/fonts.conf).
#include "editor/dashboard.h"
#include "editor/offscreenrender.h"
#include "fakes.h"

#include "vstgui/lib/cgradient.h"
#include "vstgui/lib/cgraphicspath.h"
#include "vstgui/lib/coffscreencontext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace cadora {
namespace {

using namespace VSTGUI;
using test::FakeSource;
using test::RecordingCallbacks;

struct Colour
{
	int r, g, b;
};

bool near (Rgba p, Colour c, int tolerance)
{
	return std::abs (p.r - c.r) <= tolerance && std::abs (p.g - c.g) <= tolerance &&
	       std::abs (p.b - c.b) <= tolerance;
}

std::string describe (Rgba p)
{
	return "(" + std::to_string (p.r) + ", " + std::to_string (p.g) + ", " + std::to_string (p.b) + ")";
}

constexpr Colour kBackground {25, 20, 30};
constexpr Colour kAmber {246, 200, 74};
constexpr Colour kViolet {155, 117, 248};
constexpr Colour kSpectrumCard {27, 21, 34};
constexpr Colour kWhite {255, 255, 255};

class RenderTest : public ::testing::TestWithParam<int>
{
protected:
	RecordingCallbacks params;
	FakeSource* source = nullptr;
	SharedPointer<CadoraDashboard> view;
	Pixels pixels;
	DesignFit fit;

	void make (bool withLogos = true)
	{
		auto fake = std::make_unique<FakeSource> ();
		if (withLogos)
			fake->useModuleLogos ();
		source = fake.get ();
		view = makeOwned<CadoraDashboard> (CRect (0, 0, 500, 535), params.make (), std::move (fake));
		setSize (GetParam (), static_cast<int> (std::lround (GetParam () * 1.07)));
	}
	void setSize (int w, int h)
	{
		view->setViewSize (CRect (0, 0, w, h));
		fit = DesignFit::forView (w, h);
	}
	void render ()
	{
		auto bitmap = renderView (*view);
		ASSERT_TRUE (bitmap);
		pixels = readPixels (*bitmap);
		ASSERT_EQ (view->getViewSize ().getWidth (), pixels.width);
	}
	// The pixel under a design point.
	Rgba at (double x, double y) const
	{
		return pixels.at (static_cast<int> (std::floor (x * fit.scale + fit.offsetX)),
		                  static_cast<int> (std::floor (y * fit.scale + fit.offsetY)));
	}
	// Pixels of a design rectangle that pass a test, and the design-unit box they span.
	struct Ink
	{
		int count = 0;
		double width = 0, height = 0;
	};
	template <typename Test>
	Ink ink (const DesignRect& r, Test test) const
	{
		const DesignRect v = fit.toView (r);
		Ink result;
		int left = INT32_MAX, right = -1, top = INT32_MAX, bottom = -1;
		for (int y = int (v.top); y < int (v.bottom); ++y)
			for (int x = int (v.left); x < int (v.right); ++x)
				if (test (pixels.at (x, y)))
				{
					++result.count;
					left = std::min (left, x), right = std::max (right, x);
					top = std::min (top, y), bottom = std::max (bottom, y);
				}
		if (result.count)
		{
			result.width = (right - left + 1) / fit.scale;
			result.height = (bottom - top + 1) / fit.scale;
		}
		return result;
	}
};

TEST_P (RenderTest, BackgroundAndLinkDot)
{
	make ();
	render ();
	EXPECT_TRUE (near (at (10, 100), kBackground, 1)) << describe (at (10, 100));
	EXPECT_TRUE (near (at (250, 525), kBackground, 1));
	EXPECT_TRUE (near (at (404.5, 29.5), {231, 80, 95}, 6))
	    << "red while not linked: " << describe (at (404.5, 29.5));
	source->reading.linkConnected = true;
	render ();
	EXPECT_TRUE (near (at (404.5, 29.5), {78, 217, 160}, 6))
	    << "green once linked: " << describe (at (404.5, 29.5));
	const Ink linked = ink ({416, 17, 480, 41}, [] (Rgba p) { return near (p, kAmber, 60); });
	EXPECT_GT (linked.count, 20) << "\"电音已连接\" in amber";
}

TEST_P (RenderTest, MonogramAmberVioletWhenHovered)
{
	make ();
	render ();
	const DesignRect monogram {25, 8, 82, 59};
	auto amber = [] (Rgba p) {
		return near (p, kAmber, 30);
	};
	auto violet = [] (Rgba p) {
		return near (p, kViolet, 30);
	};
	EXPECT_GT (ink (monogram, amber).count, 40 * fit.scale * fit.scale);
	EXPECT_EQ (0, ink (monogram, violet).count);
	view->model ().logoHover = true;
	render ();
	EXPECT_EQ (0, ink (monogram, amber).count);
	EXPECT_GT (ink (monogram, violet).count, 40 * fit.scale * fit.scale);
}

TEST_P (RenderTest, BarHeightFollowsTheBandLevel)
{
	make ();
	source->reading.bandLevels[1] = 0.3f; // target 0.54, after one drawing 0.4752: top at 105.39
	render ();
	const Colour bar {140, 106, 223}; // (155, 117, 248, 225) over the spectrum card
	EXPECT_TRUE (near (at (60.5, 110), bar, 8)) << describe (at (60.5, 110));
	EXPECT_TRUE (near (at (60.5, 130), bar, 8));
	EXPECT_TRUE (near (at (60.5, 100), kSpectrumCard, 3))
	    << "above the bar and its peak: " << describe (at (60.5, 100));
	EXPECT_TRUE (near (at (73, 120), kSpectrumCard, 3)) << "a silent band";
	const Ink drawn = ink ({58, 70, 63, 140}, [&] (Rgba p) { return near (p, bar, 20); });
	EXPECT_NEAR (132 - 0.4752 * 56 - 1.8, 132 - drawn.height, 1.5) << "the bar with its peak marker";
}

TEST_P (RenderTest, DialPointerEndsWhereThePitchSays)
{
	make ();
	const int pitches[] = {-5, 0, 5};
	auto warm = [] (Rgba p) {
		return p.r > 120 && p.r - p.b > 50;
	};
	for (int shown : pitches)
	{
		view->model ().pitchShown = shown;
		render ();
		for (int other : pitches)
		{
			const double a = other * 0.3839724354387525 - 1.5707963267948966;
			const Rgba p = at (250 + 25 * std::cos (a), 318 + 25 * std::sin (a));
			EXPECT_EQ (other == shown, warm (p))
			    << "pitch " << shown << ", direction " << other << ": " << describe (p);
		}
		// The end point itself lies on the pointer.
		const double a = shown * 0.3839724354387525 - 1.5707963267948966;
		EXPECT_TRUE (warm (at (250 + 36 * std::cos (a), 318 + 36 * std::sin (a)))) << shown;
	}
}

TEST_P (RenderTest, SliderThumbsAtBothEnds)
{
	make ();
	view->model ().hardnessShown = 0.0;
	view->model ().muteShown = 1.0;
	render ();
	EXPECT_TRUE (near (at (46, 444), kWhite, 4)) << "first thumb at x 47: " << describe (at (46, 444));
	EXPECT_FALSE (near (at (452, 444), kWhite, 40)) << describe (at (452, 444));
	EXPECT_TRUE (near (at (452, 485), kWhite, 4)) << "second thumb at x 453: " << describe (at (452, 485));
	view->model ().hardnessShown = 1.0;
	view->model ().muteShown = 0.0;
	render ();
	EXPECT_TRUE (near (at (452, 444), kWhite, 4)) << describe (at (452, 444));
	EXPECT_FALSE (near (at (46, 444), kWhite, 40));
	EXPECT_TRUE (near (at (46, 485), kWhite, 4));
	EXPECT_TRUE (near (at (300, 448), kViolet, 12)) << "the fill: " << describe (at (300, 448));
}

TEST_P (RenderTest, LogoWhereOneExistsNoteWhereNone)
{
	const DesignRect logoRect {42, 172, 82, 212};
	auto amber = [] (Rgba p) {
		return near (p, kAmber, 40);
	};
	const struct
	{
		int32_t source;
		Colour colour;
	} players[] = {{1, {34, 144, 255}},
	               {2, {49, 194, 124}},
	               {3, {226, 35, 48}},
	               {4, {255, 72, 120}},
	               {5, {255, 140, 0}}};
	make (true);
	for (const auto& p : players)
	{
		params.playerSource = p.source;
		render ();
		// Logo pixel (4, 16) is the player's colour in every logo.
		EXPECT_TRUE (near (at (46.5, 188.5), p.colour, 8)) << p.source << ": " << describe (at (46.5, 188.5));
	}
	make (false);
	render ();
	EXPECT_TRUE (near (at (46.5, 188.5), {39, 31, 49}, 3)) << "no logo: the song card shows through";
	EXPECT_GT (ink (logoRect, amber).count, 10 * fit.scale * fit.scale) << "\"♪\" in amber";
}

TEST_P (RenderTest, ChineseTextDrawsGlyphsNotBoxes)
{
	make ();
	const DesignRect titleArea {92, 184, 258, 207};
	auto textInk = [] (Rgba p) {
		return p.r > 150 && p.g > 130;
	};
	// "一" is one horizontal stroke: a font without it draws a tall box instead.
	source->setSong ("一");
	render ();
	const Ink one = ink (titleArea, textInk);
	EXPECT_GT (one.width, 8);
	EXPECT_LT (one.height, 4) << "a flat stroke, not a missing-glyph box";
	source->setSong ("暂无歌曲名称");
	render ();
	const Ink title = ink (titleArea, textInk);
	EXPECT_GT (title.width, 70) << "six characters";
	EXPECT_GT (title.height, 10);
}

TEST_P (RenderTest, OffRatioViewShowsTheWholeDesign)
{
	make ();
	setSize (GetParam () * 2, GetParam ());
	render ();
	EXPECT_TRUE (near (pixels.at (2, GetParam () / 2), kBackground, 1)) << "the margin beside the design";
	const Ink grip = ink ({476, 496, 492, 512}, [] (Rgba p) { return p.r > 120 && p.b > 150; });
	EXPECT_GT (grip.count, 5) << "the grip in the bottom-right corner is drawn";
	EXPECT_TRUE (near (at (404.5, 29.5), {231, 80, 95}, 6));
}

INSTANTIATE_TEST_SUITE_P (SmallestAndLargest, RenderTest, ::testing::Values (500, 1000));

// The toolkit's own ellipse and radial gradient on the Linux back end, which the SDK patch
// mends (unpatched, an ellipse draws a dot and a radial gradient nothing). The dashboard
// draws neither, but a toolkit that draws them wrong is not the one the project builds.
TEST (CairoBackEnd, EllipseAndRadialGradientDraw)
{
	auto context = COffscreenContext::create (CPoint (100, 100));
	ASSERT_TRUE (context);
	context->beginDraw ();
	context->setDrawMode (kAntiAliasing | kNonIntegralMode);
	context->setFillColor (CColor (0, 0, 0, 255));
	context->drawRect (CRect (0, 0, 100, 100), kDrawFilled);
	context->setFillColor (CColor (255, 0, 0, 255));
	context->drawEllipse (CRect (10, 10, 50, 50), kDrawFilled);
	auto path = owned (context->createGraphicsPath ());
	path->addRect (CRect (50, 50, 100, 100));
	auto gradient = owned (CGradient::create (0.0, 1.0, CColor (0, 255, 0, 255), CColor (0, 0, 255, 255)));
	context->fillRadialGradient (path, *gradient, CPoint (75, 75), 25);
	context->endDraw ();
	const Pixels p = readPixels (*context->getBitmap ());
	EXPECT_EQ (255, p.at (30, 30).r) << "inside the ellipse";
	EXPECT_EQ (255, p.at (30, 12).r) << "near its top";
	EXPECT_EQ (0, p.at (12, 12).r) << "its corner stays outside";
	EXPECT_GT (p.at (75, 75).g, 240) << "the gradient's centre";
	EXPECT_GT (p.at (62, 75).g, 100) << "half way";
	EXPECT_GT (p.at (62, 75).b, 100) << "half way";
	EXPECT_GT (p.at (99, 75).b, 240) << "at the radius";
}

} // namespace
} // namespace cadora
