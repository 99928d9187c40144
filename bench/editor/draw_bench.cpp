// Cost of drawing the dashboard offscreen at the smallest and largest editor size: a
// full drawing (what a resize or a click repaints) and the repaint of one 70 ms refresh
// tick (only the regions it invalidates); and the share of the view a tick invalidates.
#include "editor/dashboard.h"
#include "editor/offscreenrender.h"
#include "editor/pluginsource.h"
#include "plugin/editorsize.h"
#include "plugin/sharedstatus.h"

#include "vstgui/lib/coffscreencontext.h"
#include "vstgui/lib/vstguiinit.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

using namespace cadora;
using namespace VSTGUI;

// Music-like status: a key, a tempo, a link and moving band levels.
void fillStatus (int frame)
{
	SharedStatus& s = sharedStatus ();
	s.detectedKey = 20;
	s.linkedKey = 0;
	s.linkConnected = true;
	s.tempoBpm = 120;
	s.musicPresent = true;
	for (int i = 0; i < SharedStatus::kBands; ++i)
		s.bandLevels[i] = float (0.3 + 0.25 * std::sin (0.7 * i + 0.9 * frame));
}

struct Rig
{
	SharedPointer<CadoraDashboard> view;
	SharedPointer<COffscreenContext> context;

	explicit Rig (int width)
	{
		const EditorSize size = editorSizeForWidth (width);
		view =
		    makeOwned<CadoraDashboard> (CRect (0, 0, size.width, size.height), fixedParameters (2, 0.4, 2),
		                                std::make_unique<PluginDashboardSource> (sharedStatus (), nullptr));
		context = COffscreenContext::create (CPoint (size.width, size.height));
	}
	void draw (const CRect& area)
	{
		context->beginDraw ();
		context->setClipRect (area);
		view->drawRect (context, area);
		context->endDraw ();
	}
};

void fullDraw (benchmark::State& state)
{
	Rig rig (static_cast<int> (state.range (0)));
	const CRect all = rig.view->getViewSize ();
	rig.draw (all); // fonts load at the first drawing
	int frame = 0;
	for (auto _ : state)
	{
		fillStatus (++frame);
		rig.draw (all);
	}
}
BENCHMARK (fullDraw)->Arg (500)->Arg (1000)->Unit (benchmark::kMillisecond);

// Design-unit area covered by the union of rectangles (one cell per design unit).
double unionArea (const std::vector<DesignRect>& rects)
{
	std::vector<bool> cell (500 * 535, false);
	for (const auto& r : rects)
		for (int y = int (r.top); y < int (r.bottom); ++y)
			for (int x = int (r.left); x < int (r.right); ++x)
				cell[size_t (y) * 500 + x] = true;
	double n = 0;
	for (bool c : cell)
		n += c;
	return n;
}

// One refresh tick and the repaint of what it invalidated, as the host would ask for it.
void tickRepaint (benchmark::State& state)
{
	Rig rig (static_cast<int> (state.range (0)));
	const CRect all = rig.view->getViewSize ();
	const DesignFit fit = DesignFit::forView (all.getWidth (), all.getHeight ());
	rig.draw (all);
	double invalidated = 0;
	int ticks = 0, frame = 0;
	for (auto _ : state)
	{
		fillStatus (++frame);
		const std::vector<DesignRect> dirty = rig.view->model ().tick ();
		state.PauseTiming ();
		invalidated += unionArea (dirty);
		++ticks;
		state.ResumeTiming ();
		for (const DesignRect& d : dirty)
		{
			const DesignRect v = fit.toView (d);
			rig.draw (
			    CRect (std::floor (v.left), std::floor (v.top), std::ceil (v.right), std::ceil (v.bottom)));
		}
	}
	state.counters["view_share_pct"] = 100.0 * invalidated / ticks / (500.0 * 535.0);
}
BENCHMARK (tickRepaint)->Arg (500)->Arg (1000)->Unit (benchmark::kMillisecond);

} // namespace

int main (int argc, char** argv)
{
	VSTGUI::init (nullptr);
	benchmark::Initialize (&argc, argv);
	benchmark::RunSpecifiedBenchmarks ();
	benchmark::Shutdown ();
	VSTGUI::exit ();
	return 0;
}
