// The transposition engines compared by the benchmark, each behind the same streaming
// interface a plug-in would need: n stereo samples in, n out, every block.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace cadora::bench {

class StreamingEngine
{
public:
	virtual ~StreamingEngine () = default;
	// Reads n samples per channel and writes n (zeros where the engine has produced too little).
	virtual void process (const float* const* inputs, float* const* outputs, int n) = 0;
	// Blocks in which the engine had produced too little.
	virtual int underruns () const { return 0; }
	// Silence to put before the engine's output so that this run would have had no underrun.
	virtual std::size_t neededStartDelay () const { return 0; }
	// Latency the engine reports to its host, in samples; -1 when it reports none.
	virtual int reportedLatency () const { return -1; }
};

enum class EngineKind
{
	cadora,
	rubberBandR3,
	rubberBandR2,
	soundTouch
};

std::string engineName (EngineKind kind);
// startDelay: samples of silence output before the engine's own output (engines that deliver in
// chunks of their own need some to stream without gaps; ours needs none and ignores it).
std::unique_ptr<StreamingEngine> makeEngine (EngineKind kind, double sampleRate, int maxBlock, int semitones,
                                             std::size_t startDelay);

// Output of the engines that deliver in chunks of their own, handed out n at a time after
// `startDelay` samples of silence.
class OutputFifo
{
public:
	OutputFifo (std::size_t capacity, std::size_t startDelay);
	void push (const float* left, const float* right, std::size_t n);
	// Writes n samples, zero-padded on an underrun.
	void pop (float* left, float* right, std::size_t n);
	int underruns () const { return underrunCount; }
	// Largest shortfall of everything pushed against everything asked for, over all pops.
	std::size_t shortfall () const { return worstShortfall; }

private:
	std::vector<float> ring[2];
	std::size_t readPos = 0, writePos = 0, fill = 0;
	std::size_t pushed = 0, asked = 0, worstShortfall = 0;
	int underrunCount = 0;
};

} // namespace cadora::bench
