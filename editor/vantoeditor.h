// VantoEditor: the plug-in view the host sees. Opens one VSTGUI frame holding the
// CadoraDashboard, keeps the window at 500..1000 wide with the height tied by 1.07,
// remembers the size in the controller, owns the song detector from the first
// successful open until it is destroyed, and gives the dashboard eight callbacks that
// read and edit parameters through the controller. "HWND" parents on Windows,
// "X11EmbedWindowID" on Linux (where the host must offer its run loop, or the window
// does not open).
#pragma once

#include "editor/dashboardsource.h"

#include "public.sdk/source/vst/vstguieditor.h"

#include <memory>

namespace cadora {

class CadoraDashboard;
class SongDetector;
class VantoController;

class VantoEditor : public Steinberg::Vst::VSTGUIEditor
{
public:
	using tresult = Steinberg::tresult;
	using ViewRect = Steinberg::ViewRect;

	explicit VantoEditor (Steinberg::Vst::EditController* controller);
	~VantoEditor () override;

	bool PLUGIN_API open (void* parent, const VSTGUI::PlatformType& platformType) override;
	void PLUGIN_API close () override;
	tresult PLUGIN_API onSize (ViewRect* newSize) override;
	tresult PLUGIN_API canResize () override { return Steinberg::kResultTrue; }
	tresult PLUGIN_API checkSizeConstraint (ViewRect* rect) override;

	// Toolkit controls send edit gestures here; only real parameter ids reach the host
	// (the player menu is a control with tag -1).
	void beginEdit (int32_t index) override;
	void endEdit (int32_t index) override;

	// The eight callbacks handed to the dashboard, bound to this editor.
	DashboardCallbacks dashboardCallbacks ();
	void requestSize (int32_t width, int32_t height);
	void editPlayerSource (int32_t kind);
	int32_t readPlayerSource () const;
	void editHardness (double value);
	void editMuteStrength (double value);
	double readMuteStrength () const;
	void editPitch (int32_t semitones);
	int32_t readPitch () const;

	CadoraDashboard* getDashboard () const { return dashboard; }
	SongDetector* getSongDetector () const { return songDetector.get (); }

private:
	VantoController* vanto () const;
	void editParameter (Steinberg::Vst::ParamID id, double value, bool setOwnValue);

	CadoraDashboard* dashboard = nullptr; // owned by the frame
	std::unique_ptr<SongDetector> songDetector;
};

} // namespace cadora
