// Fuzzes cadora-cli's WAV decoding with arbitrary files: it must refuse what it cannot
// trust without reading outside the bytes, and what it accepts must be consistent.
#include "tools/cli/wavformat.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
	cadora::cli::Audio audio;
	std::string reason;
	if (cadora::cli::decodeWav (data, size, audio, reason))
	{
		// Every decoded sample came from the bytes given (a file cannot decode to more
		// samples than it has bytes), in whole frames.
		const size_t samples = audio.interleaved.size ();
		if (samples > size || audio.channels <= 0 || samples % audio.channels != 0)
			std::abort ();
	}
	else if (reason.empty ())
		std::abort ();
	return 0;
}
