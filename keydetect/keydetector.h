// The key detection pass of the worker thread: takes the new mono samples from the
// processor's ring, skips silence, feeds the key estimator at most every 450 ms, decides
// the published key by a weighted vote over the last ten results, and estimates the tempo.
// It reads and writes the shared status record it was made with.
#pragma once

#include "keydetect/keyestimator.h"
#include "keydetect/tempoestimator.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace cadora {

struct SharedStatus;

// The worker runs a pass only once the ring has received this many samples.
constexpr uint64_t kMinWrittenForPass = 4096;

// Key detector state, used by the worker alone while it runs.
struct KeyDetectorState
{
	uint64_t ringReadPos = 0;                 // sample number of the next sample to take
	std::vector<float> pendingSamples;        // the newest samples, oldest first, at most a ring
	std::unique_ptr<KeyEstimator> keyFinder;  // created at the first key step
	std::unique_ptr<ChromaWorkspace> workspace;
	uint64_t fedUpTo = 0;                     // leading pendingSamples already fed
	uint64_t samplesFed = 0;                  // samples given to the current workspace
	std::vector<int32_t> keyHistory;          // the last (at most 10) key results, oldest first
	int64_t lastKeyTime = 0;                  // steady-clock ns of the last key step; 0 = none
	bool silent = false;                      // the last pass found silence
	int64_t silenceSince = 0;                 // when the current silence began
	TempoState tempoState;
};

class KeyDetector
{
public:
	explicit KeyDetector (SharedStatus& status);
	~KeyDetector ();
	KeyDetector (const KeyDetector&) = delete;
	KeyDetector& operator= (const KeyDetector&) = delete;

	// Activation: every field back to its initial value, room for one ring of pending
	// samples; publishes no key (-1) and no tempo (0).
	void reset (size_t ringLength);
	// Deactivation: destroys the estimator objects and empties the arrays.
	void clear ();

	// One detection pass at time nowNs over the ring of `ringLength` samples, of which
	// `monoWritten` (loaded with acquire ordering) were ever written. Throws what the
	// estimator throws (KeyEstimationError for a non-finite sample) or std::bad_alloc.
	void detectionPass (const float* monoRing, size_t ringLength, uint64_t monoWritten, int32_t sampleRate,
	                    int64_t nowNs);

	const KeyDetectorState& state () const { return s; }

private:
	SharedStatus& status;
	KeyDetectorState s;

	void forgetEverything ();
	void takeNewSamples (const float* monoRing, size_t ringLength, uint64_t monoWritten);
	bool newestQuarterSecondIsSilent (int32_t sampleRate) const;
	void onSilence (int64_t nowNs);
	void onSound (int64_t nowNs);
	void keyStep (int32_t sampleRate);
	void feedNewSamples (int32_t sampleRate);
};

} // namespace cadora
