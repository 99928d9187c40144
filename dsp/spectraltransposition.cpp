#include "dsp/spectraltransposition.h"

#include "dsp/mathconstants.h"

#include <algorithm>
#include <cmath>

namespace cadora {
namespace {

constexpr float kTiny = 1e-15f;
constexpr ComplexF kZero {0.0f, 0.0f};

// Splits a fractional bin position into floor(x) and the fraction. Positions far outside the
// bin range are pulled in to where they still read zero.
inline std::ptrdiff_t splitPosition (float x, std::ptrdiff_t bands, float& fraction)
{
	if (!(x > -2.0f))
		x = -2.0f;
	else if (x > static_cast<float> (bands + 1))
		x = static_cast<float> (bands + 1);
	std::ptrdiff_t k = static_cast<std::ptrdiff_t> (x);
	if (static_cast<float> (k) > x)
		--k;
	fraction = x - static_cast<float> (k);
	return k;
}

// A fractional bin position resolved once, for reading several fields there.
struct BinPosition
{
	std::ptrdiff_t k;
	float t;
	bool loInRange, hiInRange;
};

inline BinPosition resolve (float x, std::ptrdiff_t bands)
{
	BinPosition p;
	p.k = splitPosition (x, bands, p.t);
	p.loInRange = p.k >= 0 && p.k < bands;
	p.hiInRange = p.k + 1 >= 0 && p.k + 1 < bands;
	return p;
}

// Linear interpolation of a band-state field at a resolved position; bins outside read zero.
inline ComplexF readComplex (const BandState* s, const BinPosition& p, ComplexF BandState::*field)
{
	const ComplexF lo = p.loInRange ? s[p.k].*field : kZero;
	const ComplexF hi = p.hiInRange ? s[p.k + 1].*field : kZero;
	return lo + (hi - lo) * p.t;
}

inline ComplexF readComplex (const BandState* s, std::ptrdiff_t bands, float x, ComplexF BandState::*field)
{
	return readComplex (s, resolve (x, bands), field);
}

inline float readEnergy (const BandState* s, const BinPosition& p)
{
	const float lo = p.loInRange ? s[p.k].inputEnergy : 0.0f;
	const float hi = p.hiInRange ? s[p.k + 1].inputEnergy : 0.0f;
	return lo + (hi - lo) * p.t;
}

// v scaled to magnitude sqrt(energy); a vanishing v is replaced by `fallback`.
inline ComplexF withEnergy (ComplexF v, ComplexF fallback, float energy)
{
	float norm = squaredMagnitude (v);
	if (norm <= kTiny)
	{
		v = fallback;
		norm = squaredMagnitude (v) + kTiny;
	}
	return v * std::sqrt (energy / norm);
}

} // namespace

SpectralTransposition::SpectralTransposition ()
{
	std::random_device device;
	random.seed (device ());
}

void SpectralTransposition::configure (int channelCount, std::size_t size, std::size_t hop)
{
	channels = static_cast<std::size_t> (std::max (channelCount, 0));
	fftSize = size;
	bands = size / 2;
	interval = hop;
	states.assign (channels * bands, BandState {kZero, kZero, kZero, 0.0f});
	prediction.assign (channels * bands, BandPrediction {0.0f, kZero});
	energy.assign (bands, 0.0f);
	smoothedEnergy.assign (bands, 0.0f);
	peakList.clear ();
	peakList.reserve (bands / 2);
	map.assign (bands, BinMapPoint {0.0f, 1.0f});
	rotation.assign (bands, ComplexF {1.0f, 0.0f});
}

void SpectralTransposition::clearBandStates ()
{
	std::fill (states.begin (), states.end (), BandState {kZero, kZero, kZero, 0.0f});
}

void SpectralTransposition::process (const FrameSettings& frame)
{
	if (frame.mapActive)
	{
		measureEnergies ();
		smoothEnergies ();
		findPeaks (frame);
	}
	buildBinMap (frame.mapActive);
	if (frame.newSpectrum)
		computeTimeRotation ();
	predict (frame.newSpectrum);
	reconstructPhases (frame.timeFactor);
	if (frame.newSpectrum)
		for (BandState& s : states)
			s.prevInput = s.input;
}

// The phase through which one interval turns each output bin relative to the input position it
// reads: e^{i 2 pi I (b - x)/N}, x the bin's mapped input position. Applying the time advance at
// the fractional position keeps interpolation between bins free of the advance's steep phase
// slope (2 pi I/N per bin), which would otherwise pull the frequency of every moved partial.
void SpectralTransposition::computeTimeRotation ()
{
	const double turnsPerBin = static_cast<double> (interval) / static_cast<double> (fftSize);
	for (std::size_t b = 0; b < bands; ++b)
	{
		// Whole turns dropped in double precision, so that the single-precision angle stays exact.
		double turns = (static_cast<double> (b) - static_cast<double> (map[b].inputBin)) * turnsPerBin;
		turns -= static_cast<double> (static_cast<long long> (turns));
		rotation[b] = unitPhasor (2.0 * kPi * turns);
	}
}

void SpectralTransposition::measureEnergies ()
{
	std::fill (energy.begin (), energy.end (), 0.0f);
	for (std::size_t c = 0; c < channels; ++c)
	{
		BandState* s = bandStates (static_cast<int> (c));
		for (std::size_t b = 0; b < bands; ++b)
		{
			s[b].inputEnergy = squaredMagnitude (s[b].input);
			energy[b] += s[b].inputEnergy;
		}
	}
	smoothedEnergy = energy;
}

// Two backward-then-forward passes of a one-pole smoother across the bins.
void SpectralTransposition::smoothEnergies ()
{
	const float ratio = static_cast<float> (fftSize) / static_cast<float> (interval);
	const float a = 1.0f / (1.0f + 0.5f * ratio);
	float smoothing = 0.0f;
	for (int round = 0; round < 2; ++round)
	{
		for (std::size_t b = bands; b-- > 0;)
		{
			smoothing = smoothing + (smoothedEnergy[b] - smoothing) * a;
			smoothedEnergy[b] = smoothing;
		}
		for (std::size_t b = 0; b < bands; ++b)
		{
			smoothing = smoothing + (smoothedEnergy[b] - smoothing) * a;
			smoothedEnergy[b] = smoothing;
		}
	}
}

// A peak is a run of bins whose energy stands above the smoothed energy; it sits at the run's
// energy-weighted mean bin and moves to its transposed frequency.
void SpectralTransposition::findPeaks (const FrameSettings& frame)
{
	peakList.clear ();
	const float n = static_cast<float> (fftSize);
	std::size_t b = 0;
	while (b < bands)
	{
		if (smoothedEnergy[b] < energy[b])
		{
			float total = 0.0f;
			float weighted = 0.0f;
			for (; b < bands && energy[b] > smoothedEnergy[b]; ++b)
			{
				total += energy[b];
				weighted += static_cast<float> (b) * energy[b];
			}
			const float inputBin = weighted / total;
			const float f = (inputBin + 0.5f) / n;
			const float mapped = f <= frame.tonalityLimit
			                         ? f * frame.transposeFactor
			                         : f + (frame.transposeFactor - 1.0f) * frame.tonalityLimit;
			peakList.push_back ({inputBin, mapped * n - 0.5f});
		}
		++b;
	}
}

void SpectralTransposition::buildBinMap (bool mapActive)
{
	if (!mapActive)
		for (BandState& s : states)
			s.inputEnergy = squaredMagnitude (s.input);
	if (!mapActive || peakList.empty ())
	{
		for (std::size_t b = 0; b < bands; ++b)
			map[b] = {static_cast<float> (b), 1.0f};
		return;
	}
	const std::ptrdiff_t count = static_cast<std::ptrdiff_t> (bands);
	const SpectralPeak& first = peakList.front ();
	const std::ptrdiff_t firstEnd = std::min (static_cast<std::ptrdiff_t> (std::ceil (first.outputBin)), count);
	for (std::ptrdiff_t b = 0; b < firstEnd; ++b)
		map[b] = {static_cast<float> (b) + first.inputBin - first.outputBin, 1.0f};
	for (std::size_t i = 0; i + 1 < peakList.size (); ++i)
		mapBetweenPeaks (peakList[i], peakList[i + 1]);
	const SpectralPeak& last = peakList.back ();
	const std::ptrdiff_t lastStart = std::max (static_cast<std::ptrdiff_t> (std::trunc (last.outputBin)), std::ptrdiff_t {0});
	for (std::ptrdiff_t b = lastStart; b < count; ++b)
		map[b] = {static_cast<float> (b) + last.inputBin - last.outputBin, 1.0f};
}

// Between two peaks the output-to-input offset glides along a smoothstep; freqGrad is its slope.
void SpectralTransposition::mapBetweenPeaks (const SpectralPeak& p, const SpectralPeak& q)
{
	const std::ptrdiff_t count = static_cast<std::ptrdiff_t> (bands);
	const float offset = p.inputBin - p.outputBin;
	const float d = (q.inputBin - q.outputBin) - offset;
	const float span = q.outputBin - p.outputBin;
	const std::ptrdiff_t begin = std::max (static_cast<std::ptrdiff_t> (std::ceil (p.outputBin)), std::ptrdiff_t {0});
	const std::ptrdiff_t end = std::min (static_cast<std::ptrdiff_t> (std::ceil (q.outputBin)), count);
	for (std::ptrdiff_t b = begin; b < end; ++b)
	{
		const float t = (static_cast<float> (b) - p.outputBin) / span;
		map[b].inputBin = static_cast<float> (b) + offset + d * t * t * (3.0f - 2.0f * t);
		map[b].freqGrad = 1.0f + 6.0f * t * (1.0f - t) * d / span;
	}
}

// Each output bin is turned by the phase through which the input at its mapped position moved
// since the last frame, and given the energy read there.
void SpectralTransposition::predict (bool newSpectrum)
{
	const std::ptrdiff_t count = static_cast<std::ptrdiff_t> (bands);
	for (std::size_t c = 0; c < channels; ++c)
	{
		BandState* s = bandStates (static_cast<int> (c));
		BandPrediction* pred = prediction.data () + c * bands;
		for (std::size_t b = 0; b < bands; ++b)
		{
			const BinMapPoint point = map[b];
			BandPrediction& p = pred[b];
			const float old = p.energy;
			const BinPosition at = resolve (point.inputBin, count);
			p.energy = readEnergy (s, at) * std::max (point.freqGrad, 0.0f);
			p.input = readComplex (s, at, &BandState::input);
			const ComplexF pv = readComplex (s, at, &BandState::prevInput);
			const ComplexF previous = newSpectrum ? s[b].output * rotation[b] : s[b].output;
			const ComplexF turned = previous * p.input * conj (pv);
			const float denominator = std::max (p.energy, old) + kTiny;
			s[b].output = {turned.re / denominator, turned.im / denominator};
		}
	}
}

// Bin by bin upwards, the loudest channel's phase comes from its finished lower neighbours and
// its predicted upper neighbours, each turned by the input's phase step between the positions.
void SpectralTransposition::reconstructPhases (float timeFactor)
{
	const std::ptrdiff_t count = static_cast<std::ptrdiff_t> (bands);
	const float ratio = static_cast<float> (fftSize) / static_cast<float> (interval);
	const std::ptrdiff_t l = static_cast<std::ptrdiff_t> (std::round (ratio));
	const float lf = static_cast<float> (l);
	const float t = std::max (timeFactor, 0.5f);
	for (std::ptrdiff_t b = 0; b < count; ++b)
	{
		std::size_t leader = 0;
		for (std::size_t c = 1; c < channels; ++c)
			if (prediction[c * bands + b].energy > prediction[leader * bands + b].energy)
				leader = c;
		BandState* s = bandStates (static_cast<int> (leader));
		const BandPrediction* pred = prediction.data () + leader * bands;
		const BandPrediction& p = pred[b];
		const float x = map[b].inputBin;
		ComplexF phase = kZero;
		if (b > 0)
		{
			const float d = drawOffset (t);
			phase = phase + s[b - 1].output * (p.input * conj (readComplex (s, count, x - d, &BandState::input)));
			if (b >= l)
				phase = phase + s[b - l].output * (p.input * conj (readComplex (s, count, x - lf * d, &BandState::input)));
		}
		if (b < count - 1)
		{
			const float u = drawOffset (t);
			const float x1 = map[b + 1].inputBin;
			phase = phase + s[b + 1].output * conj (pred[b + 1].input * conj (readComplex (s, count, x1 - u, &BandState::input)));
			if (b < count - l)
			{
				const float xl = map[b + l].inputBin;
				phase = phase + s[b + l].output * conj (pred[b + l].input * conj (readComplex (s, count, xl - lf * u, &BandState::input)));
			}
		}
		s[b].output = withEnergy (phase, p.input, p.energy);
		followLeader (static_cast<std::size_t> (b), leader);
	}
}

// Every other channel keeps its phase relation to the leading channel at this bin.
void SpectralTransposition::followLeader (std::size_t bin, std::size_t leader)
{
	const BandPrediction& lead = prediction[leader * bands + bin];
	const ComplexF leadOutput = states[leader * bands + bin].output;
	for (std::size_t c = 0; c < channels; ++c)
	{
		if (c == leader)
			continue;
		const BandPrediction& own = prediction[c * bands + bin];
		const ComplexF v = leadOutput * (own.input * conj (lead.input));
		states[c * bands + bin].output = withEnergy (v, own.input, own.energy);
	}
}

// Distance to the neighbour read in the input: the time factor, or around it at random when
// the input advanced by less than half an interval.
float SpectralTransposition::drawOffset (float t)
{
	if (!(t > 2.0f))
		return t;
	const float r = static_cast<float> (random () >> 8) * (1.0f / 16777216.0f);
	return 4.0f - t + r * (2.0f * t - 4.0f);
}

} // namespace cadora
