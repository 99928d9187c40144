// The fault guard: hardware faults inside a guarded call become a false result, on any
// thread, over and over, while the process stays healthy; other faults are not taken.
#include "platform/faultguard.h"

#include "pages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

using cadora::platform::guarded;
using cadora::platform::guardedCopy;
using namespace cadora::testing;

// Outside the anonymous namespace, and called through volatile pointers: the compiler
// must not know the dynamic type and skip the table look-up that is to fault.
struct Controller
{
	virtual ~Controller () = default;
	virtual int32_t parameterCount () { return 7; }
};

namespace {

// Faulting operations of the kinds the plug-in guards against, each on fresh memory.
// They are not instrumented by the sanitizers: the bad read or call is the point, and
// only the fault guard is to answer it.
#define CADORA_FAULTS_ON_PURPOSE __attribute__ ((no_sanitize ("address", "undefined", "thread")))
CADORA_FAULTS_ON_PURPOSE int32_t readReleasedPage ()
{
	return *static_cast<volatile int32_t*> (releasedPage ());
}

CADORA_FAULTS_ON_PURPOSE int32_t readNearNull ()
{
	// Through a volatile: a constant address would be read (and warned about) at compile time.
	volatile uintptr_t address = 0x10;
	return *reinterpret_cast<volatile int32_t*> (address);
}

// A virtual call on an object whose memory went back to the system.
CADORA_FAULTS_ON_PURPOSE int32_t callReleasedObject ()
{
	void* page = allocatePage ();
	Controller* volatile object = new (page) Controller;
	releasePage (page);
	return object->parameterCount ();
}

// A virtual call on a live object whose table pointer leads into a released page.
CADORA_FAULTS_ON_PURPOSE int32_t callThroughDeadTable ()
{
	Controller object;
	void* deadTable = releasedPage ();
	std::memcpy (static_cast<void*> (&object), &deadTable, sizeof (deadTable));
	Controller* volatile pointer = &object;
	return pointer->parameterCount ();
}

// A virtual call on an object whose table pointer was wiped, as after a destructor
// cleared the memory. Unlike the cases above, it does not depend on which pages other
// threads are given meanwhile.
CADORA_FAULTS_ON_PURPOSE int32_t callThroughNullTable ()
{
	Controller object;
	std::memset (static_cast<void*> (&object), 0, sizeof (object));
	Controller* volatile pointer = &object;
	return pointer->parameterCount ();
}

// A virtual call whose table entry points at a released page (code that is gone).
CADORA_FAULTS_ON_PURPOSE int32_t callIntoReleasedCode ()
{
	Controller object;
	void* table[4];
	for (auto& entry : table)
		entry = releasedPage ();
	void* tablePointer = table;
	std::memcpy (static_cast<void*> (&object), &tablePointer, sizeof (tablePointer));
	Controller* volatile pointer = &object;
	return pointer->parameterCount ();
}

struct FaultCase
{
	const char* name;
	int32_t (*operation) ();
};

const FaultCase kFaultCases[] = {
    {"read of a released page", &readReleasedPage},
    {"read near address 0", &readNearNull},
    {"virtual call on a released object", &callReleasedObject},
    {"virtual call through a released table", &callThroughDeadTable},
    {"virtual call into released code", &callIntoReleasedCode},
    {"virtual call through a wiped table pointer", &callThroughNullTable},
};

bool runsClean (int32_t (*operation) ())
{
	volatile int32_t sink = 0;
	return guarded ([&] { sink = operation (); });
}

} // namespace

TEST (FaultGuard, EachKindOfFaultFailsTheCall)
{
	for (const auto& each : kFaultCases)
		EXPECT_FALSE (runsClean (each.operation)) << each.name;
}

TEST (FaultGuard, CallWithoutFaultSucceedsWithItsEffects)
{
	Controller controller;
	int32_t count = 0;
	EXPECT_TRUE (guarded ([&] { count = controller.parameterCount (); }));
	EXPECT_EQ (count, 7);
}

