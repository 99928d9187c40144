// The audio thread and a running worker thread side by side, as in a host: Hardness changes
// on every block while the worker takes them, and the mono ring wrapping many times while the
// worker copies from it. Meant to run under ThreadSanitizer too, where any unsynchronised
// access between the two threads is reported.
#include "plugin/ids.h"
#include "plugin/sharedstatus.h"
#include "testhost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

namespace cadora {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using Clock = std::chrono::steady_clock;

TEST (Concurrency, AudioThreadAndWorkerShareHardnessAndTheRing)
{
	sharedStatus ().resetAll ();
	// 8 kHz: the smallest ring, so that processing faster than real time wraps it again and again.
	test::ProcessorUnderTest p (8000.0, 512, test::WorkerKind::thread);
	ASSERT_EQ (kResultOk, p->setActive (true));
	test::Bus in (2, 512), out (2, 512);
	uint64_t sample = 0;
	int block = 0;
	// Until a detection pass has seen the music, then about four more worker cycles, so that
	// several cycles take Hardness and read the ring while this thread writes both.
	Clock::time_point musicSeen {};
	const auto deadline = Clock::now () + std::chrono::seconds (20);
	while (Clock::now () < deadline)
	{
		if (musicSeen == Clock::time_point {} && sharedStatus ().musicPresent.load ())
			musicSeen = Clock::now ();
		if (musicSeen != Clock::time_point {} && Clock::now () - musicSeen > std::chrono::milliseconds (600))
			break;
		for (int j = 0; j < 512; ++j, ++sample)
			in.channels[0][j] = in.channels[1][j] =
			    0.5f * static_cast<float> (std::sin (0.2 * static_cast<double> (sample)));
		auto changes = test::makeChanges ({{kParamHardness, {(block++ % 100) / 100.0}}});
		ASSERT_EQ (kResultOk, test::runBlock (*p.processor, in, out, 512, changes.get ()));
	}
	EXPECT_NE (Clock::time_point {}, musicSeen) << "the worker never ran a detection pass";
	ASSERT_EQ (kResultOk, p->setActive (false));
}

} // namespace
} // namespace cadora
