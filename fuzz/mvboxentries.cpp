// Fuzzes the parser of MVBox's song cache entries with arbitrary memory: it must never
// read outside the buffer, and every entry it finds has a title.
#include "platform/desktop.h"
#include "players/mvboxentries.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
	// GBK, MVBox's code page on a Chinese system, through the platform's own decoder.
	const cadora::MvboxTextDecoding gbk {936, &cadora::platform::decodeCodePage};
	std::vector<cadora::MvboxEntry> entries;
	const bool marked = cadora::parseMvboxEntries (data, size, gbk, entries);
	if (!marked && !entries.empty ())
		std::abort ();
	for (const auto& entry : entries)
	{
		if (entry.title.empty ())
			std::abort ();
	}
	return 0;
}
