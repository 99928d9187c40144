#include "keydetect/keyestimator.h"

#include "keydetect/keyprofiles.h"
#include "keydetect/realfft.h"
#include "keydetect/spectralkernel.h"

#include <cmath>

namespace cadora {
namespace {

constexpr double kPi = 3.141592653589793;
// Analysis frame and hop, in decimated samples (about 1.9 s and 0.23 s at 4.4 kHz).
constexpr size_t kFrameLength = 8192;
constexpr size_t kHopLength = 1024;

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

PitchClassLevels foldOctaves (const Chromagram& chroma)
{
	PitchClassLevels pc {};
	for (size_t h = 0; h < chroma.hops (); ++h)
		for (int b = 0; b < kBandCount; ++b)
			pc[b % kBandsPerOctave] += chroma.hop (h)[b];
	return pc;
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
	}
	workspace.frameSamples.erase (workspace.frameSamples.begin (),
	                              workspace.frameSamples.begin () + static_cast<std::ptrdiff_t> (start));
}

int32_t KeyEstimator::keyOfChromagram (const ChromaWorkspace& workspace) const
{
	const PitchClassLevels pc = foldOctaves (workspace.chroma);
	double total = 0.0;
	for (double v : pc)
		total += v;
	if (!(total > 0.0))
		return kSilenceKey;
	return bestKeyForChroma (pc);
}

} // namespace cadora
