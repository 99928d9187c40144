// The editor object on a real controller: the eight callbacks' parameter edits, the size
// policy towards host and controller, the view type, and what happens without a
// controller or without a usable host.
#include "editor/vantoeditor.h"
#include "plugin/controller.h"
#include "plugin/ids.h"

#include "base/source/fobject.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace cadora {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using Log = std::vector<std::string>;

std::string edit (const char* what, ParamID id, double v = -1)
{
	char text[64];
	if (v < 0)
		std::snprintf (text, sizeof (text), "%s %u", what, id);
	else
		std::snprintf (text, sizeof (text), "%s %u %.3f", what, id, v);
	return text;
}

class RecordingHandler : public FObject,
                         public IComponentHandler
{
public:
	Log log;
	tresult PLUGIN_API beginEdit (ParamID id) override
	{
		log.push_back (edit ("begin", id));
		return kResultOk;
	}
	tresult PLUGIN_API performEdit (ParamID id, ParamValue v) override
	{
		log.push_back (edit ("perform", id, v));
		return kResultOk;
	}
	tresult PLUGIN_API endEdit (ParamID id) override
	{
		log.push_back (edit ("end", id));
		return kResultOk;
	}
	tresult PLUGIN_API restartComponent (int32) override { return kResultOk; }
	OBJ_METHODS (RecordingHandler, FObject)
	DEFINE_INTERFACES
	DEF_INTERFACE (IComponentHandler)
	END_DEFINE_INTERFACES (FObject)
	REFCOUNT_METHODS (FObject)
};

class RecordingPlugFrame : public FObject,
                           public IPlugFrame
{
public:
	std::vector<ViewRect> requests;
	tresult PLUGIN_API resizeView (IPlugView*, ViewRect* r) override
	{
		requests.push_back (*r);
		return kResultTrue;
	}
	OBJ_METHODS (RecordingPlugFrame, FObject)
	DEFINE_INTERFACES
	DEF_INTERFACE (IPlugFrame)
	END_DEFINE_INTERFACES (FObject)
	REFCOUNT_METHODS (FObject)
};

// A controller as a host sets it up, with a recording handler, and an editor on it.
struct EditorRig
{
	IPtr<VantoController> controller = owned (new VantoController);
	IPtr<RecordingHandler> handler = owned (new RecordingHandler);
	IPtr<VantoEditor> editor;

	EditorRig ()
	{
		controller->initialize (nullptr);
		controller->setComponentHandler (handler);
		editor = Steinberg::owned (static_cast<VantoEditor*> (controller->createView (ViewType::kEditor)));
	}
	// The host's side of the editor (some of VSTGUIEditor's overrides are protected).
	IPlugView* view () { return editor.get (); }
	~EditorRig ()
	{
		editor = nullptr;
		controller->terminate ();
	}
};

struct EditorTest : ::testing::Test,
                    EditorRig
{
	void SetUp () override { ASSERT_TRUE (editor); }
};

TEST_F (EditorTest, ViewOnlyForTheExactName)
{
	IPtr<IPlugView> second = owned (controller->createView ("editor"));
	EXPECT_TRUE (second);
	EXPECT_NE (static_cast<IPlugView*> (editor.get ()), second.get ()) << "two independent editors";
	for (const char* name : {"Editor", "", "editor ", static_cast<const char*> (nullptr)})
		EXPECT_EQ (nullptr, controller->createView (name)) << (name ? name : "null");
}

TEST (EditorCallbacks, EditThroughTheController)
{
	const struct
	{
		const char* label;
		std::function<void (VantoEditor&)> call;
		Log sent;
		ParamID id;
		bool setsOwnValue; // the controller's value changes before the gesture
		double value;
	} cases[] = {
	    {"pitch 9 clamps to +5",
	     [] (VantoEditor& e) { e.editPitch (9); },
	     {"begin 5", "perform 5 1.000", "end 5"},
	     kParamPitch,
	     true,
	     1.0},
	    {"pitch -9 clamps to -5",
	     [] (VantoEditor& e) { e.editPitch (-9); },
	     {"begin 5", "perform 5 0.000", "end 5"},
	     kParamPitch,
	     true,
	     0.0},
	    {"pitch +2",
	     [] (VantoEditor& e) { e.editPitch (2); },
	     {"begin 5", "perform 5 0.700", "end 5"},
	     kParamPitch,
	     true,
	     0.7},
	    {"player source 5: the gesture only",
	     [] (VantoEditor& e) { e.editPlayerSource (5); },
	     {"begin 3", "perform 3 1.000", "end 3"},
	     kParamPlayerSource,
	     false,
	     0.0},
	    {"hardness clamps and sets its own value",
	     [] (VantoEditor& e) { e.editHardness (1.5); },
	     {"begin 0", "perform 0 1.000", "end 0"},
	     kParamHardness,
	     true,
	     1.0},
	    {"hardness below 0",
	     [] (VantoEditor& e) { e.editHardness (-0.2); },
	     {"begin 0", "perform 0 0.000", "end 0"},
	     kParamHardness,
	     true,
	     0.0},
	    {"mute strength: the gesture only",
	     [] (VantoEditor& e) { e.editMuteStrength (0.25); },
	     {"begin 4", "perform 4 0.250", "end 4"},
	     kParamMuteStrength,
	     false,
	     0.0},
	};
	for (const auto& c : cases)
	{
		EditorRig rig;
		const double before = rig.controller->getParamNormalized (c.id);
		c.call (*rig.editor);
		EXPECT_EQ (c.sent, rig.handler->log) << c.label;
		EXPECT_DOUBLE_EQ (c.setsOwnValue ? c.value : before, rig.controller->getParamNormalized (c.id))
		    << c.label;
	}
}

