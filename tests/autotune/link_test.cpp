#include "autotune/autotunelink.h"
#include "fakeprocess.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <gtest/gtest.h>

#include <cmath>

namespace cadora {
namespace {

using test::FakeProcess;
using test::FixtureController;

constexpr int64_t kMs = 1'000'000;

class Link : public ::testing::Test
{
protected:
	ManualClock clock;
	FakeProcess process;
	AutoTuneLink link {clock, process};

	void TearDown () override { FixtureController::faultOnWrite () = false; }

	void tickAfter (int64_t ns)
	{
		clock.advance (ns);
		link.tick ();
	}
	double valueOf (FixtureController* c, uint32_t id) { return c->getParamNormalized (id); }
};

TEST_F (Link, FirstTickFindsTheLiveControllerNotTheThrowAway)
{
	FixtureController* live = process.placeController (4096);
	link.tick ();
	EXPECT_TRUE (link.isConnected ());
	EXPECT_EQ (live, link.linkedController ());
	EXPECT_EQ (0, link.linkedRow ());
	EXPECT_EQ (1, process.factory.created);
	process.destroyController (live);
}

TEST_F (Link, LowerAddressWinsAndTheOtherTakesOverWhenItGoes)
{
	FixtureController* high = process.placeController (32768);
	FixtureController* low = process.placeController (1024);
	link.tick ();
	EXPECT_EQ (low, link.linkedController ());
	process.destroyController (low);
	tickAfter (3000 * kMs);
	EXPECT_TRUE (link.isConnected ());
	EXPECT_EQ (high, link.linkedController ());
	process.destroyController (high);
}

TEST_F (Link, DecoyWithTheWordButNoParametersIsPassedOver)
{
	FixtureController* live = process.placeController (8192);
	// A copy of the interface-table word at a lower address, over zeroed memory.
	std::memcpy (process.arena + 512, static_cast<void*> (live), sizeof (uintptr_t));
	link.tick ();
	EXPECT_EQ (live, link.linkedController ());
	process.destroyController (live);
}

TEST_F (Link, FactoryWithoutMatchingControllerClassGivesNoLink)
{
	FixtureController* live = process.placeController (4096);
	process.factory.className = "Something Else";
	process.factory.vendor = "another maker";
	link.tick ();
	EXPECT_FALSE (link.isConnected ());
	EXPECT_EQ (0, process.factory.created);

	process.factory.category = kVstAudioEffectClass;
	process.factory.className = "AutoTunePro";
	tickAfter (5000 * kMs);
	EXPECT_FALSE (link.isConnected ());
	process.destroyController (live);
}

TEST_F (Link, VendorAloneCanCarryTheToken)
{
	FixtureController* live = process.placeController (4096);
	process.factory.className = "Main Controller";
	process.factory.vendor = "Auto-Tune Pro Maker";
	link.tick ();
	EXPECT_EQ (live, link.linkedController ());
	process.destroyController (live);
}

TEST_F (Link, NothingLoadedSearchesEveryFiveSecondsOrOnModuleChange)
{
	process.moduleList.pop_back ();
	link.tick ();
	EXPECT_EQ (0, process.factoryRequests);
	const int afterFirst = process.snapshots;
	tickAfter (100 * kMs);
	EXPECT_EQ (afterFirst, process.snapshots); // fingerprint checked at most every 0.3 s
	tickAfter (250 * kMs);
	EXPECT_EQ (afterFirst + 1, process.snapshots); // fingerprint only: nothing changed

	FixtureController* live = process.placeController (4096);
	process.moduleList.push_back ({"Auto-Tune Pro.so", "/x/autotunepro.so", 0x9000000, 0x1000});
	tickAfter (300 * kMs);
	EXPECT_TRUE (link.isConnected ());
	process.destroyController (live);
}

TEST_F (Link, ForcedSearchEveryFiveSecondsWithoutModuleChange)
{
	link.tick ();
	EXPECT_FALSE (link.isConnected ());
	FixtureController* live = process.placeController (4096);
	for (int i = 0; i < 15; ++i)
	{
		tickAfter (300 * kMs);
		EXPECT_FALSE (link.isConnected ()) << i;
	}
	tickAfter (600 * kMs);
	EXPECT_TRUE (link.isConnected ());
	process.destroyController (live);
}

TEST_F (Link, PendingValuesWaitForAConnectionAndAreThenWritten)
{
	process.moduleList.pop_back ();
	link.setHardness (1.7);
	link.setKey (7, true);
	link.tick ();
	EXPECT_FALSE (link.isConnected ());
	FixtureController* live = process.placeController (4096);
	process.moduleList.push_back ({"Auto-Tune Pro.so", "/x/autotunepro.so", 0x9000000, 0x1000});
	tickAfter (300 * kMs);
	ASSERT_TRUE (link.isConnected ());
	EXPECT_EQ (1.0, valueOf (live, 4));
	EXPECT_DOUBLE_EQ (7.0 / 11, valueOf (live, 2));
	EXPECT_DOUBLE_EQ (1.0 / 28, valueOf (live, 1));
	int32_t root = -1;
	bool minor = false;
	ASSERT_TRUE (link.readKey (root, minor));
	EXPECT_EQ (7, root);
	EXPECT_TRUE (minor);
	process.destroyController (live);
}

TEST_F (Link, HardnessAndKeyEdgeCases)
{
	link.setHardness (-0.3);
	EXPECT_EQ (0.0, link.pendingHardnessValue ());
	link.setHardness (std::nan (""));
	EXPECT_EQ (0.0, link.pendingHardnessValue ());
	link.setKey (4, false);
	link.setKey (12, true);
	link.setKey (-1, true);
	EXPECT_EQ (4, link.pendingRootValue ());
}

TEST_F (Link, KeyWritesAreSpacedByAHundredMilliseconds)
{
	FixtureController* live = process.placeController (4096);
	link.setKey (2, false);
	link.tick ();
	EXPECT_DOUBLE_EQ (2.0 / 11, valueOf (live, 2));
	link.setKey (5, false);
	tickAfter (50 * kMs);
	link.setKey (9, true);
	tickAfter (40 * kMs);
	EXPECT_DOUBLE_EQ (2.0 / 11, valueOf (live, 2)); // 90 ms after the write: still waiting
	tickAfter (10 * kMs);
	EXPECT_DOUBLE_EQ (9.0 / 11, valueOf (live, 2));
	EXPECT_DOUBLE_EQ (1.0 / 28, valueOf (live, 1));
	process.destroyController (live);
}

TEST_F (Link, HardnessReadBackIsThrottled)
{
	FixtureController* live = process.placeController (4096);
	link.setHardness (0.25);
	link.tick ();
	double value = -1;
	ASSERT_TRUE (link.readHardness (value));
	EXPECT_EQ (0.25, value);
	live->EditController::setParamNormalized (4, 0.75);
	clock.advance (99 * kMs);
	EXPECT_FALSE (link.readHardness (value));
	clock.advance (1 * kMs);
	ASSERT_TRUE (link.readHardness (value));
	EXPECT_EQ (0.75, value);
	process.destroyController (live);
}

TEST_F (Link, FaultInsideAWriteDropsTheLinkAndTheValue)
{
	FixtureController* live = process.placeController (4096);
	link.tick ();
	ASSERT_TRUE (link.isConnected ());
	FixtureController::faultOnWrite () = true;
	link.setHardness (0.9);
	link.setKey (3, false);
	tickAfter (150 * kMs);
	EXPECT_FALSE (link.isConnected ());
	EXPECT_EQ (-1.0, link.pendingHardnessValue ()); // taken and dropped
	EXPECT_EQ (3, link.pendingRootValue ());        // the key step never ran
	FixtureController::faultOnWrite () = false;
	tickAfter (5000 * kMs); // ordinary schedule: forced search
	EXPECT_TRUE (link.isConnected ());
	EXPECT_DOUBLE_EQ (3.0 / 11, valueOf (live, 2));
	EXPECT_NE (0.9, valueOf (live, 4));
	process.destroyController (live);
}

TEST_F (Link, ControllerThatStopsAnsweringStaysConnectedUntilRevalidation)
{
	FixtureController* live = process.placeController (4096);
	link.tick ();
	tickAfter (150 * kMs); // the first tick after connecting revalidates at once
	process.destroyController (live);
	link.setKey (1, false);
	tickAfter (150 * kMs);
	EXPECT_TRUE (link.isConnected ());
	int32_t root = 0;
	bool minor = false;
	EXPECT_FALSE (link.readKey (root, minor));
	tickAfter (3000 * kMs);
	EXPECT_FALSE (link.isConnected ());
	EXPECT_EQ (1, link.pendingRootValue ());
}

TEST_F (Link, FingerprintFollowsTheModuleList)
{
	const uint64_t before = link.moduleFingerprint ();
	process.moduleList[0].size += 1;
	EXPECT_NE (before, link.moduleFingerprint ());
	process.snapshotWorks = false;
	EXPECT_EQ (0u, link.moduleFingerprint ());
	process.snapshotWorks = true;
	process.moduleList.clear ();
	EXPECT_EQ (0x14650FB0739D0383ULL, link.moduleFingerprint ());
}

} // namespace
} // namespace cadora
