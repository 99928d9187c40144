#include "plugin/controller.h"

#include "editor/vantoeditor.h"
#include "plugin/parameters.h"
#include "plugin/statecodec.h"

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

// The controller shows only values fit to store: damaged ones become defaults or are clamped.
void VantoController::applyState (const StateFields& fields)
{
	for (ParamID id = 0; id < kParamCount; ++id)
		setParamNormalized (id, storableValue (id, fields.values[id]));
}

tresult PLUGIN_API VantoController::setComponentState (IBStream* state)
{
	StateFields fields;
	if (!readState (state, kComponentStateRules, fields))
		return kResultFalse;
	applyState (fields);
	return kResultOk;
}

tresult PLUGIN_API VantoController::setState (IBStream* state)
{
	StateFields fields;
	if (!readState (state, kControllerStateRules, fields))
		return kResultFalse;
	applyState (fields);
	setEditorSize (fields.editorWidth, fields.editorHeight);
	return kResultOk;
}

tresult PLUGIN_API VantoController::getState (IBStream* state)
{
	StateFields fields;
	for (ParamID id = 0; id < kParamCount; ++id)
		fields.values[id] = getParamNormalized (id);
	fields.editorWidth = editorSize.width;
	fields.editorHeight = editorSize.height;
	return writeState (state, kControllerStateRules, fields) ? kResultOk : kResultFalse;
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
