// The dial's shading picture: transparent outside the three ellipses, a dark vignette
// growing towards the face's edge, a light highlight upper left, a violet glow lower
// right, antialiased edges, and the same picture at every scale.
#include "editor/dialshading.h"

#include <gtest/gtest.h>

#include <cmath>

namespace cadora {
namespace {

struct Pixel
{
	int r, g, b, a;
};

Pixel at (const ShadingPicture& p, double designX, double designY, double scale)
{
	const int x = int ((designX - kDialShadingArea.left) * scale);
	const int y = int ((designY - kDialShadingArea.top) * scale);
	const uint8_t* v = &p.rgba[(size_t (y) * p.width + x) * 4];
	return {v[0], v[1], v[2], v[3]};
}

TEST (DialShading, RegionsAndColours)
{
	const ShadingPicture p = dialShading (1.0);
	ASSERT_EQ (128, p.width);
	ASSERT_EQ (128, p.height);
	EXPECT_EQ (0, at (p, 187, 255, 1).a) << "a corner outside the face";
	// Face only, far from the vignette's centre: dark and nearly 112/255 opaque.
	const Pixel edge = at (p, 250, 380, 1);
	EXPECT_NEAR (100, edge.a, 12);
	EXPECT_LT (edge.r, 10);
	// The highlight's centre: light grey over the vignette, lighter than its surroundings.
	const Pixel highlight = at (p, 223, 282, 1);
	EXPECT_GT (highlight.r, 40);
	EXPECT_GT (highlight.a, 62);
	EXPECT_GT (highlight.r, at (p, 280, 300, 1).r) << "brightest at its centre";
	// The glow: violet (blue over red over green), fading out towards its rim.
	const Pixel glow = at (p, 297, 365, 1);
	EXPECT_GT (glow.b, glow.r);
	EXPECT_GT (glow.r, glow.g);
	// Premultiplied: no channel above alpha.
	for (size_t i = 0; i < p.rgba.size (); i += 4)
		ASSERT_LE (std::max ({p.rgba[i], p.rgba[i + 1], p.rgba[i + 2]}), p.rgba[i + 3]) << i / 4;
}

TEST (DialShading, EdgesAntialiasedScaleIndependent)
{
	// The face's rim crosses pixels at this scale: partly covered, partly transparent.
	const ShadingPicture fine = dialShading (2.0);
	ASSERT_EQ (256, fine.width);
	int partial = 0;
	for (int x = 0; x < fine.width; ++x)
	{
		const int a = fine.rgba[(size_t (3) * fine.width + x) * 4 + 3];
		partial += a > 0 && a < 90;
	}
	EXPECT_GT (partial, 4) << "antialiased rim along a row near the top";
	// The same design point reads alike at both scales.
	const ShadingPicture coarse = dialShading (1.0);
	const Pixel a = at (coarse, 240.5, 300.5, 1), b = at (fine, 240.5, 300.5, 2);
	EXPECT_NEAR (a.r, b.r, 3);
	EXPECT_NEAR (a.a, b.a, 3);
	EXPECT_TRUE (dialShading (0).rgba.empty ());
}

} // namespace
} // namespace cadora
