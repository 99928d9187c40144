#include "editor/vantoeditor.h"

#include "editor/dashboard.h"
#include "editor/palette.h"
#include "editor/pluginsource.h"
#include "platform/frameconfig.h"
#include "players/songdetector.h"
#include "plugin/controller.h"
#include "plugin/editorsize.h"
#include "plugin/ids.h"
#include "plugin/sharedstatus.h"

#include <algorithm>
#include <cmath>

namespace cadora {

using namespace Steinberg;
using namespace VSTGUI;

namespace {

double unit (double v)
{
	return std::isnan (v) ? 0.0 : std::clamp (v, 0.0, 1.0);
}

// The size a host reads before it makes its window: the last size the window had, so that
// the window opens at that size (a host may ignore the resize request that follows the
// opening when the view already reports the new size).
ViewRect initialRect (Vst::EditController* controller)
{
	int32_t width = kEditorMinWidth, height = 0;
	if (auto* c = dynamic_cast<VantoController*> (controller))
		c->getEditorSize (width, height);
	const EditorSize size = editorSizeForWidth (width);
	return ViewRect (0, 0, size.width, size.height);
}

} // namespace

VantoEditor::VantoEditor (Vst::EditController* controller) : VSTGUIEditor (controller)
{
	setRect (initialRect (controller));
}

VantoEditor::~VantoEditor ()
{
	if (frame)
		close ();
	songDetector.reset ();
}

VantoController* VantoEditor::vanto () const
{
	return dynamic_cast<VantoController*> (getController ());
}

bool PLUGIN_API VantoEditor::open (void* parent, const PlatformType& platformType)
{
	if (frame)
		return false;
	int32_t storedWidth = kEditorMinWidth, storedHeight = 0;
	if (auto* c = vanto ())
		c->getEditorSize (storedWidth, storedHeight);
	const EditorSize size = editorSizeForWidth (storedWidth);
	std::unique_ptr<IPlatformFrameConfig> config;
	if (!platform::makeFrameConfig (plugFrame, config))
		return false;
	frame = new CFrame (CRect (0, 0, size.width, size.height), this);
	if (!frame->open (parent, platformType, config.get ()))
	{
		frame->forget ();
		frame = nullptr;
		return false;
	}
	// The old detector lives until the new one runs, so detection has no gap.
	songDetector = std::make_unique<SongDetector> (readPlayerSource ());
	const CRect frameSize (0, 0, frame->getWidth (), frame->getHeight ());
	dashboard =
	    new CadoraDashboard (frameSize, dashboardCallbacks (),
	                         std::make_unique<PluginDashboardSource> (sharedStatus (), songDetector.get ()));
	frame->addView (dashboard);
	dashboard->invalid ();
	frame->invalid ();
	frame->setDirty (false);
	return true;
}

void PLUGIN_API VantoEditor::close ()
{
	if (frame)
	{
		if (auto* c = vanto ())
			c->setEditorSize (static_cast<int32_t> (frame->getWidth ()),
			                  static_cast<int32_t> (frame->getHeight ()));
		if (dashboard)
			frame->removeView (dashboard, true);
		frame->close ();
		frame = nullptr;
	}
	dashboard = nullptr;
}

tresult PLUGIN_API VantoEditor::onSize (ViewRect* newSize)
{
	// The base dereferences the size whenever a frame exists.
	if (!newSize)
		return kInvalidArgument;
	const tresult result = VSTGUIEditor::onSize (newSize);
	if (!dashboard || !frame)
		return result;
	frame->setBackgroundColor (palette::kBackground);
	dashboard->setViewSize (CRect (0, 0, newSize->getWidth (), newSize->getHeight ()), true);
	dashboard->invalid ();
	frame->invalid ();
	frame->setDirty (false);
	return result;
}

tresult PLUGIN_API VantoEditor::checkSizeConstraint (ViewRect* rect)
{
	if (!rect)
		return kInvalidArgument;
	const EditorSize size = editorSizeForWidth (int64_t (rect->right) - rect->left);
	rect->right = rect->left + size.width;
	rect->bottom = rect->top + size.height;
	return kResultTrue;
}

void VantoEditor::beginEdit (int32_t index)
{
	if (index >= 0 && index < static_cast<int32_t> (kParamCount))
		VSTGUIEditor::beginEdit (index);
}

void VantoEditor::endEdit (int32_t index)
{
	if (index >= 0 && index < static_cast<int32_t> (kParamCount))
		VSTGUIEditor::endEdit (index);
}

DashboardCallbacks VantoEditor::dashboardCallbacks ()
{
	DashboardCallbacks c;
	c.requestSize = [this] (int32_t w, int32_t h) {
		requestSize (w, h);
	};
	c.editPlayerSource = [this] (int32_t kind) {
		editPlayerSource (kind);
	};
	c.readPlayerSource = [this] {
		return readPlayerSource ();
	};
	c.editHardness = [this] (double v) {
		editHardness (v);
	};
	c.editMuteStrength = [this] (double v) {
		editMuteStrength (v);
	};
	c.readMuteStrength = [this] {
		return readMuteStrength ();
	};
	c.editPitch = [this] (int32_t n) {
		editPitch (n);
	};
	c.readPitch = [this] {
		return readPitch ();
	};
	return c;
}

void VantoEditor::requestSize (int32_t width, int32_t /*height*/)
{
	const EditorSize size = editorSizeForWidth (width);
	if (auto* c = vanto ())
		c->setEditorSize (size.width, size.height);
	if (plugFrame)
	{
		ViewRect r (0, 0, size.width, size.height);
		plugFrame->resizeView (this, &r);
	}
}

// setOwnValue: the controller's own value changes before the gesture, so that the
// dashboard reads the new value at once; otherwise the host sets it.
void VantoEditor::editParameter (Vst::ParamID id, double value, bool setOwnValue)
{
	auto* c = getController ();
	if (!c)
		return;
	if (setOwnValue)
		c->setParamNormalized (id, value);
	c->beginEdit (id);
	c->performEdit (id, value);
	c->endEdit (id);
}

void VantoEditor::editPlayerSource (int32_t kind)
{
	if (songDetector)
		songDetector->setPlayerKind (kind);
	editParameter (kParamPlayerSource, std::clamp (kind, 0, 5) * 0.2, false);
}

int32_t VantoEditor::readPlayerSource () const
{
	auto* c = getController ();
	return c ? static_cast<int32_t> (std::lround (c->getParamNormalized (kParamPlayerSource) * 5)) : 0;
}

void VantoEditor::editHardness (double value)
{
	editParameter (kParamHardness, unit (value), true);
}

void VantoEditor::editMuteStrength (double value)
{
	editParameter (kParamMuteStrength, unit (value), false);
}

double VantoEditor::readMuteStrength () const
{
	auto* c = getController ();
	return c ? c->getParamNormalized (kParamMuteStrength) : 0.0;
}

void VantoEditor::editPitch (int32_t semitones)
{
	const int32_t n = std::clamp (semitones, -5, 5);
	editParameter (kParamPitch, n * 0.1 + 0.5, true);
}

int32_t VantoEditor::readPitch () const
{
	auto* c = getController ();
	return c ? static_cast<int32_t> (std::lround (c->getParamNormalized (kParamPitch) * 10)) - 5 : 0;
}

} // namespace cadora
