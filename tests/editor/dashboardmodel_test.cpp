// The dashboard's decisions without a window: the refresh tick, the song-change and seed
// rules, the tempo latch, and the mouse (sliders, dial, buttons, grip, hover, menu).
#include "editor/dashboardmodel.h"
#include "fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cadora {
namespace {

using test::FakeSource;
using test::RecordingCallbacks;
using Log = std::vector<std::string>;

constexpr int64_t kMs = 1'000'000;

struct DashboardModelTest : ::testing::Test
{
	FakeSource source;
	RecordingCallbacks params;
	std::unique_ptr<DashboardModel> model;

	DashboardModel& make ()
	{
		model = std::make_unique<DashboardModel> (params.make (), source);
		return *model;
	}
	// A press, in design units, on a view of the design size.
	MouseOutcome pressAt (double x, double y, bool leftOnly = true)
	{
		return model->press ({x, y}, 500, 535, leftOnly);
	}
	SongCard drawCard ()
	{
		StatusReading status = source.status ();
		return model->songCard (status);
	}
};

TEST_F (DashboardModelTest, StartsFromTheControllersValues)
{
	params.pitch = 3;
	params.muteStrength = 1.7;
	make ();
	EXPECT_EQ (3, model->pitchShown);
	EXPECT_EQ (1.0, model->muteShown) << "clamped";
	EXPECT_EQ (0.5, model->hardnessShown);
}

TEST_F (DashboardModelTest, TickInvalidatesOnlyWhatChanges)
{
	make ();
	auto areas = [] (const std::vector<DesignRect>& rects) {
		std::vector<double> tops;
		for (const auto& r : rects)
			tops.push_back (r.top);
		return tops;
	};
	// The spectrum (top 64) every tick.
	EXPECT_EQ ((std::vector<double> {64}), areas (model->tick ()));
	source.reading.linkConnected = true;
	EXPECT_EQ ((std::vector<double> {64, 8}), areas (model->tick ())) << "link status on change";
	source.reading.linkedHardness = 0.8;
	EXPECT_EQ ((std::vector<double> {64, 408}), areas (model->tick ())) << "first slider on change";
	EXPECT_EQ (0.8, model->hardnessShown);
	// A song change during a drawing of the status block reset the pitch: the dial
	// (top 247) shows an old value until it is painted again.
	model->pitchShown = 0;
	model->pitchPainted = 3;
	EXPECT_EQ ((std::vector<double> {64, 247}), areas (model->tick ()));
	// The fifth tick repaints the status block (every 350 ms).
	EXPECT_EQ ((std::vector<double> {64, 247, 17}), areas (model->tick ()));
	model->pitchPainted = 0;
	EXPECT_EQ ((std::vector<double> {64}), areas (model->tick ()));
}

TEST_F (DashboardModelTest, HardnessReadBackRules)
{
	make ();
	const struct
	{
		const char* label;
		double readBack;
		bool dragging;
		double shown;
	} steps[] = {
	    {"never read", -1.0, false, 0.5},
	    {"a change of less than 0.002 is ignored", 0.5019, false, 0.5},
	    {"a larger change is taken", 0.7, false, 0.7},
	    {"not while the slider is dragged", 0.2, true, 0.7},
	    {"taken again after the drag", 0.2, false, 0.2},
	};
	for (const auto& s : steps)
	{
		source.reading.linkedHardness = s.readBack;
		model->hardnessDragLock = s.dragging;
		model->tick ();
		EXPECT_DOUBLE_EQ (s.shown, model->hardnessShown) << s.label;
	}
}

TEST_F (DashboardModelTest, PeaksSinkPerTickBarsMovePerDrawing)
{
	make ();
	source.reading.bandLevels[4] = 0.5f;
	model->advanceBars (source.status ());
	const double peak = model->bars.peak[4];
	model->tick ();
	EXPECT_NEAR (peak - 0.035, model->bars.peak[4], 1e-12);
}

// Opening the window must not reset the user's settings: the start-up record says
// nothing, the first real title only seeds, every later change is a song change.
TEST_F (DashboardModelTest, FirstTitleSeedsLaterTitlesChangeTheSong)
{
	params.pitch = 2;
	params.muteStrength = 0.6;
	make ();
	source.reading.detectedKey = 20;
	source.reading.tempoBpm = 0;

	const struct
	{
		const char* label;
		const char* title; // null: the detector's start-up record
		bool reset;
	} steps[] = {
	    {"start-up record", nullptr, false},       {"first pass, no player", "暂无歌曲名称", false},
	    {"the same again", "暂无歌曲名称", false}, {"a song starts", "晴天", true},
	    {"the same song", "晴天", false},          {"the next song", "七里香", true},
	};
	for (const auto& s : steps)
	{
		params.log.clear ();
		params.pitch = 2;
		params.muteStrength = 0.6;
		model->pitchShown = 2;
		model->muteShown = 0.6;
		model->bpmShown = 99;
		source.redetects = 0;
		source.reading.detectedKey = 20;
		if (s.title)
			source.setSong (s.title);
		else
			source.songInfo = initialSongInfo ();
		const SongCard card = drawCard ();
		if (s.reset)
		{
			EXPECT_EQ ((Log {"pitch 0", "mute 0.000"}), params.log) << s.label;
			EXPECT_EQ (1, source.redetects) << s.label;
			EXPECT_EQ (0, model->pitchShown) << s.label;
			EXPECT_EQ (0.0, model->muteShown) << s.label;
			EXPECT_EQ ("测速中", card.tempo) << s.label;
			EXPECT_EQ ("等待播放", card.key) << "the key is forgotten at once: " << s.label;
		}
		else
		{
			EXPECT_TRUE (params.log.empty ()) << s.label;
			EXPECT_EQ (0, source.redetects) << s.label;
			EXPECT_EQ (2, model->pitchShown) << s.label;
			EXPECT_EQ ("99 BPM", card.tempo) << s.label;
		}
	}
}

TEST_F (DashboardModelTest, ANewDetectorAfterReopeningOnlySeeds)
{
	make ();
	source.setSong ("晴天");
	drawCard ();
	// The window closes and opens again: a new model, a new detector starting over.
	make ();
	source.songInfo = initialSongInfo ();
	drawCard ();
	source.setSong ("晴天");
	params.log.clear ();
	drawCard ();
	EXPECT_TRUE (params.log.empty ());
	EXPECT_EQ (0, source.redetects);
}

TEST_F (DashboardModelTest, TempoLatchAndKeyMovedByPitch)
{
	make ();
	source.setSong ("晴天");
	source.reading.detectedKey = 20;
	source.reading.musicPresent = true;
	EXPECT_EQ ("测速中", drawCard ().tempo);
	source.reading.tempoBpm = 120;
	EXPECT_EQ ("120 BPM", drawCard ().tempo);
	source.reading.tempoBpm = 0;
	EXPECT_EQ ("120 BPM", drawCard ().tempo) << "the last tempo stays";
	params.pitch = 2;
	EXPECT_EQ ("A 大调", drawCard ().key) << "G major played 2 semitones up";
	source.reading.linkConnected = true;
	source.reading.linkedKey = 22;
	EXPECT_EQ ("Ab 大调", drawCard ().key) << "the auto-tune's own setting";
}

TEST_F (DashboardModelTest, OnlyALeftPressActs)
{
	make ();
	EXPECT_FALSE (pressAt (380, 323, false).handled);
	EXPECT_TRUE (params.log.empty ());
	EXPECT_FALSE (pressAt (500, 520).handled) << "outside every area";
	EXPECT_FALSE (pressAt (30, 440).handled) << "left of the first slider";
}

TEST_F (DashboardModelTest, FirstSliderSetsAndSendsAgainOnRelease)
{
	make ();
	const struct
	{
		double x;
		const char* sent;
	} cases[] = {{40, "hardness 0.000"}, {250, "hardness 0.500"}, {460, "hardness 1.000"}};
	for (const auto& c : cases)
	{
		params.log.clear ();
		const MouseOutcome out = pressAt (c.x, 437);
		EXPECT_TRUE (out.handled && out.redraw);
		EXPECT_TRUE (model->hardnessDragLock);
		model->release ();
		EXPECT_EQ ((Log {c.sent, c.sent}), params.log) << c.x;
		EXPECT_FALSE (model->hardnessDragLock);
	}
}

TEST_F (DashboardModelTest, SecondSliderDragsAndSendsNothingOnRelease)
{
	make ();
	pressAt (146.5, 478);
	EXPECT_TRUE (model->move ({250, 300}, 500, 535, true).handled) << "the drag follows x anywhere";
	model->release ();
	EXPECT_EQ ((Log {"mute 0.250", "mute 0.500"}), params.log);
	EXPECT_EQ (0.5, model->muteShown);
	EXPECT_FALSE (model->move ({250, 478}, 500, 535, true).handled) << "released: hover only";
}

TEST_F (DashboardModelTest, DialDoubleClickResetsWithin350ms)
{
	const struct
	{
		int64_t gap;
		bool reset;
	} cases[] = {{300 * kMs, true}, {349 * kMs, true}, {350 * kMs, false}, {400 * kMs, false}};
	for (const auto& c : cases)
	{
		params.pitch = 3;
		make ();
		pressAt (250, 318);
		source.now += c.gap;
		const MouseOutcome out = pressAt (250, 318);
		EXPECT_TRUE (out.redraw) << "invalidated either way";
		EXPECT_EQ (c.reset ? Log {"pitch 0"} : Log {}, params.log) << c.gap;
		EXPECT_EQ (c.reset ? 0 : 3, model->pitchShown) << c.gap;
		params.log.clear ();
		source.now += 10'000 * kMs;
	}
}

TEST_F (DashboardModelTest, PitchButtonsStepAndStopAtTheEnds)
{
	params.pitch = 4;
	make ();
	pressAt (380, 320); // plus
	pressAt (380, 320); // plus at +5: stays, still sent
	EXPECT_EQ ((Log {"pitch 5", "pitch 5"}), params.log);
	params.log.clear ();
	model->pitchShown = -5;
	pressAt (120, 320); // minus at -5
	EXPECT_EQ ((Log {"pitch -5"}), params.log);
}

TEST_F (DashboardModelTest, GripDragRequestsSizesOnce)
{
	make ();
	// A 600-wide view, the grip pressed and moved 700 units to the left.
	DesignFit fit = DesignFit::forView (600, 642);
	ViewPoint grip {470 * fit.scale, 500 * fit.scale};
	EXPECT_TRUE (model->press (grip, 600, 642, true).handled);
	model->move ({grip.x - 700, grip.y}, 600, 642, true);
	model->release ();
	EXPECT_EQ ((Log {"size 500x535"}), params.log);

	params.log.clear ();
	fit = DesignFit::forView (990, 1059);
	grip = {470 * fit.scale, 500 * fit.scale};
	model->press (grip, 990, 1059, true);
	model->move ({grip.x + 30, grip.y + 40}, 990, 1059, true);
	model->move ({grip.x + 60, grip.y}, 990, 1059, true);
	model->release ();
	EXPECT_EQ ((Log {"size 1000x1070"}), params.log) << "further movement sends nothing more";

	params.log.clear ();
	model->move ({grip.x + 80, grip.y}, 990, 1059, true);
	EXPECT_TRUE (params.log.empty ()) << "released";
}

TEST_F (DashboardModelTest, HoverSelectsHandCursorAndRedrawsOnChange)
{
	make ();
	const struct
	{
		double x, y;
		CursorChange cursor;
		bool redraw;
		int32_t button;
		bool logo;
	} moves[] = {
	    {420, 30, CursorChange::hand, true, 0, false},  // link status: hand, nothing to click
	    {420, 31, CursorChange::hand, false, 0, false}, // same state: no redraw
	    {50, 30, CursorChange::hand, true, 0, true},    // monogram
	    {380, 320, CursorChange::hand, true, 1, false}, // plus button
	    {250, 150, CursorChange::normal, true, 0, false},
	    {250, 440, CursorChange::hand, true, 0, false}, // slider
	};
	for (const auto& m : moves)
	{
		const MouseOutcome out = model->move ({m.x, m.y}, 500, 535, false);
		EXPECT_FALSE (out.handled);
		EXPECT_EQ (m.cursor, out.cursor) << m.x << "," << m.y;
		EXPECT_EQ (m.redraw, out.redraw) << m.x << "," << m.y;
		EXPECT_EQ (m.button, model->pitchButtonHover);
		EXPECT_EQ (m.logo, model->logoHover);
	}
	const MouseOutcome out = model->exit ();
	EXPECT_TRUE (out.redraw);
	EXPECT_EQ (0, model->sliderHover);
	EXPECT_FALSE (model->exit ().redraw) << "nothing left to clear";
}

TEST_F (DashboardModelTest, MonogramOpensTheMakersPageLinkDoesNothing)
{
	make ();
	EXPECT_TRUE (pressAt (50, 30).handled);
	EXPECT_EQ ((std::vector<std::string> {"https://solvane.com"}), source.opened);
	EXPECT_TRUE (pressAt (420, 30).handled);
	EXPECT_EQ (1u, source.opened.size ());
	EXPECT_TRUE (params.log.empty ());
}

TEST_F (DashboardModelTest, PlayerMenuChoiceAndDismissal)
{
	make ();
	const MouseOutcome out = pressAt (60, 190);
	EXPECT_TRUE (out.handled && out.showPlayerMenu);
	params.playerSource = 7;
	EXPECT_EQ (5, model->playerMenuCurrent ()) << "clamped to the menu";
	model->playerMenuClosed (3);
	EXPECT_EQ ((Log {"player 3"}), params.log);
	params.log.clear ();
	model->playerMenuClosed (-1);
	model->playerMenuClosed (6);
	EXPECT_TRUE (params.log.empty ()) << "dismissed: nothing changes";
}

} // namespace
} // namespace cadora
