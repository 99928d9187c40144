// The key detection pass of the worker thread: takes the new mono samples from the
// processor's ring, skips silence, feeds the key estimator at most every 450 ms, decides
// the key by a weighted vote over the last ten results, and estimates the tempo. Each pass
// returns what it found; publishing it is up to the caller (the worker).
#pragma once

#include "keydetect/keyestimator.h"
#include "keydetect/monoring.h"
#include "keydetect/tempoestimator.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace cadora {

// What one detection pass found. A field without a value keeps what was published before.
struct DetectionResult
{
	std::optional<int32_t> key;      // 0..23, kNoKey = no key
	std::optional<int32_t> tempoBpm; // 0 = no tempo
	std::optional<bool> musicPresent;
};

// The worker runs a pass only once the ring has received this many samples.
constexpr uint64_t kMinWrittenForPass = 4096;

// Key detector state, used by the worker alone while it runs.
struct KeyDetectorState
{
	uint64_t ringReadPos = 0;                // sample number of the next sample to take
	std::vector<float> pendingSamples;       // the newest samples, oldest first, at most a ring
	std::unique_ptr<KeyEstimator> keyFinder; // created at the first key step
	std::unique_ptr<ChromaWorkspace> workspace;
	uint64_t fedUpTo = 0;            // leading pendingSamples already fed
	uint64_t samplesFed = 0;         // samples given to the current workspace
	std::vector<int32_t> keyHistory; // the last (at most 10) key results, oldest first
	int64_t lastKeyTime = 0;         // steady-clock ns of the last key step; 0 = none
	bool silent = false;             // the last pass found silence
	int64_t silenceSince = 0;        // when the current silence began
	int32_t votedKey = -1;           // the key of the last vote, kNoKey = none
	TempoState tempoState;
};

class KeyDetector
{
public:
	KeyDetector ();
	~KeyDetector ();
	KeyDetector (const KeyDetector&) = delete;
	KeyDetector& operator= (const KeyDetector&) = delete;

	// Activation: every field back to its initial value (no key, no tempo), room for one
	// ring of pending samples.
	void reset (size_t ringLength);
	// Deactivation: destroys the estimator objects and empties the arrays.
	void clear ();

	// One detection pass at time nowNs over the samples written to `ring` since the last
	// one; `forgetFirst` (the editor's re-detect request) starts the analysis afresh before
	// it. Throws what the estimator throws (KeyEstimationError for a non-finite sample) or
	// std::bad_alloc.
	DetectionResult detectionPass (const MonoRing& ring, int32_t sampleRate, int64_t nowNs, bool forgetFirst);

	const KeyDetectorState& state () const { return s; }

private:
	KeyDetectorState s;

	void forgetEverything (DetectionResult& found);
	void takeNewSamples (const MonoRing& ring);
	bool newestQuarterSecondIsSilent (int32_t sampleRate) const;
	void onSilence (int64_t nowNs, DetectionResult& found);
	void onSound (int64_t nowNs, DetectionResult& found);
	void keyStep (int32_t sampleRate, DetectionResult& found);
	void stepTempo (int32_t sampleRate, int64_t nowNs, DetectionResult& found);
	void feedNewSamples (int32_t sampleRate);
};

} // namespace cadora
