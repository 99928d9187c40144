// VantoController: the edit controller. Publishes the six parameters, mirrors the
// processor's state, keeps its own state and the editor's size.
#pragma once

#include "plugin/editorsize.h"
#include "plugin/ids.h"

#include "public.sdk/source/vst/vsteditcontroller.h"

namespace cadora {

struct StateFields;

class VantoController : public Steinberg::Vst::EditController
{
public:
	using tresult = Steinberg::tresult;

	static Steinberg::FUnknown* createInstance (void*)
	{
		return static_cast<Steinberg::Vst::IEditController*> (new VantoController);
	}

	tresult PLUGIN_API initialize (Steinberg::FUnknown* context) override;
	tresult PLUGIN_API setComponentState (Steinberg::IBStream* state) override;
	tresult PLUGIN_API setState (Steinberg::IBStream* state) override;
	tresult PLUGIN_API getState (Steinberg::IBStream* state) override;
	Steinberg::IPlugView* PLUGIN_API createView (Steinberg::FIDString name) override;

	void getEditorSize (int32_t& width, int32_t& height) const;
	// Width clamped to 500..1000; height always follows the width (aspect 1.07).
	void setEditorSize (int32_t width, int32_t height);

private:
	void applyState (const StateFields& fields);

	EditorSize editorSize = editorSizeForWidth (kEditorMinWidth);
};

} // namespace cadora
