#include "keydetect/offlinefeed.h"

#include <algorithm>

namespace cadora {
namespace {

constexpr int64_t kCycleNs = 150 * kNanosPerMilli;
constexpr int32_t kRingSeconds = 8;

} // namespace

OfflineFeed::OfflineFeed (SharedStatus& status, int32_t rate, PassObserver observer)
: sampleRate (rate)
, afterPass (std::move (observer))
, detector (status)
, monoRing (static_cast<size_t> (kRingSeconds) * static_cast<size_t> (std::max (rate, 8000)), 0.0f)
, startNs (clock.nowNs ())
{
	detector.reset (monoRing.size ());
}

double OfflineFeed::secondsFed () const
{
	return static_cast<double> (monoWritten) / sampleRate;
}

void OfflineFeed::pushMono (const float* mono, size_t count)
{
	for (size_t done = 0; done < count; done += kBlockLength)
		pushBlock (mono + done, std::min (kBlockLength, count - done));
}

void OfflineFeed::pushBlock (const float* mono, size_t count)
{
	for (size_t i = 0; i < count; ++i)
		monoRing[(monoWritten + i) % monoRing.size ()] = mono[i];
	monoWritten += count;

	const int64_t audioNs = static_cast<int64_t> (monoWritten) * kNanosPerSecond / sampleRate;
	while (nextPassNs <= audioNs)
	{
		clock.set (startNs + nextPassNs);
		if (monoWritten >= kMinWrittenForPass)
		{
			detector.detectionPass (monoRing.data (), monoRing.size (), monoWritten, sampleRate, clock.nowNs ());
			if (afterPass)
				afterPass (static_cast<double> (nextPassNs) / kNanosPerSecond);
		}
		nextPassNs += kCycleNs;
	}
}

} // namespace cadora
