// Region walk: heap blocks and thread stacks are inside the regions it reports, read-only,
// released and module memory is not, every region reported can be read, and the visitor
// can stop the walk.
#include "platform/faultguard.h"
#include "platform/memoryregions.h"

#include "pages.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

using cadora::platform::MemoryRegion;
using cadora::platform::walkWritableRegions;
using namespace cadora::testing;

namespace {

std::vector<MemoryRegion> allRegions ()
{
	std::vector<MemoryRegion> regions;
	walkWritableRegions ([&] (const MemoryRegion& region) {
		regions.push_back (region);
		return true;
	});
	return regions;
}

bool covered (const std::vector<MemoryRegion>& regions, const void* address)
{
	const auto at = reinterpret_cast<uintptr_t> (address);
	for (const auto& region : regions)
		if (region.base <= at && at < region.base + region.size)
			return true;
	return false;
}

const int kConstantTable[64] = {1, 2, 3};

} // namespace

TEST (MemoryRegions, CoverHeapBlocksAndStacks)
{
	auto small = std::make_unique<int> (5);
	std::vector<char> large (8 << 20, 1); // big enough for a mapping of its own
	int onStack = 0;
	void* otherStack = nullptr;
	std::vector<MemoryRegion> regions;
	std::thread ([&] {
		int local = 0;
		otherStack = &local;
		regions = allRegions ();
	}).join ();
	EXPECT_TRUE (covered (regions, small.get ()));
	EXPECT_TRUE (covered (regions, large.data ()));
	EXPECT_TRUE (covered (regions, large.data () + large.size () - 1));
	EXPECT_TRUE (covered (regions, &onStack));
	EXPECT_TRUE (covered (regions, otherStack));
}

TEST (MemoryRegions, LeaveOutReadOnlyReleasedAndModuleMemory)
{
	void* readOnly = allocatePage ();
	makeReadOnly (readOnly);
	void* released = releasedPage ();
	const auto regions = allRegions ();
	EXPECT_FALSE (covered (regions, readOnly));
	EXPECT_FALSE (covered (regions, released));
	EXPECT_FALSE (covered (regions, reinterpret_cast<const void*> (&allRegions)));
	EXPECT_FALSE (covered (regions, kConstantTable));
	releasePage (readOnly);
}

TEST (MemoryRegions, AreOrderedDisjointAndReadable)
{
	const auto regions = allRegions ();
	ASSERT_FALSE (regions.empty ());
	for (size_t i = 0; i < regions.size (); ++i)
	{
		const auto& region = regions[i];
		EXPECT_GT (region.size, 0u);
		EXPECT_EQ (region.protection & (cadora::platform::kReadable | cadora::platform::kWritable),
		           unsigned (cadora::platform::kReadable | cadora::platform::kWritable));
		if (i > 0)
		{
			EXPECT_LE (regions[i - 1].base + regions[i - 1].size, region.base);
		}
		unsigned char first = 0, last = 0;
		EXPECT_TRUE (cadora::platform::guardedCopy (&first, reinterpret_cast<void*> (region.base), 1))
		    << std::hex << region.base;
		EXPECT_TRUE (
		    cadora::platform::guardedCopy (&last, reinterpret_cast<void*> (region.base + region.size - 1), 1))
		    << std::hex << region.base;
	}
}

// Faults with a marker value in a register: the registers are saved somewhere while the
// fault is handled.
void faultHoldingMarker (uintptr_t marker)
{
	cadora::platform::guarded ([marker] {
		asm volatile("mov %0, %%r12\n\tmovq $0x10, %%rax\n\tmovq (%%rax), %%rax"
		             :
		             : "r"(marker)
		             : "r12", "rax", "memory");
	});
}

// Where a searching thread's fault leaves copies of its registers (under Wine a region
// of its own beside the thread block), the walk must not lead: a search for an object
// by its first word would find stale copies of the words it compared.
TEST (MemoryRegions, LeaveOutTheRegisterCopiesOfTheCallersFaults)
{
	// Made at run time, so that the value is in no image.
	const uintptr_t marker = 0x5a5a000000000000ull ^ reinterpret_cast<uintptr_t> (&marker);
	faultHoldingMarker (marker);
	int onStack = 0;
	const auto stack = reinterpret_cast<uintptr_t> (&onStack);
	uintptr_t found = 0;
	walkWritableRegions ([&] (const MemoryRegion& region) {
		if (stack - region.base < region.size)
			return true; // the caller's own stack is the caller's business
		cadora::platform::guarded ([&] {
			const auto* words = reinterpret_cast<const volatile uintptr_t*> (region.base);
			for (size_t i = 0; i < region.size / sizeof (uintptr_t) && !found; ++i)
				if (words[i] == marker)
					found = region.base + i * sizeof (uintptr_t);
		});
		return found == 0;
	});
	EXPECT_EQ (found, 0u) << std::hex << found;
}

TEST (MemoryRegions, VisitorStopsTheWalk)
{
	int visits = 0;
	walkWritableRegions ([&] (const MemoryRegion&) { return ++visits < 2; });
	EXPECT_EQ (visits, 2);
}
