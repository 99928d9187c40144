// One frame of spectral transposition on the spectra the analysis gives for steady partials (the
// window's transform, sidelobes and all, with the previous interval's phases): peaks and their
// positions, sidelobes that are not peaks, the bin map around and between peaks, zero reads
// outside the bin range, energy of every output bin.
#include "dsp/mathconstants.h"
#include "dsp/spectraltransposition.h"
#include "dsp/stftwindow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

namespace cadora {
namespace {

constexpr std::size_t kFftSize = 2048;
constexpr std::size_t kBands = kFftSize / 2;
constexpr std::size_t kInterval = 661;
constexpr std::size_t kBlock = 1764;
// The analysis window at 44.1 kHz and its transform W(nu), nu in bins.
class Window
{
public:
	Window () : w (makeTransposerWindow (kBlock, kInterval)), origin (windowPeakIndex (w)) {}

	std::complex<double> spectrum (double nu) const
	{
		std::complex<double> sum;
		for (std::size_t i = 0; i < w.size (); ++i)
		{
			const double n = static_cast<double> (i) - static_cast<double> (origin);
			sum += static_cast<double> (w[i]) *
			       std::polar (1.0, -kTwoPi * n * nu / static_cast<double> (kFftSize));
		}
		return sum;
	}

	const std::vector<float> w;
	const std::size_t origin;
};

const Window& window ()
{
	static const Window instance;
	return instance;
}

// Configured as the transposer configures it at 44.1 kHz.
void configure (SpectralTransposition& st, int channels)
{
	st.configure (channels, kFftSize, kInterval, window ().w, window ().origin);
}

// Adds the analysed spectrum of a steady sinusoid centred on fractional bin `centre` (relative
// level in dB), over the bins within `reach` of it; with `history`, also its spectrum one
// interval earlier, as a steady partial leaves it.
void addPartial (BandState* states, double centre, double levelDb, bool history, std::size_t reach = 64)
{
	const double gain = std::pow (10.0, levelDb / 20.0) / std::abs (window ().spectrum (0.0));
	const std::complex<double> back =
	    std::polar (1.0, -kTwoPi * static_cast<double> (kInterval) * (centre + 0.5) / kFftSize);
	const auto first =
	    static_cast<std::size_t> (std::max (0.0, std::ceil (centre - static_cast<double> (reach))));
	const auto last = std::min (kBands - 1, static_cast<std::size_t> (centre + static_cast<double> (reach)));
	for (std::size_t k = first; k <= last; ++k)
	{
		const std::complex<double> x = gain * window ().spectrum (static_cast<double> (k) - centre);
		states[k].input =
		    states[k].input + ComplexF {static_cast<float> (x.real ()), static_cast<float> (x.imag ())};
		if (history)
		{
			const std::complex<double> p = x * back;
			states[k].prevInput = states[k].prevInput +
			                      ComplexF {static_cast<float> (p.real ()), static_cast<float> (p.imag ())};
		}
	}
}

FrameSettings steadyFrame (float factor)
{
	return {true, factor != 1.0f, 1.0f, factor, 1.0f};
}

float outputBinOf (double inputBin, float factor)
{
	return static_cast<float> ((inputBin + 0.5) * factor - 0.5);
}

double outputCentroid (const BandState* states)
{
	double total = 0.0, weighted = 0.0;
	for (std::size_t b = 0; b < kBands; ++b)
	{
		const double e = squaredMagnitude (states[b].output);
		total += e;
		weighted += static_cast<double> (b) * e;
	}
	return weighted / total;
}

struct PartialCase
{
	const char* label;
	double centre;
	bool history;    // the previous interval's spectrum is there: frequency from the phase advance
	float tolerance; // bins, on the estimated position
};

class SpectralTranspositionPartial : public ::testing::TestWithParam<PartialCase>
{
};

// A steady partial is one peak (its sidelobes are not), found where it lies between the bins,
// and moved as a whole: every output bin reads the input at the same offset, and the output
// holds the same lobe centred on the transposed frequency.
TEST_P (SpectralTranspositionPartial, MovesAsAWhole)
{
	const PartialCase c = GetParam ();
	SpectralTransposition st;
	configure (st, 1);
	addPartial (st.bandStates (0), c.centre, 0.0, c.history, kBands);
	const float factor = 1.122462f; // two semitones
	st.process (steadyFrame (factor));

	ASSERT_EQ (st.peaks ().size (), 1u) << c.label;
	const SpectralPeak& peak = st.peaks ()[0];
	EXPECT_NEAR (peak.inputBin, c.centre, c.tolerance) << c.label;
	EXPECT_NEAR (peak.outputBin, outputBinOf (peak.inputBin, factor), 1e-3f) << c.label;
	const float offset = peak.outputBin - peak.inputBin;
	for (std::size_t b = 0; b < kBands; ++b)
	{
		ASSERT_NEAR (st.binMap ()[b].inputBin, static_cast<float> (b) - offset, 1e-3f)
		    << c.label << " bin " << b;
		ASSERT_EQ (st.binMap ()[b].freqGrad, 1.0f) << c.label << " bin " << b;
	}
	EXPECT_NEAR (outputCentroid (st.bandStates (0)), outputBinOf (c.centre, factor), 0.02) << c.label;
}

INSTANTIATE_TEST_SUITE_P (
    Positions, SpectralTranspositionPartial,
    ::testing::Values (PartialCase {"on a bin, from the phase", 100.0, true, 1e-3f},
                       PartialCase {"0.3 above, from the phase", 100.3, true, 1e-3f},
                       PartialCase {"0.5 above, from the phase", 100.5, true, 1e-3f},
                       PartialCase {"0.85 above, from the phase", 100.85, true, 1e-3f},
                       PartialCase {"0.3 above, first frame, from the magnitudes", 100.3, false, 0.05f},
                       PartialCase {"0.5 above, first frame, from the magnitudes", 100.5, false, 0.05f}));

struct NeighbourCase
{
	const char* label;
	double distance; // bins above the strong partial
	double levelDb;  // of the second partial, against the strong one
	std::size_t peaks;
};

class SpectralTranspositionNeighbour : public ::testing::TestWithParam<NeighbourCase>
{
};

// A second partial is a peak of its own where it stands above what the strong partial's
// sidelobes leak there, and is not where it is lost in them.
TEST_P (SpectralTranspositionNeighbour, WeakPartialBesideAStrongOne)
{
	const NeighbourCase c = GetParam ();
	SpectralTransposition st;
	configure (st, 1);
	addPartial (st.bandStates (0), 100.3, 0.0, true, kBands);
	addPartial (st.bandStates (0), 100.3 + c.distance, c.levelDb, true, kBands);
	st.process (steadyFrame (1.059463f));
	ASSERT_EQ (st.peaks ().size (), c.peaks) << c.label;
	if (c.peaks == 2)
	{
		EXPECT_NEAR (st.peaks ()[1].inputBin, 100.3 + c.distance, 0.01) << c.label;
	}
}

INSTANTIATE_TEST_SUITE_P (
    Levels, SpectralTranspositionNeighbour,
    ::testing::Values (NeighbourCase {"equal, three bins up (a close chord)", 3.1, 0.0, 2},
                       NeighbourCase {"20 dB down, 12 bins up", 12.0, -20.0, 2},
                       NeighbourCase {"60 dB down, 12 bins up: below the sidelobes", 12.0, -60.0, 1},
                       NeighbourCase {"30 dB down, 200 bins up", 200.0, -30.0, 2},
                       NeighbourCase {"70 dB down, 200 bins up: below the far sidelobes", 200.0, -70.0, 1}));

struct GlideCase
{
	const char* label;
	bool steady; // the partials were there one interval earlier too
	float flat;  // output bins around each peak that keep the peak's own offset
};

class SpectralTranspositionGlide : public ::testing::TestWithParam<GlideCase>
{
};

// Between two peaks an octave apart (factor 2) the offset glides from one peak's to the other's;
// steady peaks keep their own offset over their main lobe first. freqGrad is the glide's slope:
// 1 + 1.5 D/length at its middle, D the change of offset.
TEST_P (SpectralTranspositionGlide, TwoPeaksGlideBetweenTheirOffsets)
{
	const GlideCase c = GetParam ();
	SpectralTransposition st;
	configure (st, 1);
	addPartial (st.bandStates (0), 100.0, 0.0, c.steady, 8);
	addPartial (st.bandStates (0), 200.0, 0.0, c.steady, 8);
	st.process (steadyFrame (2.0f));

	ASSERT_EQ (st.peaks ().size (), 2u) << c.label;
	EXPECT_NEAR (st.peaks ()[0].outputBin, 200.5f, 2e-3f) << c.label;
	EXPECT_NEAR (st.peaks ()[1].outputBin, 400.5f, 2e-3f) << c.label;
	const auto& map = st.binMap ();
	const auto offset = [&map] (std::size_t b) {
		return map[b].inputBin - static_cast<float> (b);
	};
	for (std::size_t b = 0; static_cast<float> (b) <= 200.5f + c.flat; ++b)
		ASSERT_NEAR (offset (b), -100.5f, 2e-3f) << c.label << " bin " << b;
	for (std::size_t b = static_cast<std::size_t> (std::ceil (400.5f - c.flat)); b < kBands; ++b)
		ASSERT_NEAR (offset (b), -200.5f, 2e-3f) << c.label << " bin " << b;
	// The offset falls monotonically in between, steepest midway.
	for (std::size_t b = 201; b <= 400; ++b)
		ASSERT_LE (offset (b), offset (b - 1) + 1e-4f) << c.label << " bin " << b;
	const float length = 200.0f - 2.0f * c.flat;
	EXPECT_NEAR (map[300].freqGrad, 1.0f + 1.5f * -100.0f / length, 2e-3f) << c.label;
}

INSTANTIATE_TEST_SUITE_P (Histories, SpectralTranspositionGlide,
                          ::testing::Values (GlideCase {"steady partials", true, 1.5f},
                                             GlideCase {"partials just begun", false, 0.0f}));

// Two steady partials three bins apart (a close chord), transposed down, come closer than their
// main lobes reach: every output bin between them reads at one partial's offset or the other's,
// the lower one's up to a point, the upper one's from there on.
TEST (SpectralTransposition, ClosePeaksSwitchOffsets)
{
	SpectralTransposition st;
	configure (st, 1);
	addPartial (st.bandStates (0), 100.2, 0.0, true);
	addPartial (st.bandStates (0), 103.3, 0.0, true);
	st.process (steadyFrame (0.7491535f)); // five semitones down

	ASSERT_EQ (st.peaks ().size (), 2u);
	const SpectralPeak& p = st.peaks ()[0];
	const SpectralPeak& q = st.peaks ()[1];
	const float lower = p.inputBin - p.outputBin, upper = q.inputBin - q.outputBin;
	bool switched = false;
	for (auto b = static_cast<std::size_t> (p.outputBin) - 3; b <= static_cast<std::size_t> (q.outputBin) + 3;
	     ++b)
	{
		const float offset = st.binMap ()[b].inputBin - static_cast<float> (b);
		switched = switched || std::fabs (offset - upper) < 1e-3f;
		ASSERT_NEAR (offset, switched ? upper : lower, 1e-3f) << "bin " << b;
	}
	EXPECT_TRUE (switched);
}

struct ClosePairCase
{
	const char* label;
	double lower, upper; // input bins of the two partials
	double upperDb;      // level of the upper partial against the lower one
	float factor;
	int channels; // the pair is in the first; any other is silent
};

class SpectralTranspositionClosePair : public ::testing::TestWithParam<ClosePairCase>
{
};

// The heard output of two steady partials whose main lobes overlap is what each gives when
// transposed alone, added (each turned by its own phase): each partial's whole lobe where that
// partial moved, to within what the neighbour's leak does to the estimated frequencies (-45 dB and
// better). Reading each partial's stretch at that partial's offset alone would carry the
// neighbour's share of those bins along by the wrong offset and cut its lobe off at the stretch's
// edge: a misfit of -16 to -28 dB.
TEST_P (SpectralTranspositionClosePair, HeardAsEachAloneAdded)
{
	const ClosePairCase c = GetParam ();
	const auto heardAlone = [&c] (double centre, double levelDb) {
		SpectralTransposition st;
		configure (st, 1);
		addPartial (st.bandStates (0), centre, levelDb, true);
		st.process (steadyFrame (c.factor));
		const ComplexF* h = st.heard (0);
		std::vector<std::complex<double>> out (kBands);
		for (std::size_t b = 0; b < kBands; ++b)
			out[b] = {h[b].re, h[b].im};
		return out;
	};
	const auto p = heardAlone (c.lower, 0.0);
	const auto q = heardAlone (c.upper, c.upperDb);
	SpectralTransposition st;
	configure (st, c.channels);
	addPartial (st.bandStates (0), c.lower, 0.0, true);
	addPartial (st.bandStates (0), c.upper, c.upperDb, true);
	st.process (steadyFrame (c.factor));
	ASSERT_EQ (st.peaks ().size (), 2u) << c.label;

	// Least squares: heard = x p + y q over the bins of both lobes.
	const auto first = static_cast<std::size_t> (std::max (outputBinOf (c.lower, c.factor) - 6.0f, 0.0f));
	const auto last = static_cast<std::size_t> (outputBinOf (c.upper, c.factor)) + 7;
	std::complex<double> pp, qq, pq, ph, qh;
	double total = 0.0;
	for (std::size_t b = first; b <= last; ++b)
	{
		const std::complex<double> h {st.heard (0)[b].re, st.heard (0)[b].im};
		pp += std::norm (p[b]);
		qq += std::norm (q[b]);
		pq += std::conj (p[b]) * q[b];
		ph += std::conj (p[b]) * h;
		qh += std::conj (q[b]) * h;
		total += std::norm (h);
	}
	const std::complex<double> det = pp * qq - pq * std::conj (pq);
	const std::complex<double> x = (qq * ph - pq * qh) / det;
	const std::complex<double> y = (pp * qh - std::conj (pq) * ph) / det;
	double misfit = 0.0;
	for (std::size_t b = first; b <= last; ++b)
	{
		const std::complex<double> h {st.heard (0)[b].re, st.heard (0)[b].im};
		misfit += std::norm (h - x * p[b] - y * q[b]);
	}
	EXPECT_NEAR (std::abs (x), 1.0, 0.01) << c.label;
	EXPECT_NEAR (std::abs (y), 1.0, 0.01) << c.label;
	EXPECT_LT (10.0 * std::log10 (misfit / total), -40.0) << c.label;
}

INSTANTIATE_TEST_SUITE_P (
    Pairs, SpectralTranspositionClosePair,
    ::testing::Values (
        ClosePairCase {"equal, 3.1 bins apart, five semitones down", 100.2, 103.3, 0.0, 0.7491535f, 1},
        ClosePairCase {"equal, 2.6 bins apart, five semitones up", 100.7, 103.3, 0.0, 1.3348399f, 1},
        ClosePairCase {"upper 6 dB down, 3 bins apart, two up", 100.4, 103.4, -6.0, 1.122462f, 1},
        ClosePairCase {"upper 6 dB up, 2.4 bins apart, three down", 100.4, 102.8, 6.0, 0.8408964f, 1},
        ClosePairCase {"equal, 3.1 bins apart, five down, beside a silent channel", 100.2, 103.3, 0.0,
                       0.7491535f, 2},
        ClosePairCase {"equal, 3.1 bins apart, five up, at the bottom of the range", 3.2, 6.3, 0.0,
                       1.3348399f, 1}));

// Transposing down: the top output bins map above the input range, read zero there and stay
// silent in both channels.
TEST (SpectralTransposition, BinsMappedOutOfRangeAreSilent)
{
	SpectralTransposition st;
	configure (st, 2);
	addPartial (st.bandStates (0), 900.0, 0.0, true);
	addPartial (st.bandStates (1), 900.0, -6.0, true);
	const float factor = 0.7491535f; // five semitones down
	st.process (steadyFrame (factor));

	ASSERT_EQ (st.peaks ().size (), 1u);
	const float offset = st.peaks ()[0].inputBin - st.peaks ()[0].outputBin; // about 226
	ASSERT_GT (offset, 200.0f);
	const auto firstOutside = static_cast<std::size_t> (std::ceil (static_cast<float> (kBands) - offset));
	for (std::size_t b = firstOutside; b < kBands; ++b)
	{
		ASSERT_GE (st.binMap ()[b].inputBin, static_cast<float> (kBands));
		for (int c = 0; c < 2; ++c)
		{
			ASSERT_EQ (st.predictions (c)[b].energy, 0.0f) << b;
			ASSERT_EQ (st.bandStates (c)[b].output.re, 0.0f) << b;
			ASSERT_EQ (st.bandStates (c)[b].output.im, 0.0f) << b;
		}
	}
	// The partial itself lands on its transposed frequency (one frame's lobe, read between the
	// bins, is centred to a few hundredths of a bin).
	EXPECT_NEAR (outputCentroid (st.bandStates (0)), outputBinOf (900.0, factor), 0.05);
}

// Every output bin carries the energy its prediction asks for, whatever its rebuilt phase, on
// the first frame (random neighbour offsets) and on the steady frames after it.
TEST (SpectralTransposition, OutputBinsCarryPredictedEnergy)
{
	SpectralTransposition st;
	configure (st, 2);
	for (std::size_t b = 0; b < kBands; ++b)
	{
		const float phase = 0.37f * static_cast<float> (b * b % 23);
		const float magnitude = 1.0f + static_cast<float> ((b * 7) % 13);
		st.bandStates (0)[b].input = {magnitude * std::cos (phase), magnitude * std::sin (phase)};
		st.bandStates (1)[b].input = {0.5f * magnitude * std::sin (phase),
		                              0.7f * magnitude * std::cos (phase)};
	}
	const float timeFactors[] = {661.0f, 1.0f, 1.0f};
	for (const float timeFactor : timeFactors)
	{
		st.process ({true, true, timeFactor, 1.259921f, 1.0f});
		for (int c = 0; c < 2; ++c)
			for (std::size_t b = 0; b < kBands; ++b)
			{
				const float energy = st.predictions (c)[b].energy;
				const float got = squaredMagnitude (st.bandStates (c)[b].output);
				ASSERT_TRUE (std::isfinite (got));
				ASSERT_NEAR (got, energy, 1e-4f * energy + 1e-12f) << "channel " << c << " bin " << b;
			}
	}
}

// Alternating energies give the largest possible number of peaks, bands/2, which fits the
// capacity reserved by configure: the peak search does not allocate.
TEST (SpectralTransposition, MostPeaksFitReservedCapacity)
{
	SpectralTransposition st;
	configure (st, 1);
	for (std::size_t b = 0; b < kBands; b += 2)
		st.bandStates (0)[b].input = {1.0f, 0.0f};
	const std::size_t capacity = st.peaks ().capacity ();
	const SpectralPeak* storage = st.peaks ().data ();
	st.process (steadyFrame (1.059463f));
	EXPECT_EQ (st.peaks ().size (), kBands / 2);
	EXPECT_EQ (st.peaks ().capacity (), capacity);
	EXPECT_EQ (st.peaks ().data (), storage);
}

} // namespace
} // namespace cadora
