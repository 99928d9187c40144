// The dashboard view without a window: the mouse as VSTGUI delivers it (button bits and
// modifiers), the player menu when there is no frame to show it in, and the logos.
#include "editor/dashboard.h"
#include "fakes.h"

#include <gtest/gtest.h>

namespace cadora {
namespace {

using namespace VSTGUI;
using test::FakeSource;
using test::RecordingCallbacks;
using Log = std::vector<std::string>;

struct DashboardViewTest : ::testing::Test
{
	RecordingCallbacks params;
	FakeSource* source = nullptr;
	SharedPointer<CadoraDashboard> view;

	void make (bool withLogos)
	{
		auto fake = std::make_unique<FakeSource> ();
		if (withLogos)
			fake->useModuleLogos ();
		source = fake.get ();
		view = makeOwned<CadoraDashboard> (CRect (0, 0, 500, 535), params.make (), std::move (fake));
	}
	CMouseEventResult down (double x, double y, int32_t buttons)
	{
		CPoint where (x, y);
		return view->onMouseDown (where, CButtonState (buttons));
	}
};

TEST_F (DashboardViewTest, ButtonBitsDecideModifiersDoNot)
{
	make (false);
	const struct
	{
		int32_t buttons;
		CMouseEventResult result;
		Log sent;
	} cases[] = {
	    {kLButton, kMouseEventHandled, {"pitch 1"}},
	    {kLButton | kShift, kMouseEventHandled, {"pitch 2"}},
	    {kLButton | kDoubleClick | kControl, kMouseEventHandled, {"pitch 3"}},
	    {kRButton, kMouseEventNotHandled, {}},
	    {kMButton, kMouseEventNotHandled, {}},
	    {kLButton | kRButton, kMouseEventNotHandled, {}},
	};
	for (const auto& c : cases)
	{
		params.log.clear ();
		EXPECT_EQ (c.result, down (380, 320, c.buttons)) << c.buttons;
		EXPECT_EQ (c.sent, params.log) << c.buttons;
	}
	CPoint where (380, 320);
	EXPECT_EQ (kMouseEventHandled, view->onMouseUp (where, CButtonState (kLButton)));
	EXPECT_EQ (kMouseEventNotHandled, view->onMouseExited (where, CButtonState ()));
}

TEST_F (DashboardViewTest, MenuWithoutAFrameIsDroppedQuietly)
{
	make (false);
	EXPECT_EQ (kMouseEventHandled, down (60, 190, kLButton));
	EXPECT_TRUE (params.log.empty ());
}

TEST_F (DashboardViewTest, LogosLoadedWhereBytesExist)
{
	make (true);
	for (int i = 0; i < kLogoCount; ++i)
		EXPECT_TRUE (view->hasLogo (i)) << i;
	make (false);
	for (int i = 0; i < kLogoCount; ++i)
		EXPECT_FALSE (view->hasLogo (i)) << i;
}

TEST_F (DashboardViewTest, ScaledViewMapsThePointer)
{
	make (false);
	view->setViewSize (CRect (0, 0, 1000, 1070));
	EXPECT_EQ (kMouseEventHandled, down (760, 640, kLButton)) << "plus at double size";
	EXPECT_EQ ((Log {"pitch 1"}), params.log);
}

} // namespace
} // namespace cadora
