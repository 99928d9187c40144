// Everything the dashboard remembers and decides, without drawing: the refresh tick and
// what it invalidates, the spectrum bars, the song card's rules (song change, tempo
// latch, which key and logo to show) and the mouse. The view (CadoraDashboard) feeds it
// events and paints what it holds; the model reaches the plug-in only through the
// callbacks and the source, so tests drive it without a window.
#pragma once

#include "editor/dashboardsource.h"
#include "editor/designspace.h"
#include "editor/spectrumbars.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cadora {

struct ViewPoint
{
	double x = 0.0;
	double y = 0.0;
};

enum class CursorChange
{
	none,
	hand,
	normal,
};

struct MouseOutcome
{
	bool handled = false;
	bool redraw = false; // the whole view changed
	CursorChange cursor = CursorChange::none;
	bool showPlayerMenu = false; // pop the player menu up at the pointer
};

// What the song card shows in one drawing.
struct SongCard
{
	SongInfo song;
	int32_t logo = 0;  // LogoIndex
	std::string key;   // key name or waiting text
	std::string tempo; // "128 BPM" or "测速中"
};

class DashboardModel
{
public:
	static constexpr int64_t kDoubleClickNs = 350'000'000;
	static constexpr int kStatusEveryTicks = 5; // status block every 350 ms

	DashboardModel (const DashboardCallbacks& callbacks, DashboardSource& source);

	// One 70 ms refresh: the design rectangles to repaint (the spectrum always; the dial
	// when it shows an old value; the link status and the first slider when they
	// changed; the status block every fifth tick).
	std::vector<DesignRect> tick ();

	// Called by every drawing, in this order.
	StatusReading readStatus () { return source.status (); }
	void advanceBars (const StatusReading& status) { bars.advance (status.bandLevels); }
	SongCard songCard (StatusReading& status);

	// Mouse, in view coordinates of a view of the given size.
	MouseOutcome press (ViewPoint point, double viewWidth, double viewHeight, bool leftOnly);
	MouseOutcome move (ViewPoint point, double viewWidth, double viewHeight, bool leftOnly);
	MouseOutcome release ();
	MouseOutcome exit ();

	// The player menu: the entry to check, and what a closed menu returned (-1: none).
	int32_t playerMenuCurrent () const;
	void playerMenuClosed (int32_t result);

	// Shown values (read by the view, set by tests).
	SpectrumBars bars;
	double hardnessShown = 0.5;
	double muteShown = 0.0;
	int32_t bpmShown = 0;
	int32_t pitchShown = 0;
	int32_t pitchPainted = 0;     // pitchShown when the dial was last painted
	int32_t pitchButtonHover = 0; // -1 minus, +1 plus
	int32_t sliderHover = 0;      // 1 first, 2 second
	bool logoHover = false;
	bool linkHover = false;
	bool linkShown = false;
	bool hardnessDragLock = false;

	// Gesture state.
	int32_t dragSlider = 0;
	bool resizing = false;
	ViewPoint resizeStartPoint;
	double resizeStartWidth = 0.0;
	int32_t lastResizeWidth = 0;
	int64_t lastDialClick = 0;

private:
	// True when the song changed (not for the title that only seeds).
	bool applySongRules (const SongInfo& song);
	void setSliderFromPoint (double designX);
	MouseOutcome pressArea (HitArea area, ViewPoint point, DesignPoint p, double viewWidth);

	DashboardCallbacks callbacks;
	DashboardSource& source;
	char lastTitle[sizeof (SongInfo::title)] = {};
	bool titleSeeded = false;
	int tickCount = 0;
};

} // namespace cadora
