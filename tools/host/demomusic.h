// A short stereo clip in a known key and tempo, synthesised in memory: pad chords left
// and right, bass, a centred lead melody and a kick drum. Used by the demo and the tests.
#pragma once

#include <cstddef>
#include <vector>

namespace cadora {

struct DemoClip
{
	int sampleRate = 44100;
	std::vector<float> interleaved; // stereo
	const char* keyName;            // the key the clip is written in
	int keyIndex;                   // its key index (0 = A major, ...)
	int tempoBpm;
	double seconds;
	size_t frames () const { return interleaved.size () / 2; }
};

// `seconds` of music at 44.1 kHz in G major, 120 BPM (I-V-vi-IV).
DemoClip makeDemoClip (double seconds = 12.0);

} // namespace cadora
