#include "plugin/statecodec.h"

#include "plugin/parameters.h"

#include "base/source/fstreamer.h"

namespace cadora {

using namespace Steinberg;

namespace {
constexpr int kFieldsBeforeEditorSize = kParamPlayerSource + 1;
} // namespace

bool readState (IBStream* state, const StateRules& rules, StateFields& fields)
{
	if (!state)
		return false;
	IBStreamer streamer (state, kLittleEndian);
	fields.parametersRead = 0;
	for (int id = 0; id < static_cast<int> (kParamCount); ++id)
	{
		if (rules.editorSize && id == kFieldsBeforeEditorSize &&
		    (!streamer.readInt32 (fields.editorWidth) || !streamer.readInt32 (fields.editorHeight)))
			return false;
		double value = 0.0;
		const bool read = streamer.readDouble (value);
		if (!read && id < rules.requiredParameters)
		{
			fields.values[id] = 0.0;
			return false;
		}
		fields.values[id] = read ? value : parameterDefault (static_cast<ParamId> (id));
		if (read)
			fields.parametersRead = id + 1;
	}
	return true;
}

bool writeState (IBStream* state, const StateRules& rules, const StateFields& fields)
{
	if (!state)
		return false;
	IBStreamer streamer (state, kLittleEndian);
	for (int id = 0; id < static_cast<int> (kParamCount); ++id)
	{
		if (rules.editorSize && id == kFieldsBeforeEditorSize &&
		    (!streamer.writeInt32 (fields.editorWidth) || !streamer.writeInt32 (fields.editorHeight)))
			return false;
		if (!streamer.writeDouble (fields.values[id]))
			return false;
	}
	return true;
}

} // namespace cadora
