#include "plugin/parameters.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <algorithm>
#include <cmath>

namespace cadora {

using Steinberg::Vst::ParameterInfo;

namespace {
constexpr Steinberg::int32 kAutomateList = ParameterInfo::kCanAutomate | ParameterInfo::kIsList;

// Non-finite values count as the default; the rest is clamped to [0, 1].
double sanitised (double value, double fallback)
{
	if (!std::isfinite (value))
		return fallback;
	return std::clamp (value, 0.0, 1.0);
}
} // namespace

const ParameterDefinition kParameterDefinitions[kParamCount] = {
    {u"Hardness", u"", 0, 0.5, ParameterInfo::kCanAutomate},
    {u"Root", u"", 11, 0.0, kAutomateList},
    {u"Minor", u"", 1, 0.0, kAutomateList},
    {u"Player Source", u"", 5, 0.0, ParameterInfo::kIsList},
    {u"Mute Strength", u"", 0, 0.0, ParameterInfo::kCanAutomate},
    {u"Pitch", u"semitones", 10, 0.5, kAutomateList},
};

double parameterDefault (Steinberg::Vst::ParamID id)
{
	return id < kParamCount ? kParameterDefinitions[id].defaultValue : 0.0;
}

std::array<double, kParamCount> parameterDefaults ()
{
	std::array<double, kParamCount> values {};
	for (Steinberg::Vst::ParamID id = 0; id < kParamCount; ++id)
		values[id] = parameterDefault (id);
	return values;
}

double storableValue (Steinberg::Vst::ParamID id, double value)
{
	return sanitised (value, parameterDefault (id));
}

int semitonesFromPitch (double pitch)
{
	return static_cast<int> (std::lround (sanitised (pitch, parameterDefault (kParamPitch)) * 10.0)) - 5;
}

int playerIndexFromSource (double source)
{
	return static_cast<int> (std::lround (sanitised (source, parameterDefault (kParamPlayerSource)) * 5.0));
}

float muteStrengthFromValue (double strength)
{
	return static_cast<float> (sanitised (strength, parameterDefault (kParamMuteStrength)));
}

double hardnessFromValue (double hardness)
{
	return sanitised (hardness, parameterDefault (kParamHardness));
}

double pitchFromSemitones (double semitones)
{
	return 0.5 + std::clamp (semitones, -5.0, 5.0) * 0.1;
}

} // namespace cadora
