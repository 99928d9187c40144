// Spectral transposition of one frame: moves every spectral peak to its transposed
// frequency, stretches the bins between peaks, and rebuilds phases from the neighbouring
// bins and the previous frame, keeping each channel's phase relation to the loudest one.
#pragma once

#include "dsp/complexfloat.h"

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace cadora {

// One channel's state at one bin, carried from frame to frame.
struct BandState
{
	ComplexF input;       // this frame's analysed input
	ComplexF prevInput;   // the previous frame's input (one interval earlier)
	ComplexF output;      // previous output, then the prediction, then this frame's output
	float inputEnergy;    // |input|^2
};

// One channel's target at one output bin.
struct BandPrediction
{
	float energy;         // energy the output bin should have
	ComplexF input;       // input spectrum read at the bin's mapped position
};

struct SpectralPeak
{
	float inputBin;
	float outputBin;
};

struct BinMapPoint
{
	float inputBin;   // fractional input bin this output bin draws from
	float freqGrad;   // slope of inputBin against the output bin (energy weight)
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

	// Sizes the state for `channels` x fftSize/2 bins and zeroes the band states.
	void configure (int channels, std::size_t fftSize, std::size_t interval);
	// Zeroes input, prevInput, output and inputEnergy of every band state.
	void clearBandStates ();
	// Turns the band states' inputs into this frame's outputs.
	void process (const FrameSettings& frame);

	BandState* bandStates (int channel) { return states.data () + static_cast<std::size_t> (channel) * bands; }
	const BandState* bandStates (int channel) const { return states.data () + static_cast<std::size_t> (channel) * bands; }
	const BandPrediction* predictions (int channel) const { return prediction.data () + static_cast<std::size_t> (channel) * bands; }
	const std::vector<SpectralPeak>& peaks () const { return peakList; }
	const std::vector<BinMapPoint>& binMap () const { return map; }

private:
	void measureEnergies ();
	void smoothEnergies ();
	void findPeaks (const FrameSettings& frame);
	void buildBinMap (bool mapActive);
	void mapBetweenPeaks (const SpectralPeak& p, const SpectralPeak& q);
	void computeTimeRotation ();
	void predict (bool newSpectrum);
	void reconstructPhases (float timeFactor);
	void followLeader (std::size_t bin, std::size_t leader);
	float drawOffset (float t);

	std::size_t channels = 0;
	std::size_t bands = 0;
	std::size_t fftSize = 0;
	std::size_t interval = 0;
	std::vector<BandState> states;          // channels x bands
	std::vector<BandPrediction> prediction; // channels x bands
	std::vector<float> energy;              // per bin, summed over channels
	std::vector<float> smoothedEnergy;
	std::vector<SpectralPeak> peakList;     // capacity bands/2, reserved by configure
	std::vector<BinMapPoint> map;
	std::vector<ComplexF> rotation;         // per bin, one interval's turn relative to its input position
	std::mt19937 random;
};

} // namespace cadora
