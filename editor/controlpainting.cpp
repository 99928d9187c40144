#include "editor/controlpainting.h"

#include "editor/controlgeometry.h"
#include "editor/dialshading.h"
#include "editor/palette.h"
#include "editor/statustext.h"

#include <algorithm>
#include <string>

namespace cadora {

using namespace palette;

namespace {

void paintTick (Painter& painter, int n, const CColor& colour)
{
	painter.line (dialPoint (n, 52), dialPoint (n, 59), colour, 1.5);
	const DesignPoint at = dialPoint (n, 45);
	painter.text (std::to_string (n).c_str (), {at.x - 10, at.y - 8, at.x + 10, at.y + 9}, 11, colour,
	              TextAlign::centre);
}

void paintDialBody (Painter& painter)
{
	painter.fillEllipse ({179, 247, 321, 389}, CColor (13, 11, 19, 255));
	painter.strokeEllipse ({181, 249, 319, 387}, CColor (94, 78, 119, 255), 1.5);
	painter.strokeEllipse ({183.5, 251.5, 316.5, 384.5}, CColor (30, 24, 43, 255), 1);
	painter.fillEllipse ({186, 254, 314, 382}, CColor (25, 20, 35, 255));
}

void paintPointerAndHub (Painter& painter, int32_t pitchShown)
{
	const DesignPoint end = dialPointerEnd (pitchShown);
	painter.line (kDialCentre, end, CColor (78, 46, 109, 220), 5);
	painter.line (kDialCentre, end, kAmber, 1.6);
	const DesignRect hub {235, 303, 265, 333};
	painter.fillEllipse (hub, CColor (15, 11, 22, 255));
	painter.strokeEllipse (hub, CColor (155, 117, 248, 220), 1.5);
	painter.fillEllipse ({240, 308, 260, 328}, CColor (73, 53, 91, 255));
	painter.strokeEllipse ({242, 310, 258, 326}, CColor (255, 255, 255, 95), 1);
	painter.fillEllipse ({245, 313, 255, 323}, CColor (109, 76, 135, 255));
	painter.fillEllipse ({247.5, 315.5, 252.5, 320.5}, kAmber);
	painter.fillEllipse ({248, 315.5, 250, 317.5}, CColor (255, 255, 255, 180));
}

void paintPitchButton (Painter& painter, const DesignRect& r, const char* symbol, const char* label,
                       bool highlighted)
{
	painter.fillRoundRect (r, 16, highlighted ? CColor (61, 47, 79, 255) : CColor (36, 29, 48, 255));
	painter.strokeRoundRect (r, 16, CColor (155, 117, 248, 165), 1);
	painter.text (symbol, {r.left, r.top - 2, r.right, r.top + 34}, 28, kText, TextAlign::centre);
	painter.text (label, {r.left, r.top + 30, r.right, r.bottom - 8}, 13, kDimText, TextAlign::centre);
}

} // namespace

void paintPitchSection (Painter& painter, int32_t pitchShown, int32_t pitchButtonHover,
                        VSTGUI::CBitmap* shading)
{
	const DesignRect card {25, 233, 475, 405};
	painter.fillRoundRect (card, 18, CColor (35, 28, 45, 255));
	painter.strokeRoundRect (card, 18, kCardBorder, 1);
	paintDialBody (painter);
	for (int n = -5; n <= 5; ++n)
		if (n != 0)
			paintTick (painter, n, n < 0 ? kViolet : kAmber);
	painter.line ({250, 270}, {250, 263}, kText, 2.2);
	painter.text ("0", {240, 270, 260, 287}, 11, kText, TextAlign::centre);
	paintPointerAndHub (painter, pitchShown);
	painter.text (pitchValueText (pitchShown).c_str (), {222, 345, 278, 371}, 18, kAmber, TextAlign::centre);
	if (shading)
		painter.bitmap (*shading, kDialShadingArea);
	paintPitchButton (painter, {84, 295, 156, 351}, "\xE2\x88\x92", "降调", pitchButtonHover == -1);
	paintPitchButton (painter, {344, 295, 416, 351}, "+", "升调", pitchButtonHover == 1);
}

void paintSlider (Painter& painter, const DesignRect& r, const char* label, double value,
                  const VSTGUI::CColor& fill)
{
	const SliderGeometry g = sliderGeometry (r, value);
	painter.text (label, {r.left + 15, r.top, r.left + 130, r.top + 19}, 11, kDimText, TextAlign::left);
	painter.text (percentText (value).c_str (), {r.right - 67, r.top, r.right - 15, r.top + 19}, 11, kText,
	              TextAlign::right);
	const DesignRect& t = g.track;
	painter.fillRoundRect (t, 4, CColor (19, 14, 28, 255));
	painter.strokeRoundRect (t, 4, CColor (130, 99, 174, 150), 1);
	painter.line ({t.left + 4, t.top + 2}, {t.right - 4, t.top + 2}, CColor (255, 255, 255, 34), 1);
	const double fl = g.fillLeft, fr = g.fillRight;
	painter.fillRoundRect ({fl, t.top + 1, std::max (fl + 4, fr), t.bottom - 1}, 3, fill);
	if (fr > fl + 5)
		painter.line ({fl + 3, t.top + 2}, {fr - 3, t.top + 2}, CColor (255, 255, 255, 130), 1);
	const double cy = g.centreY;
	painter.fillEllipse ({fr - 11, cy - 8, fr + 11, cy + 10}, CColor (10, 7, 17, 220));
	painter.fillEllipse ({fr - 8, cy - 8, fr + 8, cy + 8}, CColor (255, 255, 255, 255));
	painter.fillEllipse ({fr - 6, cy - 5, fr + 6, cy + 7}, CColor (225, 220, 235, 255));
	painter.fillEllipse ({fr - 5, cy - 6, fr + 4, cy + 2}, CColor (255, 255, 255, 255));
}

void paintGrip (Painter& painter)
{
	for (int i = 0; i < 3; ++i)
		painter.line ({478.0 - 6 * i, 510}, {490, 498.0 - 6 * i}, CColor (205, 184, 244, 180), 1);
}

} // namespace cadora
