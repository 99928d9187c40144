#include "plugin/controller.h"

#include "editor/vantoeditor.h"
#include "plugin/parameters.h"

#include "base/source/fstreamer.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/gui/iplugview.h"

#include <cstring>

namespace cadora {

using namespace Steinberg;
using namespace Steinberg::Vst;

tresult PLUGIN_API VantoController::initialize (FUnknown* context)
{
	const tresult result = EditController::initialize (context);
	if (result != kResultOk)
		return result;
	for (ParamID id = 0; id < kParamCount; ++id)
	{
		const ParameterDefinition& definition = kParameterDefinitions[id];
		ParameterInfo info {};
		info.id = id;
		UString (info.title, str16BufferSize (String128)).assign (definition.title);
		UString (info.units, str16BufferSize (String128)).assign (definition.units);
		info.stepCount = definition.stepCount;
		info.defaultNormalizedValue = definition.defaultValue;
		info.unitId = kRootUnitId;
		info.flags = definition.flags;
		parameters.addParameter (info);
	}
	return kResultOk;
}

tresult PLUGIN_API VantoController::setComponentState (IBStream* state)
{
	if (!state)
		return kResultFalse;
	IBStreamer streamer (state, kLittleEndian);
	double values[kParamCount] {};
	for (int id = kParamHardness; id <= kParamMuteStrength; ++id)
	{
		if (!streamer.readDouble (values[id]))
			return kResultFalse;
	}
	if (!streamer.readDouble (values[kParamPitch]))
		values[kParamPitch] = 0.5;
	for (ParamID id = 0; id < kParamCount; ++id)
		setParamNormalized (id, storableValue (id, values[id]));
	return kResultOk;
}

tresult PLUGIN_API VantoController::setState (IBStream* state)
{
	if (!state)
		return kResultFalse;
	IBStreamer streamer (state, kLittleEndian);
	double values[kParamCount] {};
	for (int id = kParamHardness; id <= kParamPlayerSource; ++id)
	{
		if (!streamer.readDouble (values[id]))
			return kResultFalse;
	}
	int32 width = 0;
	int32 height = 0;
	if (!streamer.readInt32 (width) || !streamer.readInt32 (height))
		return kResultFalse;
	if (!streamer.readDouble (values[kParamMuteStrength]))
		values[kParamMuteStrength] = 0.0;
	if (!streamer.readDouble (values[kParamPitch]))
		values[kParamPitch] = 0.5;
	for (ParamID id = 0; id < kParamCount; ++id)
		setParamNormalized (id, storableValue (id, values[id]));
	setEditorSize (width, height);
	return kResultOk;
}

tresult PLUGIN_API VantoController::getState (IBStream* state)
{
	if (!state)
		return kResultFalse;
	IBStreamer streamer (state, kLittleEndian);
	bool ok = true;
	for (ParamID id = kParamHardness; id <= kParamPlayerSource; ++id)
		ok = ok && streamer.writeDouble (getParamNormalized (id));
	ok = ok && streamer.writeInt32 (editorSize.width) && streamer.writeInt32 (editorSize.height);
	ok = ok && streamer.writeDouble (getParamNormalized (kParamMuteStrength));
	ok = ok && streamer.writeDouble (getParamNormalized (kParamPitch));
	return ok ? kResultOk : kResultFalse;
}

IPlugView* PLUGIN_API VantoController::createView (FIDString name)
{
	if (!name || std::strcmp (name, ViewType::kEditor) != 0)
		return nullptr;
	return new VantoEditor (this);
}

void VantoController::getEditorSize (int32_t& width, int32_t& height) const
{
	width = editorSize.width;
	height = editorSize.height;
}

void VantoController::setEditorSize (int32_t width, int32_t /*height*/)
{
	editorSize = editorSizeForWidth (width);
}

} // namespace cadora
