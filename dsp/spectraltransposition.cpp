#include "dsp/spectraltransposition.h"

#include "dsp/mathconstants.h"

#include <algorithm>
#include <cmath>

namespace cadora {
namespace {

constexpr float kTiny = 1e-15f;
constexpr ComplexF kZero {0.0f, 0.0f};
// A bin whose energy rose since the last frame by more than this share of the smoothed energy
// around it starts a transient. Relative to the neighbourhood rather than to the bin's own
// earlier energy, so that the slow beating of two close partials (a bin between them passing
// through a null) does not count.
constexpr float kTransientRise = 0.5f;
// Half-width, in output bins, of the stretch around a steady peak that keeps the peak's own
// offset: the window's main lobe reaches about 1.7 bins, and within it the spectrum is the
// partial's own, not something to stretch.
constexpr float kPeakFlat = 1.5f;
// Output bins either side of a steady partial whose reads are corrected for it: its main lobe and
// the nearer sidelobes, which still hold -40 to -47 dB 5 to 8 bins out (on a close chord, reaching
// 12 rather than 4 bins takes the worst residual from -44.7 to -48.0 dB).
constexpr std::size_t kLobeReach = 12;
// Reads this close share their taps closely enough to be taken as one (bins).
constexpr float kSameRead = 1e-4f;

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

std::size_t nearestBin (float x, std::size_t bands)
{
	if (!(x > 0.0f))
		return 0;
	return std::min (static_cast<std::size_t> (x + 0.5f), bands - 1);
}

} // namespace

SpectralTransposition::SpectralTransposition ()
{
	std::random_device device;
	random.seed (device ());
}

void SpectralTransposition::configure (int channelCount, std::size_t size, std::size_t hop,
                                       const std::vector<float>& window, std::size_t origin)
{
	channels = static_cast<std::size_t> (std::max (channelCount, 0));
	fftSize = size;
	bands = size / 2;
	interval = hop;
	span = static_cast<std::size_t> (std::round (static_cast<float> (size) / static_cast<float> (hop)));
	// A transient stays inside the window for as many frames as it takes the window to pass over it.
	transientFrames = static_cast<uint8_t> (std::min<std::size_t> ((window.size () + hop - 1) / hop, 255));
	sidelobes.configure (window, origin, size);
	lobe.configure (window, origin, size);
	reader.configure (window, origin, size, hop);
	states.assign (channels * bands, BandState {kZero, kZero, kZero, 0.0f});
	prediction.assign (channels * bands, BandPrediction {0.0f, kZero});
	energy.assign (bands, 0.0f);
	smoothedEnergy.assign (bands, 0.0f);
	previousEnergy.assign (bands, 0.0f);
	maxima.assign (bands, 0);
	peakList.clear ();
	peakList.reserve (bands / 2);
	map.assign (bands, BinMapPoint {0.0f, 1.0f});
	rotation.assign (bands, ComplexF {1.0f, 0.0f});
	region.assign (bands, 0);
	transient.assign (bands, 0);
	lowerReads.assign (channels * bands, LowerReads {kZero, kZero});
	leaders.assign (bands, 0);
	heardSpectrum.assign (channels * bands, kZero);
	amplitude.assign (channels * (bands / 2), kZero);
	turn.assign (channels * (bands / 2), kZero);
	modelled.assign (bands / 2, 0);
}

void SpectralTransposition::clearBandStates ()
{
	std::fill (states.begin (), states.end (), BandState {kZero, kZero, kZero, 0.0f});
	std::fill (transient.begin (), transient.end (), uint8_t {0});
}

void SpectralTransposition::process (const FrameSettings& frame)
{
	if (frame.mapActive)
	{
		measureEnergies ();
		smoothEnergies ();
		if (frame.newSpectrum)
			detectTransients ();
		findPeaks (frame);
	}
	buildBinMap (frame.mapActive);
	if (frame.newSpectrum)
		computeTimeRotation ();
	predict (frame.newSpectrum, frame.timeFactor);
	reconstructPhases (frame.timeFactor);
	exchangeLobes (frame.mapActive);
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
	float lastOffset = 0.0f;
	for (std::size_t b = 0; b < bands; ++b)
	{
		// Around a peak many bins share one offset: their turn is worked out once.
		const float offset = static_cast<float> (b) - map[b].inputBin;
		if (b > 0 && offset == lastOffset)
		{
			rotation[b] = rotation[b - 1];
			continue;
		}
		lastOffset = offset;
		// Whole turns dropped in double precision, so that the single-precision angle stays exact.
		double turns = (static_cast<double> (b) - static_cast<double> (map[b].inputBin)) * turnsPerBin;
		turns -= static_cast<double> (static_cast<long long> (turns));
		rotation[b] = unitPhasor (2.0 * kPi * turns);
	}
}

// Also the energy one interval earlier, for telling transients.
void SpectralTransposition::measureEnergies ()
{
	std::fill (energy.begin (), energy.end (), 0.0f);
	std::fill (previousEnergy.begin (), previousEnergy.end (), 0.0f);
	for (std::size_t c = 0; c < channels; ++c)
	{
		BandState* s = bandStates (static_cast<int> (c));
		for (std::size_t b = 0; b < bands; ++b)
		{
			s[b].inputEnergy = squaredMagnitude (s[b].input);
			energy[b] += s[b].inputEnergy;
			previousEnergy[b] += squaredMagnitude (s[b].prevInput);
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

// A bin whose energy jumped since the last frame holds a transient for as long as the window
// takes to pass over it.
void SpectralTransposition::detectTransients ()
{
	for (std::size_t b = 0; b < bands; ++b)
	{
		if (energy[b] - previousEnergy[b] > kTransientRise * smoothedEnergy[b])
			transient[b] = transientFrames;
		else if (transient[b] > 0)
			--transient[b];
	}
}

// A peak is a local maximum of the energy that stands above the smoothed energy and above what
// the window's sidelobes of a stronger maximum could put there; it moves to its transposed
// frequency.
void SpectralTransposition::findPeaks (const FrameSettings& frame)
{
	peakList.clear ();
	std::size_t count = 0;
	for (std::size_t k = 0; k < bands; ++k)
		if ((k == 0 || energy[k] > energy[k - 1]) && (k + 1 == bands || !(energy[k + 1] > energy[k])))
			maxima[count++] = k;
	const float n = static_cast<float> (fftSize);
	const float loudest = *std::max_element (energy.begin (), energy.end ());
	for (std::size_t i = 0; i < count; ++i)
	{
		const std::size_t k = maxima[i];
		if (!(energy[k] > smoothedEnergy[k]) ||
		    sidelobes.isSidelobe (energy.data (), maxima.data (), count, i, loudest))
			continue;
		const float inputBin = peakPosition (k, frame.newSpectrum);
		const float f = (inputBin + 0.5f) / n;
		const float mapped = f <= frame.tonalityLimit
		                         ? f * frame.transposeFactor
		                         : f + (frame.transposeFactor - 1.0f) * frame.tonalityLimit;
		peakList.push_back ({inputBin, mapped * n - 0.5f, transient[k] == 0});
	}
}

// Fractional bin of the partial whose strongest bin is k: from the phase advance since the last
// frame where there is one, otherwise from the shape of the energies around k.
float SpectralTransposition::peakPosition (std::size_t k, bool newSpectrum) const
{
	if (newSpectrum)
	{
		ComplexF advance = kZero;
		for (std::size_t c = 0; c < channels; ++c)
		{
			const BandState& s = states[c * bands + k];
			advance = advance + s.input * conj (s.prevInput);
		}
		float offset;
		if (offsetFromPhaseAdvance (advance, energy[k], k, interval, fftSize, offset))
			return static_cast<float> (k) + offset;
	}
	const float below = k > 0 ? energy[k - 1] : 0.0f;
	const float above = k + 1 < bands ? energy[k + 1] : 0.0f;
	return static_cast<float> (k) + offsetFromMagnitudes (below, energy[k], above);
}

void SpectralTransposition::buildBinMap (bool mapActive)
{
	if (!mapActive)
		for (BandState& s : states)
			s.inputEnergy = squaredMagnitude (s.input);
	std::fill (region.begin (), region.end (), uint32_t {0});
	if (!mapActive || peakList.empty ())
	{
		for (std::size_t b = 0; b < bands; ++b)
			map[b] = {static_cast<float> (b), 1.0f};
		return;
	}
	const std::ptrdiff_t count = static_cast<std::ptrdiff_t> (bands);
	const SpectralPeak& first = peakList.front ();
	const std::ptrdiff_t firstEnd =
	    std::min (static_cast<std::ptrdiff_t> (std::ceil (first.outputBin)), count);
	for (std::ptrdiff_t b = 0; b < firstEnd; ++b)
		map[b] = {static_cast<float> (b) + first.inputBin - first.outputBin, 1.0f};
	for (std::size_t i = 0; i + 1 < peakList.size (); ++i)
		mapBetweenPeaks (peakList[i], peakList[i + 1], i);
	const SpectralPeak& last = peakList.back ();
	const auto lastIndex = static_cast<uint32_t> (peakList.size () - 1);
	const std::ptrdiff_t lastStart =
	    std::max (static_cast<std::ptrdiff_t> (std::trunc (last.outputBin)), std::ptrdiff_t {0});
	for (std::ptrdiff_t b = lastStart; b < count; ++b)
	{
		map[b] = {static_cast<float> (b) + last.inputBin - last.outputBin, 1.0f};
		region[b] = lastIndex;
	}
}

// Between two peaks the output-to-input offset glides along a smoothstep; freqGrad is its slope.
// Around a steady peak the offset stays the peak's own over its main lobe, but never beyond
// halfway to the next peak in the input (farther out, the input holds more of the neighbour than
// of the peak), so that the partial moves as a whole; where two steady peaks are too close for
// any glide, the offset switches from one to the other where their stretches meet. Bins belong
// to the stretch of the peak whose offset they are nearer to.
void SpectralTransposition::mapBetweenPeaks (const SpectralPeak& p, const SpectralPeak& q, std::size_t index)
{
	const std::ptrdiff_t count = static_cast<std::ptrdiff_t> (bands);
	const float offset = p.inputBin - p.outputBin;
	const float d = (q.inputBin - q.outputBin) - offset;
	const float distance = q.outputBin - p.outputBin;
	const float own = std::min (kPeakFlat, 0.5f * (q.inputBin - p.inputBin));
	const float flatP = p.steady ? own : 0.0f;
	const float flatQ = q.steady ? own : 0.0f;
	const float glide = distance - flatP - flatQ;
	const float share = flatP + flatQ > 0.0f ? flatP / (flatP + flatQ) : 0.5f;
	const float glideStart = glide > 0.0f ? p.outputBin + flatP : p.outputBin + distance * share;
	const float boundary = glideStart + 0.5f * std::max (glide, 0.0f);
	const std::ptrdiff_t begin =
	    std::max (static_cast<std::ptrdiff_t> (std::ceil (p.outputBin)), std::ptrdiff_t {0});
	const std::ptrdiff_t end = std::min (static_cast<std::ptrdiff_t> (std::ceil (q.outputBin)), count);
	for (std::ptrdiff_t b = begin; b < end; ++b)
	{
		const float at = static_cast<float> (b);
		region[b] = static_cast<uint32_t> (at < boundary ? index : index + 1);
		if (!(glide > 0.0f))
		{
			map[b] = {at + offset + (at < glideStart ? 0.0f : d), 1.0f};
			continue;
		}
		const float t = std::clamp ((at - glideStart) / glide, 0.0f, 1.0f);
		map[b].inputBin = at + offset + d * t * t * (3.0f - 2.0f * t);
		map[b].freqGrad = 1.0f + 6.0f * t * (1.0f - t) * d / glide;
	}
}

// Each output bin is turned by the phase through which the input at its mapped position moved
// since the last frame, and given the energy read there.
void SpectralTransposition::predict (bool newSpectrum, float timeFactor)
{
	const std::ptrdiff_t count = static_cast<std::ptrdiff_t> (bands);
	const auto l = static_cast<std::ptrdiff_t> (span);
	const float t = std::max (timeFactor, 0.5f);
	for (std::size_t b = 0; b < bands; ++b)
	{
		const BinMapPoint point = map[b];
		const BinRead at = resolveRead (reader, point.inputBin, count);
		// The usual frame: the neighbours one and L bins below share the position's taps.
		const bool shared = t == 1.0f && at.inside && at.first >= l;
		const float weight = std::max (point.freqGrad, 0.0f);
		std::size_t leader = 0;
		for (std::size_t c = 0; c < channels; ++c)
		{
			BandState* s = states.data () + c * bands;
			BandPrediction& p = prediction[c * bands + b];
			LowerReads& lower = lowerReads[c * bands + b];
			const float old = p.energy;
			ComplexF pv;
			if (shared)
			{
				const BandState* q = s + at.first;
				p.input = weighted (q, at.taps, &BandState::input);
				pv = weighted (q, at.taps, &BandState::prevInput);
				lower = {weighted (q - 1, at.taps, &BandState::input),
				         weighted (q - l, at.taps, &BandState::input)};
			}
			else
			{
				p.input = readAt (s, count, at, &BandState::input);
				pv = readAt (s, count, at, &BandState::prevInput);
				if (!(t > 2.0f))
					lower = {inputAt (s, point.inputBin - t),
					         inputAt (s, point.inputBin - static_cast<float> (span) * t)};
			}
			p.energy = squaredMagnitude (p.input) * weight;
			const ComplexF previous = newSpectrum ? s[b].output * rotation[b] : s[b].output;
			const ComplexF turned = previous * p.input * conj (pv);
			s[b].output = turned * (1.0f / (std::max (p.energy, old) + kTiny));
			if (p.energy > prediction[leader * bands + b].energy)
				leader = c;
		}
		leaders[b] = leader;
	}
}

// Bin by bin upwards, the loudest channel's phase comes from its finished lower neighbours and
// its predicted upper neighbours, each turned by the input's phase step between the positions.
// A steady partial's bins follow only neighbours of the same peak: the phase relations between
// different partials move on in the output at another rate than in the input. A transient
// follows all of them.
void SpectralTransposition::reconstructPhases (float timeFactor)
{
	const std::size_t l = span;
	const float t = std::max (timeFactor, 0.5f);
	const bool fixedDistances = !(t > 2.0f);
	for (std::size_t b = 0; b < bands; ++b)
	{
		const std::size_t leader = leaders[b];
		const BandState* s = states.data () + leader * bands;
		const BandPrediction* pred = prediction.data () + leader * bands;
		const LowerReads* lower = lowerReads.data () + leader * bands;
		const ComplexF own = pred[b].input;
		const bool all = transient[nearestBin (map[b].inputBin, bands)] > 0;
		const uint32_t home = region[b];
		const NeighbourReads reads =
		    fixedDistances
		        ? NeighbourReads {lower[b].one, lower[b].span, b + 1 < bands ? lower[b + 1].one : kZero,
		                          b + l < bands ? lower[b + l].span : kZero}
		        : drawNeighbourReads (b, leader, t);
		ComplexF phase = kZero;
		if (b > 0 && (all || region[b - 1] == home))
			phase = phase + s[b - 1].output * (own * conj (reads.lowerOne));
		if (b >= l && (all || region[b - l] == home))
			phase = phase + s[b - l].output * (own * conj (reads.lowerSpan));
		if (b + 1 < bands && (all || region[b + 1] == home))
			phase = phase + s[b + 1].output * conj (pred[b + 1].input * conj (reads.upperOne));
		if (b + l < bands && (all || region[b + l] == home))
			phase = phase + s[b + l].output * conj (pred[b + l].input * conj (reads.upperSpan));
		// With no neighbour to follow, the bin starts from the input at its own place where that
		// holds about as much as the mapped position (a transient after silence: its bins keep
		// their phases in line with one another), otherwise from the mapped position.
		const ComplexF start =
		    4.0f * squaredMagnitude (s[b].input) > squaredMagnitude (own) ? s[b].input : own;
		states[leader * bands + b].output = withEnergy (phase, start, pred[b].energy);
		followLeader (b, leader);
	}
}

// The reads of phase reconstruction at neighbour distances drawn at random around the time
// factor, in the order: below, above.
SpectralTransposition::NeighbourReads SpectralTransposition::drawNeighbourReads (std::size_t b,
                                                                                 std::size_t leader, float t)
{
	const BandState* s = states.data () + leader * bands;
	const float l = static_cast<float> (span);
	NeighbourReads reads {kZero, kZero, kZero, kZero};
	if (b > 0)
	{
		const float d = drawOffset (t);
		reads.lowerOne = inputAt (s, map[b].inputBin - d);
		reads.lowerSpan = inputAt (s, map[b].inputBin - l * d);
	}
	if (b + 1 < bands)
	{
		const float u = drawOffset (t);
		reads.upperOne = inputAt (s, map[b + 1].inputBin - u);
		if (b + span < bands)
			reads.upperSpan = inputAt (s, map[b + span].inputBin - l * u);
	}
	return reads;
}

ComplexF SpectralTransposition::inputAt (const BandState* s, float x) const
{
	const auto count = static_cast<std::ptrdiff_t> (bands);
	return readAt (s, count, resolveRead (reader, x, count), &BandState::input);
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

// What the read at fractional input bin x holds of a partial of unit amplitude, given its lobe.
ComplexF SpectralTransposition::lobeRead (float x, const WindowLobe::AtBins& partial) const
{
	const BinRead r = resolveRead (reader, x, static_cast<std::ptrdiff_t> (bands));
	return r.silent ? kZero : tapsOver (partial, r.first, r.taps);
}

// Taps applied to a partial's lobe from bin `first` on; bins outside the range read zero.
ComplexF SpectralTransposition::tapsOver (const WindowLobe::AtBins& partial, std::ptrdiff_t first,
                                          const FractionalRead::Taps& taps) const
{
	const auto count = static_cast<std::ptrdiff_t> (bands);
	ComplexF sum = kZero;
	for (std::size_t j = 0; j < FractionalRead::kTaps; ++j)
	{
		const std::ptrdiff_t k = first + static_cast<std::ptrdiff_t> (j);
		if (k >= 0 && k < count)
			sum = sum + partial[k] * taps[j];
	}
	return sum;
}

// Amplitude of every steady partial by least squares over the bins nearest it, less what its
// neighbours put there; and how the output at its own bin is turned against the input read there.
bool SpectralTransposition::estimatePartials ()
{
	bool any = false;
	const std::size_t count = peakList.size ();
	for (std::size_t i = 0; i < count; ++i)
	{
		const SpectralPeak& p = peakList[i];
		const std::size_t k = nearestBin (p.outputBin, bands);
		modelled[i] = p.steady && region[k] == i;
		any = any || modelled[i];
		// A channel without the partial gets no turn: nothing of it is placed there.
		for (std::size_t c = 0; c < channels && modelled[i]; ++c)
		{
			const ComplexF out = states[c * bands + k].output, read = prediction[c * bands + k].input;
			const float outNorm = squaredMagnitude (out), readNorm = squaredMagnitude (read);
			turn[c * count + i] =
			    outNorm > kTiny && readNorm > kTiny
			        ? out * (1.0f / std::sqrt (outNorm)) * conj (read * (1.0f / std::sqrt (readNorm)))
			        : kZero;
		}
	}
	if (!any)
		return false;
	for (std::size_t c = 0; c < channels; ++c)
		for (int pass = 0; pass < 2; ++pass)
			refineAmplitudes (c);
	return true;
}

void SpectralTransposition::refineAmplitudes (std::size_t c)
{
	const std::size_t count = peakList.size ();
	const BandState* s = states.data () + c * bands;
	ComplexF* a = amplitude.data () + c * count;
	for (std::size_t i = 0; i < count; ++i)
	{
		if (!modelled[i])
		{
			a[i] = kZero;
			continue;
		}
		const float f = peakList[i].inputBin;
		const std::size_t k = nearestBin (f, bands);
		ComplexF num = kZero;
		float den = 0.0f;
		for (std::size_t b = k > 0 ? k - 1 : 0; b <= k + 1 && b < bands; ++b)
		{
			ComplexF x = s[b].input;
			if (i > 0 && modelled[i - 1])
				x = x - a[i - 1] * lobe.at (static_cast<float> (b) - peakList[i - 1].inputBin);
			if (i + 1 < count && modelled[i + 1])
				x = x - a[i + 1] * lobe.at (static_cast<float> (b) - peakList[i + 1].inputBin);
			const ComplexF w = lobe.at (static_cast<float> (b) - f);
			num = num + conj (w) * x;
			den += squaredMagnitude (w);
		}
		a[i] = num * (1.0f / (den + kTiny));
	}
}

// A bin of one steady partial's stretch reads the input at that partial's offset, so whatever a
// close neighbour partial puts there comes out moved by the wrong offset, and the neighbour's own
// lobe stops short at the stretch's edge. Around each modelled partial, every bin of a modelled
// stretch loses what its read holds of that partial (as the bin's output turned the read) and
// gains the partial's lobe read where the partial's own offset would read it, turned as the
// partial's own bin is. In the partial's own flat stretch the two cancel; across a glide they
// restore the lobe the glide's reads and energy weights bend. The band states keep the single
// offsets, so what each frame's phases follow is unchanged.
void SpectralTransposition::exchangeLobes (bool mapActive)
{
	for (std::size_t i = 0; i < states.size (); ++i)
		heardSpectrum[i] = states[i].output;
	if (!mapActive || peakList.empty () || !estimatePartials ())
		return;
	const std::size_t count = peakList.size ();
	const auto bins = static_cast<std::ptrdiff_t> (bands);
	const auto reach = static_cast<std::ptrdiff_t> (kLobeReach);
	for (std::size_t i = 0; i < count; ++i)
	{
		if (!modelled[i])
			continue;
		const SpectralPeak& p = peakList[i];
		const float offset = p.inputBin - p.outputBin;
		const WindowLobe::AtBins partial = lobe.around (p.inputBin);
		const auto centre = static_cast<std::ptrdiff_t> (std::floor (p.outputBin));
		const std::ptrdiff_t begin = std::max (centre - reach, std::ptrdiff_t {0});
		const std::ptrdiff_t end = std::min (centre + reach + 1, bins);
		// At the partial's own offset every bin reads at the same fraction: one set of taps.
		const BinRead own = resolveRead (reader, static_cast<float> (centre) + offset, bins);
		for (std::ptrdiff_t b = begin; b < end; ++b)
		{
			const uint32_t r = region[b];
			if (!modelled[r])
				continue;
			const float at = static_cast<float> (b) + offset;
			ComplexF moved = kZero;
			if (own.silent)
				moved = lobeRead (at, partial);
			else if (at > -1.0f && at < static_cast<float> (bands))
				moved = tapsOver (partial, own.first + (b - centre), own.taps);
			const float x = map[b].inputBin;
			const ComplexF held = std::fabs (x - at) < kSameRead ? moved : lobeRead (x, partial);
			placeLobe (i, static_cast<std::size_t> (b), moved, held);
		}
	}
}

// In every channel, bin b gains partial i's lobe as `moved` reads it, turned as the partial's own
// bin is, and loses the partial as `held`, the bin's own read, holds it, turned as the bin is.
void SpectralTransposition::placeLobe (std::size_t i, std::size_t b, ComplexF moved, ComplexF held)
{
	const std::size_t count = peakList.size ();
	for (std::size_t c = 0; c < channels; ++c)
	{
		const std::size_t n = c * bands + b;
		const ComplexF read = prediction[n].input;
		const float norm = squaredMagnitude (read);
		const ComplexF a = amplitude[c * count + i];
		ComplexF change = turn[c * count + i] * a * moved;
		if (norm > kTiny)
			change = change - states[n].output * conj (read) * a * held * (1.0f / norm);
		heardSpectrum[n] = heardSpectrum[n] + change;
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
