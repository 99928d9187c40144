// The link in a real process: the fixture module loaded as a host loads a plug-in, its
// controller live on the heap beside a decoy carrying the same interface-table word.
#include "autotune/autotunelink.h"
#include "fixturemodule.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace cadora {
namespace {

using Steinberg::Vst::IEditController;
constexpr int64_t kMs = 1'000'000;

class LinkInProcess : public ::testing::Test
{
protected:
	test::FixtureModule module;
	ManualClock clock;

	void SetUp () override { ASSERT_TRUE (module.loaded ()); }
	void TearDown () override { module.setFault (false); }
};

TEST_F (LinkInProcess, ConnectsWritesReadsBackAndSurvivesTheControllerGoing)
{
	IEditController* live = module.createController ();
	ASSERT_NE (nullptr, live);
	// A decoy: the live controller's first word over otherwise empty memory.
	auto decoy = std::make_unique<uintptr_t[]> (512);
	std::memcpy (decoy.get (), static_cast<void*> (live), sizeof (uintptr_t));

	AutoTuneLink link (clock);
	link.setHardness (0.8);
	link.setKey (7, true);
	link.tick ();
	ASSERT_TRUE (link.isConnected ());
	EXPECT_EQ (live, link.linkedController ());
	EXPECT_EQ (0, link.linkedRow ());
	EXPECT_DOUBLE_EQ (0.8, live->getParamNormalized (4));
	EXPECT_DOUBLE_EQ (7.0 / 11, live->getParamNormalized (2));
	EXPECT_DOUBLE_EQ (1.0 / 28, live->getParamNormalized (1));

	double hardness = -1;
	int32_t root = -1;
	bool minor = false;
	EXPECT_TRUE (link.readHardness (hardness));
	EXPECT_DOUBLE_EQ (0.8, hardness);
	EXPECT_TRUE (link.readKey (root, minor));
	EXPECT_EQ (7, root);
	EXPECT_TRUE (minor);

	test::FixtureModule::destroyController (live);
	clock.advance (3000 * kMs);
	link.tick ();
	EXPECT_FALSE (link.isConnected ());

	IEditController* second = module.createController ();
	clock.advance (5000 * kMs);
	link.tick ();
	EXPECT_TRUE (link.isConnected ());
	EXPECT_EQ (second, link.linkedController ());
	test::FixtureModule::destroyController (second);
}

TEST_F (LinkInProcess, FaultInTheAutoTuneResetsTheLinkOnly)
{
	IEditController* live = module.createController ();
	AutoTuneLink link (clock);
	link.tick ();
	ASSERT_TRUE (link.isConnected ());
	module.setFault (true);
	for (int i = 0; i < 3; ++i)
	{
		link.setHardness (0.1 * i);
		clock.advance (150 * kMs);
		link.tick ();
		EXPECT_FALSE (link.isConnected ());
		clock.advance (5000 * kMs);
		link.tick (); // found again, and the next write faults again
	}
	module.setFault (false);
	link.setHardness (0.6);
	clock.advance (150 * kMs);
	link.tick ();
	EXPECT_TRUE (link.isConnected ());
	EXPECT_DOUBLE_EQ (0.6, live->getParamNormalized (4));
	test::FixtureModule::destroyController (live);
}

} // namespace
} // namespace cadora
