#include "editor/dialshading.h"

#include <algorithm>
#include <cmath>

namespace cadora {

namespace {

struct Premultiplied
{
	double r = 0, g = 0, b = 0, a = 0;
};

struct Gradient
{
	DesignRect ellipse;
	int inner[4]; // red, green, blue, alpha at the centre
	int outer[4]; // at the radius and beyond
	DesignPoint centre;
	double radius;
};

// A dark vignette over the face, a soft highlight at the upper left, a violet glow at the
// lower right.
constexpr Gradient kGradients[] = {
    {{186, 254, 314, 382}, {24, 25, 30, 14}, {3, 4, 7, 112}, {232, 289}, 112},
    {{192, 262, 292, 338}, {245, 248, 255, 62}, {210, 220, 235, 0}, {223, 282}, 69},
    {{273, 349, 308, 374}, {164, 97, 255, 46}, {164, 97, 255, 0}, {297, 365}, 32},
};

constexpr int kSamples = 4;

Premultiplied premultiply (const int (&c)[4])
{
	const double a = c[3] / 255.0;
	return {c[0] / 255.0 * a, c[1] / 255.0 * a, c[2] / 255.0 * a, a};
}

bool insideEllipse (const DesignRect& e, double x, double y)
{
	const double rx = e.width () / 2, ry = e.height () / 2;
	const double dx = (x - (e.left + rx)) / rx, dy = (y - (e.top + ry)) / ry;
	return dx * dx + dy * dy <= 1.0;
}

// Colour of one design point: the gradients that cover it, composited in order.
Premultiplied shadeAt (double x, double y)
{
	Premultiplied out;
	for (const Gradient& g : kGradients)
	{
		if (!insideEllipse (g.ellipse, x, y))
			continue;
		const double t = std::min (1.0, std::hypot (x - g.centre.x, y - g.centre.y) / g.radius);
		const Premultiplied a = premultiply (g.inner), b = premultiply (g.outer);
		const Premultiplied s {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
		                       a.a + (b.a - a.a) * t};
		const double keep = 1.0 - s.a;
		out = {s.r + out.r * keep, s.g + out.g * keep, s.b + out.b * keep, s.a + out.a * keep};
	}
	return out;
}

uint8_t byte (double v)
{
	return static_cast<uint8_t> (std::lround (std::clamp (v, 0.0, 1.0) * 255.0));
}

} // namespace

ShadingPicture dialShading (double scale)
{
	ShadingPicture picture;
	if (!(scale > 0.0))
		return picture;
	const DesignRect& area = kDialShadingArea;
	picture.width = static_cast<int> (std::ceil (area.width () * scale));
	picture.height = static_cast<int> (std::ceil (area.height () * scale));
	picture.rgba.resize (size_t (picture.width) * picture.height * 4);
	uint8_t* out = picture.rgba.data ();
	for (int py = 0; py < picture.height; ++py)
	{
		for (int px = 0; px < picture.width; ++px, out += 4)
		{
			Premultiplied sum;
			for (int sy = 0; sy < kSamples; ++sy)
				for (int sx = 0; sx < kSamples; ++sx)
				{
					const double x = area.left + (px + (sx + 0.5) / kSamples) / scale;
					const double y = area.top + (py + (sy + 0.5) / kSamples) / scale;
					const Premultiplied c = shadeAt (x, y);
					sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b, sum.a + c.a};
				}
			const double n = kSamples * kSamples;
			out[0] = byte (sum.r / n);
			out[1] = byte (sum.g / n);
			out[2] = byte (sum.b / n);
			out[3] = byte (sum.a / n);
		}
	}
	return picture;
}

} // namespace cadora
