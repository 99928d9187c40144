// The one layout of the plug-in's state streams, read and written here for the processor's
// state, the controller's own state and the processor state the controller is handed.
// Little-endian, no header, no version: the parameters as doubles in id order, except that
// the controller's stream puts the editor size (two int32) after Player Source. Mute
// Strength and Pitch came later: a stream that ends before them is still accepted, and
// they get their defaults. A stream that ends before a required field is refused.
#pragma once

#include "plugin/ids.h"

#include "pluginterfaces/base/ibstream.h"

#include <array>
#include <cstdint>

namespace cadora {

// What a stream holds and how much of it must be there.
struct StateRules
{
	bool editorSize;        // the controller's layout: the editor size after Player Source, required
	int requiredParameters; // leading parameters (in stream order) without which a stream is refused
};

constexpr StateRules kProcessorStateRules {false, 4};
// The controller reads the processor's stream more strictly: Mute Strength must be there.
constexpr StateRules kComponentStateRules {false, 5};
constexpr StateRules kControllerStateRules {true, 4};

struct StateFields
{
	std::array<double, kParamCount> values {}; // as stored: unchecked, maybe not even finite
	int32_t editorWidth = 0;
	int32_t editorHeight = 0;
	// Parameters read before the stream ended. When a required one is missing this is its
	// id, and its value is 0.
	int parametersRead = 0;
};

// Reads `state` by `rules` into `fields`; false for a refused stream (or none).
bool readState (Steinberg::IBStream* state, const StateRules& rules, StateFields& fields);
// Writes every field of the layout; false when the stream takes less.
bool writeState (Steinberg::IBStream* state, const StateRules& rules, const StateFields& fields);

} // namespace cadora
