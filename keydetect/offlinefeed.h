// Runs key detection over recorded music the way the plug-in does, in simulated time:
// mono blocks of 512 samples into an 8-second ring, and a detection pass every 150 ms
// of audio once 4096 samples were written. For offline analysis and benchmarks.
#pragma once

#include "keydetect/keydetector.h"
#include "keydetect/steadyclock.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace cadora {

class OfflineFeed
{
public:
	// Called after every detection pass with the audio time of the pass in seconds.
	using PassObserver = std::function<void (double seconds)>;

	OfflineFeed (SharedStatus& status, int32_t sampleRate, PassObserver observer = {});

	// Appends mono samples (the mean of the channels), running the passes that fall due.
	void pushMono (const float* mono, size_t count);

	double secondsFed () const;
	const KeyDetector& keyDetector () const { return detector; }

private:
	static constexpr size_t kBlockLength = 512;

	int32_t sampleRate;
	PassObserver afterPass;
	ManualClock clock;
	KeyDetector detector;
	std::vector<float> monoRing;
	uint64_t monoWritten = 0;
	int64_t startNs;
	int64_t nextPassNs = 0;   // audio time of the next pass

	void pushBlock (const float* mono, size_t count);
};

} // namespace cadora
