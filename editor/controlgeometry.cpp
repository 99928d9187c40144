#include "editor/controlgeometry.h"

#include "dsp/mathconstants.h"
#include "plugin/editorsize.h"

#include <algorithm>
#include <cmath>

namespace cadora {

namespace {

constexpr double kSliderZeroX = 43.0;
constexpr double kSliderSpan = 414.0;

double unit (double v)
{
	return std::isnan (v) ? 0.0 : std::clamp (v, 0.0, 1.0);
}

} // namespace

double dialAngle (double semitones)
{
	return semitones * kRadiansPerSemitone - kHalfPi;
}

DesignPoint dialPoint (double semitones, double radius)
{
	const double a = dialAngle (semitones);
	return {kDialCentre.x + radius * std::cos (a), kDialCentre.y + radius * std::sin (a)};
}

DesignPoint dialPointerEnd (int32_t semitones)
{
	return dialPoint (semitones, kPointerLength);
}

double sliderValueAt (double designX)
{
	return unit ((designX - kSliderZeroX) / kSliderSpan);
}

SliderGeometry sliderGeometry (const DesignRect& r, double v)
{
	SliderGeometry g;
	g.track = {r.left + 14, r.bottom - 11, r.right - 14, r.bottom - 3};
	g.fillLeft = g.track.left + 1;
	g.fillRight = g.fillLeft + (g.track.right - 1 - g.fillLeft) * unit (v);
	g.centreY = (g.track.top + g.track.bottom) / 2;
	return g;
}

int32_t percentOf (double v)
{
	return static_cast<int32_t> (std::lround (unit (v) * 100.0));
}

int32_t resizeWidthFor (double startWidth, double startX, double x)
{
	const double w = std::round (startWidth + x - startX);
	return static_cast<int32_t> (std::clamp (w, double (kEditorMinWidth), double (kEditorMaxWidth)));
}

} // namespace cadora
