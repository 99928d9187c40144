// cadora-cli: runs the plug-in's processor on audio files, in process and faster than
// real time, exactly as a host drives it; and shows what the plug-in's song detection
// sees on this desktop.
#include "platform/consoleprogram.h"
#include "tools/cli/analyze.h"
#include "tools/cli/demo.h"
#include "tools/cli/options.h"
#include "tools/cli/players.h"
#include "tools/cli/processing.h"
#include "tools/cli/snapshot.h"
#include "tools/cli/wavfile.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace cadora::cli;

constexpr int kBadInput = 2;

const char* const kUsage =
    "usage: cadora-cli process IN.wav OUT.wav [--pitch N] [--mute G] [--block N]\n"
    "       cadora-cli analyze IN.wav [--json] [--pitch N] [--block N] [--autotune PATH]\n"
    "       cadora-cli players [--source N] [--passes K] [--json]\n"
    "       cadora-cli demo\n"
    "       cadora-cli snapshot OUT.png [--width W] [--pitch N] [--mute G] [--autotune PATH]\n";

int fail (const std::string& message)
{
	std::fprintf (stderr, "cadora-cli: %s\n", message.c_str ());
	return kBadInput;
}

int commandProcess (int argc, char** argv)
{
	Arguments args;
	std::string error;
	if (!splitArguments (argc, argv, 2, {"--pitch", "--mute", "--block"}, {}, args, error))
		return fail (error);
	if (args.positional.size () != 2)
		return fail ("process needs IN.wav and OUT.wav");
	ProcessOptions options;
	if (!parseProcessOptions (args, options, error))
		return fail (error);
	Audio in;
	if (!readAudio (args.positional[0], in, error))
		return fail (error);
	Audio out;
	ProcessStats stats;
	if (!processAudio (in, options, out, stats, error))
		return fail (error);
	if (!writeAudio (args.positional[1], out, error))
		return fail (error);
	std::printf ("wrote %s: %zu frames, %d channel(s), %d Hz, pitch %+d, mute %.2f\n",
	             args.positional[1].c_str (), out.frames (), out.channels, out.sampleRate, options.pitch,
	             options.mute);
	return 0;
}

int commandAnalyze (int argc, char** argv)
{
	Arguments args;
	std::string error;
	if (!splitArguments (argc, argv, 2, {"--pitch", "--block", "--autotune"}, {"--json"}, args, error))
		return fail (error);
	if (args.positional.size () != 1)
		return fail ("analyze needs IN.wav");
	ProcessOptions common;
	if (!parseProcessOptions (args, common, error))
		return fail (error);
	AnalyzeOptions options;
	options.json = args.options.count ("--json") > 0;
	options.block = common.block;
	options.pitch = common.pitch;
	if (auto it = args.options.find ("--autotune"); it != args.options.end ())
		options.autotunePath = it->second;
	Audio in;
	if (!readAudio (args.positional[0], in, error))
		return fail (error);
	return analyzeAudio (in, options);
}

int commandPlayers (int argc, char** argv)
{
	Arguments args;
	std::string error;
	if (!splitArguments (argc, argv, 2, {"--source", "--passes"}, {"--json"}, args, error))
		return fail (error);
	if (!args.positional.empty ())
		return fail ("players takes no file, only --source, --passes and --json");
	PlayersOptions options;
	long value = 0;
	if (auto it = args.options.find ("--source"); it != args.options.end ())
	{
		if (!parseInt ("--source", it->second, 0, 5, value, error))
			return fail (error);
		options.source = static_cast<int32_t> (value);
	}
	if (auto it = args.options.find ("--passes"); it != args.options.end ())
	{
		if (!parseInt ("--passes", it->second, 1, 100000, value, error))
			return fail (error);
		options.passes = static_cast<int> (value);
	}
	options.json = args.options.count ("--json") > 0;
	return runPlayers (options);
}

} // namespace

int main (int systemArgc, char** systemArgv)
{
	cadora::platform::useUtf8Console ();
	std::vector<std::string> arguments = cadora::platform::utf8Arguments (systemArgc, systemArgv);
	std::vector<char*> pointers;
	for (std::string& argument : arguments)
		pointers.push_back (argument.data ());
	pointers.push_back (nullptr);
	const int argc = static_cast<int> (arguments.size ());
	char** argv = pointers.data ();

	const std::string command = argc > 1 ? argv[1] : "";
	if (command == "process")
		return commandProcess (argc, argv);
	if (command == "analyze")
		return commandAnalyze (argc, argv);
	if (command == "players")
		return commandPlayers (argc, argv);
	if (command == "snapshot")
		return snapshotCommand (argc, argv);
	if (command == "demo")
	{
		if (argc > 2)
			return fail ("demo takes no arguments");
		return runDemo ();
	}
	std::fputs (kUsage, stderr);
	return kBadInput;
}
