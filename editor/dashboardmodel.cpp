#include "editor/dashboardmodel.h"

#include "editor/controlgeometry.h"
#include "editor/statustext.h"
#include "plugin/editorsize.h"
#include "plugin/ids.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace cadora {

namespace {

constexpr DesignRect kSpectrumArea {25, 64, 475, 146};
constexpr DesignRect kDialArea {179, 247, 321, 389};
constexpr DesignRect kLinkArea {380, 8, 480, 48};
constexpr DesignRect kFirstSliderArea {20, 408, 480, 468};
constexpr DesignRect kStatusBlock {25, 17, 480, 218}; // header, spectrum and song card

constexpr double kHardnessEpsilon = 0.002;

double unit (double v)
{
	return std::isnan (v) ? 0.0 : std::clamp (v, 0.0, 1.0);
}

// The record of a detector that has not finished a pass: it says nothing about the song.
bool isStartupRecord (const SongInfo& song)
{
	static const SongInfo startup = initialSongInfo ();
	return std::memcmp (&song, &startup, sizeof (SongInfo)) == 0;
}

} // namespace

DashboardModel::DashboardModel (const DashboardCallbacks& callbacks, DashboardSource& source)
: callbacks (callbacks), source (source)
{
	muteShown = unit (callbacks.readMuteStrength ());
	pitchShown = callbacks.readPitch ();
}

std::vector<DesignRect> DashboardModel::tick ()
{
	bars.decayPeaks ();
	std::vector<DesignRect> dirty {kSpectrumArea};
	// The dial changes through the mouse, which repaints everything, and through a song
	// change during some other drawing: repaint it only when it shows an old value.
	if (pitchShown != pitchPainted)
		dirty.push_back (kDialArea);
	const StatusReading status = source.status ();
	if (status.linkConnected != linkShown)
	{
		linkShown = status.linkConnected;
		dirty.push_back (kLinkArea);
	}
	if (!hardnessDragLock)
	{
		const double v = status.linkedHardness;
		if (v >= 0.0 && std::abs (hardnessShown - v) > kHardnessEpsilon)
		{
			hardnessShown = v;
			dirty.push_back (kFirstSliderArea);
		}
	}
	if (++tickCount >= kStatusEveryTicks)
	{
		tickCount = 0;
		dirty.push_back (kStatusBlock);
	}
	return dirty;
}

// The first real title only seeds lastTitle: opening the window (or a new detector)
// must not count as a song change, which would reset Pitch and Mute Strength and
// restart key detection in the middle of a song. The detector's start-up record is no
// title at all.
bool DashboardModel::applySongRules (const SongInfo& song)
{
	if (isStartupRecord (song))
		return false;
	if (std::memcmp (song.title, lastTitle, sizeof (lastTitle)) == 0)
		return false;
	std::memcpy (lastTitle, song.title, sizeof (lastTitle));
	if (!titleSeeded)
	{
		titleSeeded = true;
		return false;
	}
	bpmShown = 0;
	pitchShown = 0;
	muteShown = 0.0;
	callbacks.editPitch (0);
	callbacks.editMuteStrength (0.0);
	source.requestRedetect ();
	return true;
}

SongCard DashboardModel::songCard (StatusReading& status)
{
	SongCard card;
	source.song (card.song);
	card.logo = logoIndexFor (callbacks.readPlayerSource (), card.song.playerId);
	if (applySongRules (card.song))
		status.detectedKey = -1;
	if (status.tempoBpm > 0)
		bpmShown = status.tempoBpm;
	const int32_t key =
	    shownKeyIndex (status.detectedKey, status.linkedKey, status.linkConnected, callbacks.readPitch ());
	card.key = keyText (key, status.musicPresent);
	card.tempo = tempoText (bpmShown);
	return card;
}

void DashboardModel::setSliderFromPoint (double designX)
{
	const double v = sliderValueAt (designX);
	if (dragSlider == 1)
	{
		hardnessShown = v;
		callbacks.editHardness (v);
	}
	else
	{
		muteShown = v;
		callbacks.editMuteStrength (v);
	}
}