TEST_F (EditorTest, ReadsRoundTheControllersValues)
{
	controller->setParamNormalized (kParamPitch, 0.71);
	controller->setParamNormalized (kParamPlayerSource, 0.59);
	controller->setParamNormalized (kParamMuteStrength, 0.33);
	EXPECT_EQ (2, editor->readPitch ());
	EXPECT_EQ (3, editor->readPlayerSource ());
	EXPECT_DOUBLE_EQ (0.33, editor->readMuteStrength ());
	// The callbacks handed to the dashboard reach the same controller.
	DashboardCallbacks callbacks = editor->dashboardCallbacks ();
	EXPECT_EQ (2, callbacks.readPitch ());
	callbacks.editPitch (-1);
	EXPECT_EQ (-1, editor->readPitch ());
}

TEST_F (EditorTest, RequestSizeStoresAndAsksTheHost)
{
	editor->requestSize (750, 0);
	int32 w = 0, h = 0;
	controller->getEditorSize (w, h);
	EXPECT_EQ (750, w);
	EXPECT_EQ (803, h);

	IPtr<RecordingPlugFrame> plugFrame = owned (new RecordingPlugFrame);
	view ()->setFrame (plugFrame);
	editor->requestSize (1200, 5);
	ASSERT_EQ (1u, plugFrame->requests.size ());
	const ViewRect& r = plugFrame->requests[0];
	EXPECT_EQ (0, r.left);
	EXPECT_EQ (0, r.top);
	EXPECT_EQ (1000, r.right);
	EXPECT_EQ (1070, r.bottom);
	controller->getEditorSize (w, h);
	EXPECT_EQ (1000, w);
	view ()->setFrame (nullptr);
}

TEST_F (EditorTest, SizeConstraintFollowsTheWidth)
{
	const struct
	{
		ViewRect in, out;
	} cases[] = {
	    {{10, 20, 610, 900}, {10, 20, 610, 662}},
	    {{0, 0, 400, 100}, {0, 0, 500, 535}},
	    {{0, 0, 999, 0}, {0, 0, 999, 1069}},
	    {{5, 5, 2005, 5}, {5, 5, 1005, 1075}},
	};
	for (auto c : cases)
	{
		EXPECT_EQ (kResultTrue, editor->checkSizeConstraint (&c.in));
		EXPECT_EQ (c.out.left, c.in.left);
		EXPECT_EQ (c.out.top, c.in.top);
		EXPECT_EQ (c.out.right, c.in.right);
		EXPECT_EQ (c.out.bottom, c.in.bottom);
	}
	EXPECT_EQ (kInvalidArgument, editor->checkSizeConstraint (nullptr));
	EXPECT_EQ (kResultTrue, editor->canResize ());
	EXPECT_EQ (kInvalidArgument, editor->onSize (nullptr)) << "no size: refused, not dereferenced";
}

TEST_F (EditorTest, ViewSizeBeforeOpeningIsTheStoredSize)
{
	ViewRect r;
	ASSERT_EQ (kResultTrue, editor->getSize (&r));
	EXPECT_EQ (500, r.getWidth ());
	EXPECT_EQ (535, r.getHeight ());
	// A host makes its window from getSize before attaching: a new view reports the
	// size the window had last.
	controller->setEditorSize (700, 0);
	IPtr<IPlugView> next = owned (controller->createView ("editor"));
	ASSERT_EQ (kResultTrue, next->getSize (&r));
	EXPECT_EQ (700, r.getWidth ());
	EXPECT_EQ (749, r.getHeight ());
}

TEST_F (EditorTest, OnlyRealParameterGesturesReachTheHost)
{
	// A toolkit control with tag -1 (the player menu) must not send a gesture.
	editor->beginEdit (-1);
	editor->endEdit (-1);
	editor->beginEdit (kParamCount);
	EXPECT_TRUE (handler->log.empty ());
	editor->beginEdit (kParamMuteStrength);
	EXPECT_EQ ((Log {"begin 4"}), handler->log);
}

TEST_F (EditorTest, PlatformTypeOfThisSystem)
{
#if defined(_WIN32)
	EXPECT_EQ (kResultTrue, editor->isPlatformTypeSupported (kPlatformTypeHWND));
	EXPECT_NE (kResultTrue, editor->isPlatformTypeSupported (kPlatformTypeX11EmbedWindowID));
#else
	EXPECT_EQ (kResultTrue, editor->isPlatformTypeSupported (kPlatformTypeX11EmbedWindowID));
	EXPECT_NE (kResultTrue, editor->isPlatformTypeSupported (kPlatformTypeHWND));
	// A host that offers no run loop cannot have a window: nothing is opened or started
	// (the SDK's base reports the attachment itself either way).
	view ()->attached (reinterpret_cast<void*> (0x1234), kPlatformTypeX11EmbedWindowID);
	EXPECT_EQ (nullptr, editor->getSongDetector ());
	EXPECT_EQ (nullptr, editor->getDashboard ());
#endif
}

TEST (EditorWithoutController, SendsNothingReadsDefaults)
{
	IPtr<VantoEditor> editor = Steinberg::owned (new VantoEditor (nullptr));
	editor->editPitch (3);
	editor->editHardness (0.4);
	editor->editMuteStrength (0.4);
	editor->editPlayerSource (2);
	editor->requestSize (700, 0);
	EXPECT_EQ (0, editor->readPitch ());
	EXPECT_EQ (0, editor->readPlayerSource ());
	EXPECT_EQ (0.0, editor->readMuteStrength ());
}

} // namespace
} // namespace cadora
