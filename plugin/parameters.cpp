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

double storableValue (Steinberg::Vst::ParamID id, double value)
{
	return sanitised (value, parameterDefault (id));
}

int semitonesFromPitch (double pitch)
{
	return static_cast<int> (std::lround (sanitised (pitch, 0.5) * 10.0)) - 5;
}

int playerIndexFromSource (double source)
{
	return static_cast<int> (std::lround (sanitised (source, 0.0) * 5.0));
}

float muteStrengthFromValue (double strength)
{
	return static_cast<float> (sanitised (strength, 0.0));
}

double hardnessFromValue (double hardness)
{
	return sanitised (hardness, 0.5);
}

double pitchFromSemitones (double semitones)
{
	return 0.5 + std::clamp (semitones, -5.0, 5.0) * 0.1;
}

} // namespace cadora
