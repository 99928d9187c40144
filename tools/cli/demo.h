// The built-in demo: a short stereo clip in a known key, synthesised in memory.
#pragma once

#include "tools/cli/wavfile.h"

namespace cadora::cli {

struct DemoClip
{
	Audio audio;
	const char* keyName;  // the key the clip is written in
	int keyIndex;         // its key index (0 = A major, ...)
	int tempoBpm;
};

// 12 s at 44.1 kHz in G major, 120 BPM: pad chords left and right, bass, a centred
// lead melody and a kick drum.
DemoClip makeDemoClip ();

// Runs the demo and prints what it did; returns the process exit code.
int runDemo ();

} // namespace cadora::cli
