#include "editor/designspace.h"

#include <algorithm>
#include <iterator>

namespace cadora {

namespace {

struct AreaRow
{
	HitArea area;
	DesignRect rect;
};

// Press order: the grip overlaps the second slider's corner and wins.
constexpr AreaRow kAreas[] = {
    {HitArea::resizeGrip, {452, 472, 500, 520}},  {HitArea::monogram, {25, 10, 82, 57}},
    {HitArea::linkStatus, {380, 8, 480, 48}},     {HitArea::playerLogo, {46, 171, 82, 207}},
    {HitArea::pitchDial, {179, 247, 321, 389}},   {HitArea::minusButton, {84, 295, 156, 351}},
    {HitArea::plusButton, {344, 295, 416, 351}},  {HitArea::firstSlider, {32, 420, 468, 455}},
    {HitArea::secondSlider, {32, 461, 468, 496}},
};

} // namespace

DesignFit DesignFit::forView (double viewWidth, double viewHeight)
{
	DesignFit fit;
	fit.scale = std::min (viewWidth / kDesignWidth, viewHeight / kDesignHeight);
	fit.offsetX = (viewWidth - kDesignWidth * fit.scale) / 2.0;
	fit.offsetY = (viewHeight - kDesignHeight * fit.scale) / 2.0;
	return fit;
}

DesignPoint DesignFit::toDesign (double viewX, double viewY) const
{
	if (scale <= 0.0)
		return {-1.0, -1.0};
	return {(viewX - offsetX) / scale, (viewY - offsetY) / scale};
}

DesignRect DesignFit::toView (const DesignRect& d) const
{
	return {d.left * scale + offsetX, d.top * scale + offsetY, d.right * scale + offsetX,
	        d.bottom * scale + offsetY};
}

DesignRect hitRect (HitArea area)
{
	for (const auto& row : kAreas)
		if (row.area == area)
			return row.rect;
	return {};
}

HitArea hitArea (DesignPoint p)
{
	const auto* row = std::find_if (std::begin (kAreas), std::end (kAreas),
	                                [&] (const AreaRow& r) { return r.rect.contains (p); });
	return row == std::end (kAreas) ? HitArea::none : row->area;
}

} // namespace cadora
