#include "keydetect/keydetector.h"

#include "keydetect/keymodel.h"
#include "keydetect/keyvote.h"
#include "keydetect/steadyclock.h"
#include "plugin/sharedstatus.h"

#include <algorithm>

namespace cadora {
namespace {

constexpr size_t kMinPendingSamples = 4096;
constexpr int32_t kMinSampleRate = 8000;
constexpr double kSilenceMeanSquare = 1e-5;
constexpr int64_t kRestartSilenceNs = 800 * kNanosPerMilli;
constexpr int64_t kKeyStepNs = 450 * kNanosPerMilli;
constexpr uint64_t kWorkspaceSeconds = 40;

} // namespace

KeyDetector::KeyDetector (SharedStatus& sharedStatus) : status (sharedStatus) {}

KeyDetector::~KeyDetector () = default;

void KeyDetector::reset (size_t ringLength)
{
	clear ();
	s.ringReadPos = 0;
	s.pendingSamples.reserve (ringLength);
	s.fedUpTo = 0;
	s.samplesFed = 0;
	s.lastKeyTime = 0;
	s.silent = false;
	s.silenceSince = 0;
	s.tempoState.clear ();
	status.tempoBpm.store (0, std::memory_order_relaxed);
	status.detectedKey.store (kNoKey, std::memory_order_relaxed);
}

void KeyDetector::clear ()
{
	s.workspace.reset ();
	s.keyFinder.reset ();
	s.pendingSamples.clear ();
	s.keyHistory.clear ();
	s.tempoState.tempoHistory.clear ();
}

void KeyDetector::detectionPass (const float* monoRing, size_t ringLength, uint64_t monoWritten,
                                 int32_t sampleRate, int64_t nowNs)
{
	if (status.redetectRequested.exchange (false))
		forgetEverything ();
	takeNewSamples (monoRing, ringLength, monoWritten);
	if (s.pendingSamples.size () < kMinPendingSamples || sampleRate < kMinSampleRate)
		return;
	if (newestQuarterSecondIsSilent (sampleRate))
	{
		onSilence (nowNs);
		return;
	}
	onSound (nowNs);
	if (s.lastKeyTime == 0 || nowNs - s.lastKeyTime >= kKeyStepNs)
	{
		s.lastKeyTime = nowNs;
		keyStep (sampleRate);
	}
	tempoStep (s.tempoState, s.pendingSamples.data (), s.pendingSamples.size (), sampleRate, nowNs,
	           status.tempoBpm);
}

// The editor's re-detect request: everything but the read position and the silence flag.
void KeyDetector::forgetEverything ()
{
	s.workspace.reset ();
	s.keyFinder.reset ();
	s.keyHistory.clear ();
	s.pendingSamples.clear ();
	s.fedUpTo = 0;
	s.samplesFed = 0;
	s.tempoState.clear ();
	s.lastKeyTime = 0;
	s.silenceSince = 0;
	status.tempoBpm.store (0, std::memory_order_relaxed);
	status.detectedKey.store (kNoKey, std::memory_order_relaxed);
}

void KeyDetector::takeNewSamples (const float* monoRing, size_t ringLength, uint64_t monoWritten)
{
	if (ringLength == 0 || monoRing == nullptr)
		return;
	const uint64_t length = ringLength;
	const uint64_t oldestKept = monoWritten > length ? monoWritten - length : 0;
	for (uint64_t n = std::max (s.ringReadPos, oldestKept); n < monoWritten; ++n)
		s.pendingSamples.push_back (monoRing[n % length]);
	s.ringReadPos = monoWritten;

	if (s.pendingSamples.size () > ringLength)
	{
		const size_t excess = s.pendingSamples.size () - ringLength;
		const auto oldest = s.pendingSamples.begin ();
		s.pendingSamples.erase (oldest, oldest + static_cast<std::ptrdiff_t> (excess));
		s.fedUpTo = s.fedUpTo > excess ? s.fedUpTo - excess : 0;
	}
}

bool KeyDetector::newestQuarterSecondIsSilent (int32_t sampleRate) const
{
	const size_t count = std::min (s.pendingSamples.size (), static_cast<size_t> (sampleRate / 4));
	const float* newest = s.pendingSamples.data () + s.pendingSamples.size () - count;
	double sum = 0.0;
	for (size_t i = 0; i < count; ++i)
		sum += static_cast<double> (newest[i]) * newest[i];
	return sum / static_cast<double> (count) < kSilenceMeanSquare;
}

void KeyDetector::onSilence (int64_t nowNs)
{
	if (!s.silent)
	{
		s.silent = true;
		s.silenceSince = nowNs;
	}
	status.musicPresent.store (false, std::memory_order_relaxed);
	status.tempoBpm.store (tempoDuringSilence (s.tempoState, nowNs), std::memory_order_relaxed);
}

// Music after a silence of at least 0.8 s is new music: the analysis starts afresh on it,
// while the published tempo stays.
void KeyDetector::onSound (int64_t nowNs)
{
	if (s.silent)
	{
		s.silent = false;
		if (nowNs - s.silenceSince >= kRestartSilenceNs)
		{
			s.workspace.reset ();
			s.keyFinder.reset ();
			s.keyHistory.clear ();
			s.tempoState.tempoHistory.clear ();
			s.fedUpTo = s.pendingSamples.size ();
			s.samplesFed = 0;
			s.tempoState.lastRawTempo = 0.0f;
			s.tempoState.tempoCount = 0;
			status.detectedKey.store (kNoKey, std::memory_order_relaxed);
		}
	}
	status.musicPresent.store (true, std::memory_order_relaxed);
}

void KeyDetector::keyStep (int32_t sampleRate)
{
	if (!s.keyFinder)
		s.keyFinder = std::make_unique<KeyEstimator> ();
	if (s.samplesFed > kWorkspaceSeconds * static_cast<uint64_t> (sampleRate))
	{
		s.workspace.reset ();
		s.samplesFed = 0;
	}
	if (!s.workspace)
		s.workspace = std::make_unique<ChromaWorkspace> ();
	feedNewSamples (sampleRate);

	if (s.workspace->chromagram ().hops () >= 1)
	{
		const int32_t k = s.keyFinder->keyOfChromagram (*s.workspace);
		if (k != kSilenceKey)
		{
			s.keyHistory.push_back (k);
			if (s.keyHistory.size () > kKeyHistoryLength)
				s.keyHistory.erase (s.keyHistory.begin ());
		}
	}
	const int32_t published = status.detectedKey.load (std::memory_order_relaxed);
	status.detectedKey.store (voteOnKeys (s.keyHistory, published), std::memory_order_relaxed);
}

void KeyDetector::feedNewSamples (int32_t sampleRate)
{
	const size_t pending = s.pendingSamples.size ();
	const size_t first = static_cast<size_t> (std::min<uint64_t> (s.fedUpTo, pending));
	const size_t n = pending - first;
	if (n == 0)
		return;
	MonoBuffer audio (static_cast<uint32_t> (sampleRate), n);
	for (size_t i = 0; i < n; ++i)
		audio.setSample (i, s.pendingSamples[first + i]);
	s.keyFinder->appendToChromagram (audio, *s.workspace);
	s.fedUpTo = pending;
	s.samplesFed += n;
}

} // namespace cadora
