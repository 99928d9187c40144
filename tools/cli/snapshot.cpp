#include "tools/cli/snapshot.h"

#include "editor/dashboard.h"
#include "editor/offscreenrender.h"
#include "editor/pluginsource.h"
#include "players/songdetector.h"
#include "plugin/editorsize.h"
#include "plugin/sharedstatus.h"
#include "tools/cli/analyze.h"
#include "tools/cli/autotunehost.h"
#include "tools/cli/options.h"
#include "tools/host/demomusic.h"

#include "vstgui/lib/vstguiinit.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace cadora::cli {

namespace {

struct SnapshotOptions
{
	std::string out;
	int width = 500;
	ProcessOptions music; // Pitch and Mute Strength as the music was processed
	std::string autotunePath;
};

bool parse (int argc, char** argv, SnapshotOptions& options, std::string& error)
{
	Arguments args;
	if (!splitArguments (argc, argv, 2, {"--width", "--pitch", "--mute", "--autotune"}, {}, args, error))
		return false;
	if (args.positional.size () != 1)
	{
		error = "snapshot needs OUT.png";
		return false;
	}
	options.out = args.positional[0];
	if (!parseProcessOptions (args, options.music, error))
		return false;
	long value = 0;
	if (auto it = args.options.find ("--width"); it != args.options.end ())
	{
		if (!parseInt ("--width", it->second, kEditorMinWidth, kEditorMaxWidth, value, error))
			return false;
		options.width = static_cast<int> (value);
	}
	if (auto it = args.options.find ("--autotune"); it != args.options.end ())
		options.autotunePath = it->second;
	return true;
}

// The song card shows what the detector finds on this desktop; wait for its first pass.
void waitForFirstPass (const SongDetector& detector)
{
	for (int i = 0; i < 300 && detector.passesCompleted () == 0; ++i)
		std::this_thread::sleep_for (std::chrono::milliseconds (10));
}

bool render (const SnapshotOptions& options, double musicSeconds, std::string& error)
{
	SongDetector detector (0);
	waitForFirstPass (detector);
	const EditorSize size = editorSizeForWidth (options.width);
	auto view =
	    VSTGUI::makeOwned<CadoraDashboard> (VSTGUI::CRect (0, 0, size.width, size.height),
	                                        fixedParameters (options.music.pitch, options.music.mute, 0),
	                                        std::make_unique<PluginDashboardSource> (sharedStatus (),
	                                                                                 &detector));
	// One refresh takes the auto-tune's retune value into the first slider; a few
	// drawings let the bars settle on the last band levels, as on screen.
	view->refreshTick ();
	VSTGUI::SharedPointer<VSTGUI::CBitmap> picture;
	for (int frame = 0; frame < 6; ++frame)
		picture = renderView (*view);
	if (!picture)
	{
		error = "the dashboard could not be drawn offscreen";
		return false;
	}
	if (!writePng (*picture, options.out))
	{
		error = "cannot write " + options.out;
		return false;
	}
	std::printf ("wrote %s: the dashboard at %d x %d after %.0f s of demo music\n", options.out.c_str (),
	             size.width, size.height, musicSeconds);
	return true;
}

} // namespace

int snapshotCommand (int argc, char** argv)
{
	SnapshotOptions options;
	std::string error;
	if (!parse (argc, argv, options, error))
	{
		std::fprintf (stderr, "cadora-cli: %s\n", error.c_str ());
		return 2;
	}
	AutoTuneHost autotune;
	if (!options.autotunePath.empty () && !autotune.load (options.autotunePath, error))
	{
		std::fprintf (stderr, "cadora-cli: %s\n", error.c_str ());
		return 2;
	}
#ifdef _WIN32
	// Offscreen drawing on Windows needs a Direct2D device made from a window; the
	// picture is made by the Linux build.
	std::fputs ("cadora-cli: snapshot is drawn by the Linux build of cadora-cli\n", stderr);
	return 1;
#endif
	const DemoClip clip = makeDemoClip ();
	Audio audio;
	audio.sampleRate = clip.sampleRate;
	audio.channels = 2;
	audio.interleaved = clip.interleaved;
	AnalysisResult result;
	runAnalysis (
	    audio, options.music, [] (const Snapshot&) {}, result);

	VSTGUI::init (nullptr);
	const bool ok = render (options, clip.seconds, error);
	VSTGUI::exit ();
	if (!ok)
	{
		std::fprintf (stderr, "cadora-cli: %s\n", error.c_str ());
		return 2;
	}
	return 0;
}

} // namespace cadora::cli