MouseOutcome DashboardModel::pressArea (HitArea area, ViewPoint point, DesignPoint p, double viewWidth)
{
	MouseOutcome out;
	out.handled = true;
	switch (area)
	{
		case HitArea::resizeGrip:
			resizing = true;
			resizeStartPoint = point;
			resizeStartWidth = viewWidth;
			break;
		case HitArea::monogram: source.openWebPage (kVendorUrl); break;
		case HitArea::linkStatus: break;
		case HitArea::playerLogo: out.showPlayerMenu = true; break;
		case HitArea::pitchDial:
		{
			const int64_t now = source.nowNs ();
			if (now - lastDialClick < kDoubleClickNs)
			{
				pitchShown = 0;
				callbacks.editPitch (0);
			}
			lastDialClick = now;
			out.redraw = true;
			break;
		}
		case HitArea::minusButton:
		case HitArea::plusButton:
			pitchShown = std::clamp (pitchShown + (area == HitArea::plusButton ? 1 : -1), -5, 5);
			callbacks.editPitch (pitchShown);
			out.redraw = true;
			break;
		case HitArea::firstSlider:
		case HitArea::secondSlider:
			dragSlider = area == HitArea::firstSlider ? 1 : 2;
			if (dragSlider == 1)
				hardnessDragLock = true;
			setSliderFromPoint (p.x);
			out.redraw = true;
			break;
		case HitArea::none: out.handled = false; break;
	}
	return out;
}

MouseOutcome DashboardModel::press (ViewPoint point, double viewWidth, double viewHeight, bool leftOnly)
{
	if (!leftOnly)
		return {};
	const DesignPoint p = DesignFit::forView (viewWidth, viewHeight).toDesign (point.x, point.y);
	return pressArea (hitArea (p), point, p, viewWidth);
}

MouseOutcome DashboardModel::move (ViewPoint point, double viewWidth, double viewHeight, bool leftOnly)
{
	MouseOutcome out;
	if (resizing && leftOnly)
	{
		const int32_t w = resizeWidthFor (resizeStartWidth, resizeStartPoint.x, point.x);
		if (w != lastResizeWidth)
		{
			lastResizeWidth = w;
			const EditorSize size = editorSizeForWidth (w);
			callbacks.requestSize (size.width, size.height);
		}
		out.handled = true;
		return out;
	}
	const DesignPoint p = DesignFit::forView (viewWidth, viewHeight).toDesign (point.x, point.y);
	if (dragSlider != 0 && leftOnly)
	{
		setSliderFromPoint (p.x);
		out.handled = out.redraw = true;
		return out;
	}
	const HitArea area = hitArea (p);
	const int32_t button = area == HitArea::minusButton ? -1 : area == HitArea::plusButton ? 1 : 0;
	const bool logo = area == HitArea::monogram;
	const bool link = area == HitArea::linkStatus;
	const int32_t slider = area == HitArea::firstSlider ? 1 : area == HitArea::secondSlider ? 2 : 0;
	if (button != pitchButtonHover || logo != logoHover || link != linkHover || slider != sliderHover)
	{
		pitchButtonHover = button;
		logoHover = logo;
		linkHover = link;
		sliderHover = slider;
		out.redraw = true;
	}
	out.cursor = (button || logo || link || slider) ? CursorChange::hand : CursorChange::normal;
	return out;
}

MouseOutcome DashboardModel::release ()
{
	resizing = false;
	lastResizeWidth = 0;
	if (dragSlider == 1)
	{
		callbacks.editHardness (hardnessShown);
		hardnessDragLock = false;
	}
	dragSlider = 0;
	MouseOutcome out;
	out.handled = true;
	return out;
}

MouseOutcome DashboardModel::exit ()
{
	MouseOutcome out;
	if (pitchButtonHover != 0 || logoHover || linkHover || sliderHover != 0)
	{
		pitchButtonHover = 0;
		logoHover = linkHover = false;
		sliderHover = 0;
		out.redraw = true;
	}
	out.cursor = CursorChange::normal;
	return out;
}

int32_t DashboardModel::playerMenuCurrent () const
{
	return std::clamp (callbacks.readPlayerSource (), 0, 5);
}

void DashboardModel::playerMenuClosed (int32_t result)
{
	if (result >= 0 && result <= 5)
		callbacks.editPlayerSource (result);
}

} // namespace cadora
