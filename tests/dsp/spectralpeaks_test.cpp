// Where a partial lies between the bins: from its phase advance over one interval (exact for a
// steady partial, refused when it cannot be the bin's own partial) and from the shape of the
// energies around its strongest bin.
#include "dsp/mathconstants.h"
#include "dsp/spectralpeaks.h"

#include <gtest/gtest.h>

#include <cmath>

namespace cadora {
namespace {

struct AdvanceCase
{
	const char* label;
	std::size_t bin;
	double offset; // of the partial from the bin
	std::size_t hop;
	std::size_t fftSize;
	float coherence; // |advance| against the bin's energy
	bool valid;
};

class OffsetFromPhaseAdvance : public ::testing::TestWithParam<AdvanceCase>
{
};

// A partial at bin + offset turns by 2 pi hop (bin + offset + 0.5)/N per interval; the offset
// comes back whatever the number of whole turns, as long as it is within a bin of the bin.
TEST_P (OffsetFromPhaseAdvance, RecoversTheOffset)
{
	const AdvanceCase c = GetParam ();
	const double turn = kTwoPi * static_cast<double> (c.hop) *
	                    (static_cast<double> (c.bin) + c.offset + 0.5) / static_cast<double> (c.fftSize);
	const float energy = 4.0f;
	const ComplexF advance {c.coherence * energy * static_cast<float> (std::cos (turn)),
	                        c.coherence * energy * static_cast<float> (std::sin (turn))};
	float offset = 99.0f;
	ASSERT_EQ (offsetFromPhaseAdvance (advance, energy, c.bin, c.hop, c.fftSize, offset), c.valid) << c.label;
	if (c.valid)
	{
		EXPECT_NEAR (offset, c.offset, 2e-4) << c.label;
	}
}

INSTANTIATE_TEST_SUITE_P (Cases, OffsetFromPhaseAdvance,
                          ::testing::Values (AdvanceCase {"on the bin", 20, 0.0, 661, 2048, 1.0f, true},
                                             AdvanceCase {"0.3 above", 20, 0.3, 661, 2048, 1.0f, true},
                                             AdvanceCase {"0.9 below", 20, -0.9, 661, 2048, 1.0f, true},
                                             AdvanceCase {"0.95 above, high bin (many whole turns)", 1000,
                                                          0.95, 661, 2048, 1.0f, true},
                                             AdvanceCase {"48 kHz hop", 300, -0.45, 720, 2048, 1.0f, true},
                                             AdvanceCase {"8 kHz frame", 50, 0.6, 120, 320, 1.0f, true},
                                             AdvanceCase {"1.3 above: another bin's partial", 20, 1.3, 661,
                                                          2048, 1.0f, false},
                                             AdvanceCase {"weak advance (noise, or no earlier frame)", 20,
                                                          0.3, 661, 2048, 0.05f, false}));

// For a lobe whose logarithm is a parabola (a Gaussian), the fit is exact; flat or rising
// surroundings give the bin itself.
TEST (OffsetFromMagnitudes, ParabolaThroughLogEnergies)
{
	for (const float offset : {-0.45f, -0.2f, 0.0f, 0.1f, 0.4f})
	{
		const auto lobe = [offset] (float j) {
			return std::exp (-0.8f * (j - offset) * (j - offset));
		};
		EXPECT_NEAR (offsetFromMagnitudes (lobe (-1.0f), lobe (0.0f), lobe (1.0f)), offset, 1e-4f) << offset;
	}
	EXPECT_EQ (offsetFromMagnitudes (1.0f, 1.0f, 1.0f), 0.0f);
	EXPECT_EQ (offsetFromMagnitudes (0.0f, 1.0f, 0.0f), 0.0f);
}

} // namespace
} // namespace cadora
