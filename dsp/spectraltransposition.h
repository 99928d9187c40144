// Spectral transposition of one frame: moves every spectral peak to its transposed
// frequency, stretches the bins between peaks, and rebuilds phases from the neighbouring
// bins and the previous frame, keeping each channel's phase relation to the loudest one.
// A steady partial keeps the phase relations within its own stretch of bins; a transient (a bin
// whose energy has just risen) ties all neighbours together, so that a click stays a click.
// Each bin is carried from frame to frame at one partial's offset; what is heard also puts the
// lobes of close steady partials, which spill into each other's stretches, where each has moved.
#pragma once

#include "dsp/complexfloat.h"
#include "dsp/fractionalread.h"
#include "dsp/spectralpeaks.h"
#include "dsp/windowlobe.h"

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace cadora {

// One channel's state at one bin, carried from frame to frame.
struct BandState
{
	ComplexF input;     // this frame's analysed input
	ComplexF prevInput; // the previous frame's input (one interval earlier)
	ComplexF output;    // previous output, then the prediction, then this frame's output
	float inputEnergy;  // |input|^2
};

// One channel's target at one output bin.
struct BandPrediction
{
	float energy;   // energy the output bin should have
	ComplexF input; // input spectrum read at the bin's mapped position
};

struct SpectralPeak
{
	float inputBin;
	float outputBin;
	bool steady; // not part of a transient: the bins around it move with it rigidly
};

struct BinMapPoint
{
	float inputBin; // fractional input bin this output bin draws from
	float freqGrad; // slope of inputBin against the output bin (energy weight)
};

// What the transposer tells the spectral stage about the current frame.
struct FrameSettings
{
	bool newSpectrum;
	bool mapActive;
	float timeFactor;
	float transposeFactor;
	float tonalityLimit;
};

class SpectralTransposition
{
public:
	// Seeds the random source from the system's non-deterministic device.
	SpectralTransposition ();

	// Sizes the state for `channels` x fftSize/2 bins and zeroes the band states; `window` is the
	// analysis window (time origin at `origin`), whose sidelobes are not taken for peaks.
	void configure (int channels, std::size_t fftSize, std::size_t interval, const std::vector<float>& window,
	                std::size_t origin);
	// Zeroes input, prevInput, output and inputEnergy of every band state.
	void clearBandStates ();
	// Turns the band states' inputs into this frame's outputs.
	void process (const FrameSettings& frame);

	BandState* bandStates (int channel)
	{
		return states.data () + static_cast<std::size_t> (channel) * bands;
	}
	const BandState* bandStates (int channel) const
	{
		return states.data () + static_cast<std::size_t> (channel) * bands;
	}
	const BandPrediction* predictions (int channel) const
	{
		return prediction.data () + static_cast<std::size_t> (channel) * bands;
	}
	// This frame's output as it is to be heard: the band states' outputs, with the main lobes of
	// close steady partials put where each partial has moved (the states keep one offset per bin).
	const ComplexF* heard (int channel) const
	{
		return heardSpectrum.data () + static_cast<std::size_t> (channel) * bands;
	}
	const std::vector<SpectralPeak>& peaks () const { return peakList; }
	const std::vector<BinMapPoint>& binMap () const { return map; }

private:
	// Reads of a channel's input below an output bin's mapped position x, at x - d and x - L d.
	struct LowerReads
	{
		ComplexF one;
		ComplexF span;
	};
	// The input reads phase reconstruction compares an output bin's position with: below it, and
	// below the positions of its upper neighbours one and L bins up.
	struct NeighbourReads
	{
		ComplexF lowerOne, lowerSpan, upperOne, upperSpan;
	};

	void measureEnergies ();
	void smoothEnergies ();
	void detectTransients ();
	void findPeaks (const FrameSettings& frame);
	float peakPosition (std::size_t k, bool newSpectrum) const;
	void buildBinMap (bool mapActive);
	void mapBetweenPeaks (const SpectralPeak& p, const SpectralPeak& q, std::size_t index);
	void computeTimeRotation ();
	void predict (bool newSpectrum, float timeFactor);
	void reconstructPhases (float timeFactor);
	NeighbourReads drawNeighbourReads (std::size_t b, std::size_t leader, float t);
	void followLeader (std::size_t bin, std::size_t leader);
	ComplexF inputAt (const BandState* s, float x) const;
	void exchangeLobes (bool mapActive);
	void placeLobe (std::size_t i, std::size_t b, ComplexF moved, ComplexF held);
	bool estimatePartials ();
	void refineAmplitudes (std::size_t c);
	ComplexF lobeRead (float x, const WindowLobe::AtBins& partial) const;
	ComplexF tapsOver (const WindowLobe::AtBins& partial, std::ptrdiff_t first,
	                   const FractionalRead::Taps& taps) const;
	float drawOffset (float t);

	std::size_t channels = 0;
	std::size_t bands = 0;
	std::size_t fftSize = 0;
	std::size_t interval = 0;
	std::vector<BandState> states;          // channels x bands
	std::vector<BandPrediction> prediction; // channels x bands
	std::vector<float> energy;              // per bin, summed over channels
	std::vector<float> smoothedEnergy;
	std::vector<float> previousEnergy;  // per bin, summed over channels, one interval earlier
	std::vector<std::size_t> maxima;    // the frame's local maxima of energy, ascending
	std::vector<SpectralPeak> peakList; // capacity bands/2, reserved by configure
	std::vector<BinMapPoint> map;
	std::vector<ComplexF> rotation;      // per bin, one interval's turn relative to its input position
	std::vector<uint32_t> region;        // per output bin, the peak whose stretch of bins it is in
	std::vector<uint8_t> transient;      // per bin, frames it still counts as part of a transient
	std::vector<std::size_t> leaders;    // per bin, the channel whose prediction is loudest
	std::vector<LowerReads> lowerReads;  // channels x bands, when the neighbour distances are fixed
	std::size_t span = 0;                // L: bins whose phases turn by whole turns per interval
	uint8_t transientFrames = 0;         // frames the window takes to pass over a transient
	std::vector<ComplexF> heardSpectrum; // channels x bands
	std::vector<ComplexF> amplitude;     // channels x peaks: each steady partial's C in C W(k - f)
	std::vector<ComplexF> turn;          // channels x peaks: output over input at the partial's bin
	std::vector<uint8_t> modelled;       // per peak: steady, with a turn to place its lobe by
	SidelobeGuard sidelobes;
	WindowLobe lobe;
	FractionalRead reader;
	std::mt19937 random;
};

} // namespace cadora
