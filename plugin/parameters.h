// The six host parameters: registration data, defaults, and the conversions the
// plug-in applies to their normalised values.
#pragma once

#include "plugin/ids.h"

#include <array>

namespace cadora {

struct ParameterDefinition
{
	const char16_t* title;
	const char16_t* units;
	Steinberg::int32 stepCount;
	double defaultValue;
	Steinberg::int32 flags;
};

// Indexed by ParamId.
extern const ParameterDefinition kParameterDefinitions[kParamCount];

// Default normalised value of a parameter id (0 for an unknown id).
double parameterDefault (Steinberg::Vst::ParamID id);
// Every parameter's default, indexed by ParamId.
std::array<double, kParamCount> parameterDefaults ();

// A normalised value fit to store: non-finite counts as the default, the rest is clamped to [0, 1].
double storableValue (Steinberg::Vst::ParamID id, double value);

// Derived values. Each treats a non-finite value as the parameter's default and
// keeps its result in range, so a damaged project cannot drive the plug-in wild.
int semitonesFromPitch (double pitch);         // -5..+5
int playerIndexFromSource (double source);     // 0..5
float muteStrengthFromValue (double strength); // 0..1
double hardnessFromValue (double hardness);    // 0..1

// Normalised Pitch for a semitone value s (clamped to -5..+5).
double pitchFromSemitones (double semitones);

} // namespace cadora
