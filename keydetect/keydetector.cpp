#include "keydetect/keydetector.h"

#include "keydetect/keymodel.h"
#include "keydetect/keyvote.h"
#include "keydetect/steadyclock.h"

#include <algorithm>
#include <atomic>

namespace cadora {
namespace {

constexpr size_t kMinPendingSamples = 4096;
constexpr int32_t kMinSampleRate = 8000;
constexpr double kSilenceMeanSquare = 1e-5;
constexpr int64_t kRestartSilenceNs = 800 * kNanosPerMilli;
constexpr int64_t kKeyStepNs = 450 * kNanosPerMilli;
constexpr uint64_t kWorkspaceSeconds = 40;

} // namespace

KeyDetector::KeyDetector () = default;

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
	s.votedKey = kNoKey;
	s.tempoState.clear ();
}

void KeyDetector::clear ()
{
	s.workspace.reset ();
	s.keyFinder.reset ();
	s.pendingSamples.clear ();
	s.keyHistory.clear ();
	s.tempoState.tempoHistory.clear ();
}

DetectionResult KeyDetector::detectionPass (const MonoRing& ring, int32_t sampleRate, int64_t nowNs,
                                            bool forgetFirst)
{
	DetectionResult found;
	if (forgetFirst)
		forgetEverything (found);
	takeNewSamples (ring);
	if (s.pendingSamples.size () < kMinPendingSamples || sampleRate < kMinSampleRate)
		return found;
	if (newestQuarterSecondIsSilent (sampleRate))
	{
		onSilence (nowNs, found);
		return found;
	}
	onSound (nowNs, found);
	if (s.lastKeyTime == 0 || nowNs - s.lastKeyTime >= kKeyStepNs)
	{
		s.lastKeyTime = nowNs;
		keyStep (sampleRate, found);
	}
	stepTempo (sampleRate, nowNs, found);
	return found;
}

// The editor's re-detect request: everything but the read position and the silence flag.
void KeyDetector::forgetEverything (DetectionResult& found)
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
	s.votedKey = kNoKey;
	found.tempoBpm = 0;
	found.key = kNoKey;
}

void KeyDetector::takeNewSamples (const MonoRing& ring)
{
	if (ring.empty ())
		return;
	const size_t ringLength = ring.size ();
	const uint64_t written = ring.written ();
	const uint64_t oldestKept = written > ringLength ? written - ringLength : 0;
	const uint64_t first = std::max (s.ringReadPos, oldestKept);
	const size_t before = s.pendingSamples.size ();
	for (uint64_t n = first; n < written; ++n)
		s.pendingSamples.push_back (ring.at (n));
	s.ringReadPos = written;
	// A pass that ran a whole ring behind the audio thread may have copied slots that were
	// overwritten meanwhile: those samples are not the ones their numbers say, so drop them.
	const uint64_t intact = ring.firstIntact ();
	if (intact > first)
	{
		const auto lost = static_cast<std::ptrdiff_t> (std::min (intact, written) - first);
		const auto start = s.pendingSamples.begin () + static_cast<std::ptrdiff_t> (before);
		s.pendingSamples.erase (start, start + lost);
	}

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

void KeyDetector::onSilence (int64_t nowNs, DetectionResult& found)
{
	if (!s.silent)
	{
		s.silent = true;
		s.silenceSince = nowNs;
	}
	found.musicPresent = false;
	found.tempoBpm = tempoDuringSilence (s.tempoState, nowNs);
}

// Music after a silence of at least 0.8 s is new music: the analysis starts afresh on it,
// while the published tempo stays.
void KeyDetector::onSound (int64_t nowNs, DetectionResult& found)
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
			s.votedKey = kNoKey;
			found.key = kNoKey;
		}
	}
	found.musicPresent = true;
}

void KeyDetector::keyStep (int32_t sampleRate, DetectionResult& found)
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

	KeyReading reading;
	if (s.workspace->chromagram ().hops () >= 1)
	{
		reading = s.keyFinder->readKey (*s.workspace);
		if (reading.key != kSilenceKey)
		{
			s.keyHistory.push_back (reading.key);
			if (s.keyHistory.size () > kKeyHistoryLength)
				s.keyHistory.erase (s.keyHistory.begin ());
		}
	}
	s.votedKey = voteOnKeys (s.keyHistory, s.votedKey, reading.resolutions);
	found.key = s.votedKey;
}

void KeyDetector::stepTempo (int32_t sampleRate, int64_t nowNs, DetectionResult& found)
{
	// The tempo step leaves its out value alone when the tempo it published still holds.
	constexpr int32_t kUnchanged = -1;
	std::atomic<int32_t> tempo {kUnchanged};
	tempoStep (s.tempoState, s.pendingSamples.data (), s.pendingSamples.size (), sampleRate, nowNs, tempo);
	if (tempo.load (std::memory_order_relaxed) != kUnchanged)
		found.tempoBpm = tempo.load (std::memory_order_relaxed);
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
