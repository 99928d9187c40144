// Streaming low-pass filter and decimation by an integer factor, bringing the music down
// to a few kHz before the key analysis. Feeding a signal in pieces gives the same output
// as feeding it at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cadora {

class Decimator
{
public:
	// Chooses the largest factor that keeps the output at 4.2 kHz or more (1 for lower
	// input rates) and designs the filter; forgets any earlier signal.
	void configure (uint32_t inputRate);

	uint32_t factor () const { return step; }
	double outputRate () const { return rate; }

	// Filters x[0..count-1] and appends every `factor`-th output sample to `out`.
	void process (const double* x, size_t count, std::vector<double>& out);

private:
	std::vector<double> taps;    // symmetric FIR, odd length
	std::vector<double> history; // the last taps.size() - 1 input samples
	uint32_t step = 1;
	double rate = 0.0;
	uint32_t untilNextOutput = 0; // input samples to pass before the next output
};

} // namespace cadora
