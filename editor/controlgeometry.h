// Geometry of the dashboard's controls in design units: the pitch dial (22 degrees per
// semitone, 0 straight up), the two sliders (value from a pointer position, fill and
// thumb from a value) and the resize drag. Plain functions, shared by drawing and mouse.
#pragma once

#include "editor/designspace.h"

#include <cstdint>

namespace cadora {

constexpr DesignPoint kDialCentre {250.0, 318.0};
constexpr double kRadiansPerSemitone = 0.3839724354387525; // 22 degrees
constexpr double kPointerLength = 38.0;

constexpr DesignRect kFirstSliderRect {32, 420, 468, 455};
constexpr DesignRect kSecondSliderRect {32, 461, 468, 496};

// Angle of semitone n on the dial, radians from the positive x axis, y downwards.
double dialAngle (double semitones);
// The point at distance radius from the dial's centre in the direction of n.
DesignPoint dialPoint (double semitones, double radius);
// End of the pointer for a pitch of n semitones.
DesignPoint dialPointerEnd (int32_t semitones);

// Slider value for a pointer at design x: x 43 is 0, x 457 is 1, clamped. The drawn
// thumb travels 47..453, so a press just beside either end still reaches it.
double sliderValueAt (double designX);

struct SliderGeometry
{
	DesignRect track;       // the groove
	double fillLeft = 0.0;  // left end of the fill
	double fillRight = 0.0; // right end of the fill: the thumb's centre
	double centreY = 0.0;   // the thumb's centre
};

// Track, fill and thumb of a slider in rectangle r showing value v (clamped to 0..1).
SliderGeometry sliderGeometry (const DesignRect& r, double v);

// v clamped to 0..1, in percent, rounded half away from zero.
int32_t percentOf (double v);

// The editor width a grip drag asks for: start width plus the pointer's horizontal
// movement (view units, one to one), rounded half away from zero, clamped to 500..1000.
int32_t resizeWidthFor (double startWidth, double startX, double x);

} // namespace cadora
