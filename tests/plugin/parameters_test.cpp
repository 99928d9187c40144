#include "plugin/controller.h"
#include "plugin/parameters.h"

#include "pluginterfaces/base/ustring.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace cadora {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN ();
constexpr double kInf = std::numeric_limits<double>::infinity ();

TEST (ParameterConversions, PitchRoundsHalvesAwayFromZero)
{
	const std::pair<double, int> cases[] = {
	    {0.5, 0}, {0.0, -5}, {1.0, 5}, {0.55, 1}, {0.45, 0}, {0.25, -2}, {0.75, 3}, {0.6, 1}, {0.4, -1},
	};
	for (auto [value, semitones] : cases)
		EXPECT_EQ (semitones, semitonesFromPitch (value)) << value;
}

TEST (ParameterConversions, DamagedValuesGiveSaneResults)
{
	EXPECT_EQ (0, semitonesFromPitch (kNaN));
	EXPECT_EQ (0, semitonesFromPitch (kInf));
	EXPECT_EQ (0, semitonesFromPitch (-kInf));
	EXPECT_EQ (5, semitonesFromPitch (5.0));
	EXPECT_EQ (-5, semitonesFromPitch (-3.0));
	EXPECT_EQ (5, semitonesFromPitch (1e300));
	EXPECT_EQ (0.0f, muteStrengthFromValue (kNaN));
	EXPECT_EQ (1.0f, muteStrengthFromValue (7.0));
	EXPECT_EQ (0.5, hardnessFromValue (kNaN));
	EXPECT_EQ (0, playerIndexFromSource (kNaN));
	EXPECT_EQ (5, playerIndexFromSource (2.0));
}

TEST (ParameterConversions, PlayerSourceAndEditorPitch)
{
	EXPECT_EQ (3, playerIndexFromSource (0.5));
	EXPECT_EQ (1, playerIndexFromSource (0.2));
	EXPECT_DOUBLE_EQ (0.7, pitchFromSemitones (2));
	EXPECT_DOUBLE_EQ (1.0, pitchFromSemitones (9));
	EXPECT_DOUBLE_EQ (0.0, pitchFromSemitones (-9));
}

class ControllerParameters : public ::testing::Test
{
protected:
	IPtr<VantoController> controller = owned (new VantoController);
	void SetUp () override { ASSERT_EQ (kResultOk, controller->initialize (nullptr)); }
	void TearDown () override { controller->terminate (); }

	std::string display (ParamID id, double value)
	{
		String128 text {};
		controller->getParamStringByValue (id, value, text);
		std::string ascii;
		for (int i = 0; i < 128 && text[i]; ++i)
			ascii += static_cast<char> (text[i]);
		return ascii;
	}
};

struct InfoRow
{
	const char16_t* title;
	const char16_t* units;
	int32 stepCount;
	double defaultValue;
	int32 flags;
};

TEST_F (ControllerParameters, RegistersSixInIdOrder)
{
	const InfoRow rows[] = {
	    {u"Hardness", u"", 0, 0.5, 1},      {u"Root", u"", 11, 0.0, 9},
	    {u"Minor", u"", 1, 0.0, 9},         {u"Player Source", u"", 5, 0.0, 8},
	    {u"Mute Strength", u"", 0, 0.0, 1}, {u"Pitch", u"semitones", 10, 0.5, 9},
	};
	ASSERT_EQ (6, controller->getParameterCount ());
	for (int32 i = 0; i < 6; ++i)
	{
		ParameterInfo info {};
		ASSERT_EQ (kResultOk, controller->getParameterInfo (i, info));
		EXPECT_EQ (static_cast<ParamID> (i), info.id);
		EXPECT_EQ (std::u16string (rows[i].title), std::u16string (info.title));
		EXPECT_EQ (std::u16string (rows[i].units), std::u16string (info.units));
		EXPECT_EQ (std::u16string (), std::u16string (info.shortTitle));
		EXPECT_EQ (rows[i].stepCount, info.stepCount);
		EXPECT_EQ (rows[i].defaultValue, info.defaultNormalizedValue);
		EXPECT_EQ (rows[i].flags, info.flags);
		EXPECT_EQ (0, info.unitId);
		EXPECT_EQ (rows[i].defaultValue, controller->getParamNormalized (i));
	}
}

TEST_F (ControllerParameters, DisplayStrings)
{
	EXPECT_EQ ("On", display (kParamMinor, 0.6));
	EXPECT_EQ ("Off", display (kParamMinor, 0.5));
	EXPECT_EQ ("0.2500", display (kParamHardness, 0.25));
	EXPECT_EQ ("0.5000", display (kParamPitch, 0.5));
	ParamValue parsed = 0;
	EXPECT_EQ (kResultOk, controller->getParamValueByString (kParamHardness, (TChar*)u"0.75", parsed));
	EXPECT_DOUBLE_EQ (0.75, parsed);
}

TEST_F (ControllerParameters, NormalisedValuesAreClampedAndPlainIsIdentity)
{
	controller->setParamNormalized (kParamMuteStrength, 3.0);
	EXPECT_EQ (1.0, controller->getParamNormalized (kParamMuteStrength));
	controller->setParamNormalized (kParamMuteStrength, -1.0);
	EXPECT_EQ (0.0, controller->getParamNormalized (kParamMuteStrength));
	EXPECT_EQ (0.3, controller->normalizedParamToPlain (kParamPitch, 0.3));
	EXPECT_EQ (0.3, controller->plainParamToNormalized (kParamPitch, 0.3));
}

} // namespace
} // namespace cadora