TEST (FaultGuard, EffectsBeforeTheFaultRemain)
{
	int steps = 0;
	EXPECT_FALSE (guarded ([&] {
		steps = 1;
		readReleasedPage ();
		steps = 2;
	}));
	EXPECT_EQ (steps, 1);
}

TEST (FaultGuard, ThousandFaultsInARowLeaveTheProcessHealthy)
{
	int failures = 0;
	for (int i = 0; i < 1000; ++i)
		failures += runsClean (kFaultCases[i % std::size (kFaultCases)].operation) ? 0 : 1;
	EXPECT_EQ (failures, 1000);

	// Still usable: memory, threads, guarded calls that succeed.
	std::vector<int> block (1 << 20, 3);
	EXPECT_EQ (block.back (), 3);
	bool threadRan = false;
	std::thread ([&] { threadRan = guarded ([] {}); }).join ();
	EXPECT_TRUE (threadRan);
	EXPECT_TRUE (guarded ([] {}));
}

TEST (FaultGuard, WorksOnOtherThreadsAtTheSameTime)
{
	constexpr int kThreads = 4;
	constexpr int kRounds = 200;
	std::atomic<int> faultsSeen {0};
	std::atomic<int> cleanSeen {0};
	std::vector<std::thread> threads;
	for (int t = 0; t < kThreads; ++t)
		threads.emplace_back ([&, t] {
			for (int i = 0; i < kRounds; ++i)
			{
				// Threads alternate faulting and clean calls so that a jump taken on the
				// wrong thread would show up as a wrong result. (A released page may be
				// handed to another thread at once, so the faults here are of the kind
				// that no other thread can make harmless.)
				if ((i + t) % 2 == 0)
					faultsSeen += runsClean (i % 4 < 2 ? &callThroughNullTable : &readNearNull) ? 0 : 1;
				else
					cleanSeen += guarded ([] {}) ? 1 : 0;
			}
		});
	for (auto& thread : threads)
		thread.join ();
	EXPECT_EQ (faultsSeen.load (), kThreads * kRounds / 2);
	EXPECT_EQ (cleanSeen.load (), kThreads * kRounds / 2);
}

TEST (FaultGuard, NestedGuardsReportToTheInnermostCall)
{
	bool inner = true;
	bool afterInner = false;
	const bool outer = guarded ([&] {
		inner = runsClean (&readReleasedPage);
		afterInner = true;
	});
	EXPECT_FALSE (inner);
	EXPECT_TRUE (afterInner);
	EXPECT_TRUE (outer);

	// A fault in the outer call after a clean inner one belongs to the outer call.
	bool innerClean = false;
	EXPECT_FALSE (guarded ([&] {
		innerClean = guarded ([] {});
		readReleasedPage ();
	}));
	EXPECT_TRUE (innerClean);
}

TEST (FaultGuard, CopyReadsLiveMemoryAndRefusesReleasedMemory)
{
	const char text[] = "cadora";
	char copy[sizeof (text)] = {};
	EXPECT_TRUE (guardedCopy (copy, text, sizeof (text)));
	EXPECT_STREQ (copy, "cadora");

	char buffer[16];
	EXPECT_FALSE (guardedCopy (buffer, releasedPage (), sizeof (buffer)));

	// A copy that runs from a live page into one that cannot be read fails too.
	auto* page = static_cast<char*> (pageBeforeAHole ());
	EXPECT_FALSE (guardedCopy (buffer, page + pageSize () - 8, sizeof (buffer)));
	EXPECT_TRUE (guardedCopy (buffer, page + pageSize () - 16, 16));
	releasePage (page);
}

TEST (FaultGuardDeath, FaultOutsideAGuardStillEndsTheProcess)
{
	GTEST_FLAG_SET (death_test_style, "threadsafe");
	guarded ([] {}); // the guard is installed
	EXPECT_DEATH (readReleasedPage (), "");
}
