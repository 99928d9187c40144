#include "keydetect/keyestimator.h"

#include "dsp/mathconstants.h"
#include "keydetect/keyprofiles.h"
#include "keydetect/resolutions.h"
#include "keydetect/realfft.h"
#include "keydetect/spectralkernel.h"

#include <algorithm>
#include <cmath>

namespace cadora {
namespace {

// Analysis frame and hop, in decimated samples (about 0.46 s and 0.12 s at 4.4 kHz).
constexpr size_t kFrameLength = 2048;
constexpr size_t kHopLength = 512;

std::vector<double> blackmanWindow (size_t length)
{
	std::vector<double> w (length);
	for (size_t i = 0; i < length; ++i)
	{
		const double x = 2.0 * kPi * static_cast<double> (i) / static_cast<double> (length - 1);
		w[i] = 0.42 - 0.5 * std::cos (x) + 0.08 * std::cos (2.0 * x);
	}
	return w;
}

void validate (const MonoBuffer& audio, uint32_t startedRate)
{
	if (audio.frameRate () == 0)
		throw KeyEstimationError ("frame rate of 0");
	if (startedRate != 0 && audio.frameRate () != startedRate)
		throw KeyEstimationError ("frame rate differs from the workspace's");
	for (size_t i = 0; i < audio.size (); ++i)
		if (!std::isfinite (audio.sample (i)))
			throw KeyEstimationError ("non-finite sample");
}

// Music tends to start on its tonic: the opening 1.5 s of the music an estimator follows
// counts this much more in every key decision, unless it turns out to have been a dominant.
constexpr double kOpeningSeconds = 1.5;
constexpr double kOpeningExtraWeight = 2.0;

// Adds one hop to `pc`: its band levels compressed by a square root (so that one loud
// melody or bass note does not drown the harmony), normalised to unit length (so that
// loud passages do not outweigh quiet ones) and folded into pitch classes. Returns false
// for a hop of pure silence.
bool addFolded (const BandLevels& bands, PitchClassLevels& pc)
{
	BandLevels compressed;
	double norm = 0.0;
	for (int b = 0; b < kBandCount; ++b)
	{
		compressed[b] = std::sqrt (std::max (bands[b], 0.0));
		norm += compressed[b] * compressed[b];
	}
	if (!(norm > 0.0))
		return false;
	const double scale = 1.0 / std::sqrt (norm);
	for (int b = 0; b < kBandCount; ++b)
		pc[b % kBandsPerOctave] += scale * compressed[b];
	return true;
}

} // namespace

// The FFT, window and kernel of one estimator; the kernel follows the decimated rate.
struct KeyEstimator::Analysis
{
	RealFft fft {kFrameLength};
	std::vector<double> window = blackmanWindow (kFrameLength);
	std::vector<double> magnitudes = std::vector<double> (kFrameLength / 2 + 1);
	std::unique_ptr<SpectralKernel> kernel;
	double kernelRate = 0.0;

	const SpectralKernel& kernelFor (double rate)
	{
		if (!kernel || kernelRate != rate)
		{
			kernel = std::make_unique<SpectralKernel> (rate, kFrameLength);
			kernelRate = rate;
		}
		return *kernel;
	}
};

KeyEstimator::KeyEstimator () : analysis (std::make_unique<Analysis> ()) {}

KeyEstimator::~KeyEstimator () = default;

void KeyEstimator::appendToChromagram (const MonoBuffer& audio, ChromaWorkspace& workspace)
{
	validate (audio, workspace.frameRate);
	if (workspace.frameRate == 0)
	{
		workspace.frameRate = audio.frameRate ();
		workspace.decimator.configure (audio.frameRate ());
	}
	workspace.decimator.process (audio.samples (), audio.size (), workspace.frameSamples);
	analyseFrames (workspace);
}

void KeyEstimator::analyseFrames (ChromaWorkspace& workspace)
{
	Analysis& a = *analysis;
	const SpectralKernel& kernel = a.kernelFor (workspace.decimator.outputRate ());
	size_t start = 0;
	for (; start + kFrameLength <= workspace.frameSamples.size (); start += kHopLength)
	{
		double* in = a.fft.input ();
		for (size_t i = 0; i < kFrameLength; ++i)
			in[i] = workspace.frameSamples[start + i] * a.window[i];
		a.fft.execute ();
		const double* spectrum = a.fft.spectrum ();
		for (size_t k = 0; k <= kFrameLength / 2; ++k)
			a.magnitudes[k] = std::hypot (spectrum[2 * k], spectrum[2 * k + 1]);
		BandLevels bands;
		kernel.apply (a.magnitudes.data (), bands);
		workspace.chroma.appendHop (bands);
		rememberOpening (bands, workspace.decimator.outputRate ());
	}
	workspace.frameSamples.erase (workspace.frameSamples.begin (),
	                              workspace.frameSamples.begin () + static_cast<std::ptrdiff_t> (start));
}

void KeyEstimator::rememberOpening (const BandLevels& bands, double decimatedRate)
{
	const double hopSeconds = kHopLength / decimatedRate;
	if (openingHops * hopSeconds < kOpeningSeconds && addFolded (bands, opening))
		++openingHops;
}

int32_t KeyEstimator::keyOfChromagram (const ChromaWorkspace& workspace) const
{
	return readKey (workspace).key;
}

KeyReading KeyEstimator::readKey (const ChromaWorkspace& workspace) const
{
	KeyReading reading;
	PitchClassLevels pc {};
	bool sound = false;
	for (size_t h = 0; h < workspace.chroma.hops (); ++h)
		sound = addFolded (workspace.chroma.hop (h), pc) || sound;
	if (!sound)
		return reading;
	const ChordEvidence chords = chordEvidence (workspace.chroma);
	// An opening on the dominant is no sign of the tonic.
	const double openingWeight = openedOnDominant (opening, chords) ? 0.0 : kOpeningExtraWeight;
	for (int i = 0; i < kBandsPerOctave; ++i)
		pc[i] += openingWeight * opening[i];
	reading.resolutions = chords.resolutions;
	reading.key = bestKeyForMusic (pc, chords);
	return reading;
}

} // namespace cadora
