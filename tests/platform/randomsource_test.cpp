// The random source is really the system's: a library that falls back to a fixed-seed
// generator (as old MinGW runtimes did) answers the same number every time.
#include "platform/randomsource.h"

#include <gtest/gtest.h>

#include <set>

TEST (RandomSource, EveryBitVariesAndNumbersDoNotRepeat)
{
	uint32_t anySet = 0;
	uint32_t allSet = ~0u;
	std::set<uint32_t> seen;
	for (int i = 0; i < 64; ++i)
	{
		const uint32_t value = cadora::platform::osRandom ();
		anySet |= value;
		allSet &= value;
		seen.insert (value);
	}
	EXPECT_EQ (anySet, ~0u);
	EXPECT_EQ (allSet, 0u);
	EXPECT_GE (seen.size (), 63u);
}
