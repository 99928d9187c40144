// CadoraDashboard: the one view of the editor window. It paints the fixed 500 x 535
// design fitted into its size, refreshes every 70 ms (only the regions that change),
// and turns the mouse into parameter edits through the editor's callbacks. What it
// remembers and decides lives in DashboardModel; what it reads comes from its
// DashboardSource; this class only paints and talks to VSTGUI.
#pragma once

#include "editor/dashboardmodel.h"
#include "editor/dashboardsource.h"
#include "editor/painter.h"
#include "editor/statustext.h"

#include "vstgui/lib/cbitmap.h"
#include "vstgui/lib/cview.h"
#include "vstgui/lib/cvstguitimer.h"

#include <array>
#include <memory>

namespace cadora {

class CadoraDashboard : public VSTGUI::CView
{
public:
	static constexpr uint32_t kRefreshMs = 70;

	CadoraDashboard (const VSTGUI::CRect& size, const DashboardCallbacks& callbacks,
	                 std::unique_ptr<DashboardSource> source);
	~CadoraDashboard () noexcept override;

	void draw (VSTGUI::CDrawContext* context) override;
	VSTGUI::CMouseEventResult onMouseDown (VSTGUI::CPoint& where,
	                                       const VSTGUI::CButtonState& buttons) override;
	VSTGUI::CMouseEventResult onMouseUp (VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
	VSTGUI::CMouseEventResult onMouseMoved (VSTGUI::CPoint& where,
	                                        const VSTGUI::CButtonState& buttons) override;
	VSTGUI::CMouseEventResult onMouseExited (VSTGUI::CPoint& where,
	                                         const VSTGUI::CButtonState& buttons) override;

	// The refresh timer's work (tests call it directly).
	void refreshTick ();
	DashboardModel& model () { return state; }
	bool hasLogo (int32_t index) const;

private:
	void paintSections (VSTGUI::CDrawContext& context, const VSTGUI::CRect& dirty);
	template <typename Handler>
	VSTGUI::CMouseEventResult pointerEvent (VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons,
	                                        Handler handler);
	void applyOutcome (const MouseOutcome& outcome, const VSTGUI::CPoint& where);
	void showPlayerMenu (const VSTGUI::CPoint& where);
	void invalidDesignRect (const DesignRect& r);
	void loadLogos ();
	VSTGUI::CBitmap* dialShadingFor (double scale);

	std::unique_ptr<DashboardSource> source;
	DashboardModel state;
	std::array<VSTGUI::SharedPointer<VSTGUI::CBitmap>, kLogoCount> playerLogos;
	VSTGUI::SharedPointer<VSTGUI::CVSTGUITimer> refreshTimer;
	VSTGUI::SharedPointer<VSTGUI::CBitmap> dialShadingImage; // for dialShadingScale
	double dialShadingScale = 0.0;
	FontCache fonts;
};

} // namespace cadora
