// cadora-cli as a user runs it: good files processed, bad input refused with one error
// line, exit code 2 and nothing written; the players command printing one line per pass.
// The same tests run the Linux tool and, under Wine, cadora-cli.exe.
#include "wavbuilder.h"

#include "tools/cli/wavfile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using cadora::cli::Audio;

struct CliRun
{
	int code;
	std::string out;
	std::string err;
};

class Cli : public ::testing::Test
{
protected:
	fs::path dir;

	void SetUp () override
	{
		static std::atomic<int> counter {0};
		const auto stamp = std::chrono::steady_clock::now ().time_since_epoch ().count ();
		dir = fs::temp_directory_path () /
		      ("cadora-cli-test-" + std::to_string (stamp) + "-" + std::to_string (++counter));
		fs::create_directories (dir);
	}
	void TearDown () override
	{
		std::error_code ignored;
		fs::remove_all (dir, ignored);
	}

	// A path in the test's folder, UTF-8, quoted for the command line when needed.
	std::string path (const std::string& name) const { return (dir / fs::u8path (name)).u8string (); }

	CliRun run (const std::string& args)
	{
		const std::string out = path ("stdout"), err = path ("stderr");
		const int code = runCommand (std::string (CADORA_CLI) + " " + args + " >" + out + " 2>" + err);
		return {code, slurp (out), slurp (err)};
	}
	static int runCommand (const std::string& command)
	{
#ifdef _WIN32
		// The wide call, so that a Chinese file name reaches the program intact.
		return _wsystem (fs::u8path (command).wstring ().c_str ());
#else
		const int status = std::system (command.c_str ());
		return WIFEXITED (status) ? WEXITSTATUS (status) : -1;
#endif
	}
	static std::string slurp (const std::string& file)
	{
		std::ifstream in (fs::u8path (file), std::ios::binary);
		std::stringstream s;
		s << in.rdbuf ();
		return s.str ();
	}
	static bool exists (const std::string& file)
	{
		return fs::exists (fs::u8path (file));
	}

	static void writeBytes (const std::string& file, const std::vector<uint8_t>& bytes)
	{
		std::ofstream out (fs::u8path (file), std::ios::binary);
		out.write (reinterpret_cast<const char*> (bytes.data ()),
		           static_cast<std::streamsize> (bytes.size ()));
	}
	void writeWav (const std::string& file, int channels, int frames, int rate = 44100)
	{
		writeBytes (file, cadora::test::toneWav (channels, frames, rate));
	}
	static Audio readWav (const std::string& file)
	{
		Audio audio;
		std::string error;
		EXPECT_TRUE (cadora::cli::readAudio (file, audio, error)) << error;
		return audio;
	}
	static int lines (const std::string& text)
	{
		int n = 0;
		for (char c : text)
			n += c == '\n';
		return n;
	}
};

TEST_F (Cli, BadInputIsRefusedWithOneLineAndNothingWritten)
{
	writeWav (path ("stereo.wav"), 2, 4410);
	writeWav (path ("three.wav"), 3, 4410);
	writeBytes (path ("text.wav"), {'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o'});
	std::vector<uint8_t> truncated = cadora::test::toneWav (2, 4410);
	truncated.resize (truncated.size () / 2);
	writeBytes (path ("truncated.wav"), truncated);
	const std::string out = path ("out.wav");
	const std::string cases[] = {
	    "process " + path ("missing.wav") + " " + out,
	    "process " + path ("three.wav") + " " + out,
	    "process " + path ("text.wav") + " " + out,
	    "process " + path ("truncated.wav") + " " + out,
	    "process " + dir.u8string () + " " + out,
	    "process " + path ("stereo.wav") + " " + out + " --pitch 6",
	    "process " + path ("stereo.wav") + " " + out + " --pitch 1.5",
	    "process " + path ("stereo.wav") + " " + out + " --mute 1.5",
	    "process " + path ("stereo.wav") + " " + out + " --mute nan",
	    "process " + path ("stereo.wav") + " " + out + " --block 0",
	    "process " + path ("stereo.wav") + " " + out + " --block",
	    "process " + path ("stereo.wav") + " " + out + " --volume 3",
	    "process " + path ("stereo.wav"),
	    "process " + path ("stereo.wav") + " " + path ("no/such/folder/out.wav"),
	    "analyze " + path ("three.wav"),
	    "analyze " + path ("stereo.wav") + " --autotune " + path ("missing.so"),
	    "players --source 6",
	    "players --source -1",
	    "players --passes 0",
	    "players --passes many",
	    "players --passes",
	    "players --json extra",
	    "players --volume 3",
	    "snapshot " + out + " --width 499",
	    "snapshot " + out + " --width 1001",
	    "snapshot " + out + " --pitch 7",
	    "snapshot " + out + " --autotune " + path ("missing.so"),
	    "snapshot",
	};
	for (const std::string& args : cases)
	{
		const CliRun r = run (args);
		EXPECT_EQ (2, r.code) << args;
		EXPECT_EQ (1, lines (r.err)) << args << ": " << r.err;
		EXPECT_FALSE (exists (out)) << args;
		EXPECT_FALSE (exists (out + ".partial")) << args;
	}
}

TEST_F (Cli, AnUnknownCommandShowsTheUsageOfEveryCommand)
{
	for (const char* args : {"", "frobnicate", "--json"})
	{
		const CliRun r = run (args);
		EXPECT_EQ (2, r.code) << args;
		for (const char* command : {"process", "analyze", "players", "demo", "snapshot"})
			EXPECT_NE (std::string::npos, r.err.find (std::string ("cadora-cli ") + command)) << args;
	}
}

TEST_F (Cli, ProcessWithoutChangesReproducesTheInput)
{
	writeWav (path ("in.wav"), 2, 22050);
	writeBytes (path ("out.wav"), {'o', 'l', 'd'}); // replaced, not appended to
	const CliRun r = run ("process " + path ("in.wav") + " " + path ("out.wav") + " --block 100");
	ASSERT_EQ (0, r.code) << r.err;
	const Audio in = readWav (path ("in.wav"));
	const Audio out = readWav (path ("out.wav"));
	EXPECT_EQ (2, out.channels);
	EXPECT_EQ (44100, out.sampleRate);
	EXPECT_EQ (in.interleaved, out.interleaved);
}

TEST_F (Cli, TransposedMonoFileKeepsItsShape)
{
	writeWav (path ("mono.wav"), 1, 44100, 48000);
	const CliRun r = run ("process " + path ("mono.wav") + " " + path ("out.wav") + " --pitch -3 --mute 0.5");
	ASSERT_EQ (0, r.code) << r.err;
	const Audio out = readWav (path ("out.wav"));
	EXPECT_EQ (1, out.channels);
	EXPECT_EQ (48000, out.sampleRate);
	EXPECT_EQ (44100u, out.interleaved.size ());
	for (float v : out.interleaved)
		ASSERT_TRUE (std::isfinite (v) && std::fabs (v) <= 1.0f);
}

TEST_F (Cli, FileNamesInChinese)
{
	writeWav (path ("晴天.wav"), 2, 4410);
	const CliRun r = run ("process " + path ("晴天.wav") + " " + path ("稻香.wav"));
	ASSERT_EQ (0, r.code) << r.err;
	EXPECT_EQ (4410u, readWav (path ("稻香.wav")).frames ());
	EXPECT_NE (std::string::npos, r.out.find ("稻香.wav")) << r.out;
}

TEST_F (Cli, AnalyzeJsonEndsWithTheFinalLine)
{
	writeWav (path ("tone.wav"), 2, 44100 * 3);
	const CliRun r = run ("analyze " + path ("tone.wav") + " --json");
	ASSERT_EQ (0, r.code) << r.err;
	EXPECT_EQ (7, lines (r.out)); // every 0.5 s of 3 s, then the final line
	EXPECT_NE (std::string::npos, r.out.find ("{\"t\": 0.5, \"key\": "));
	EXPECT_NE (std::string::npos, r.out.find ("{\"final\": true, \"key\": "));
}

// What the desktop offers differs from machine to machine; the shape of the lines does not.
TEST_F (Cli, PlayersPrintsOneLinePerPass)
{
	const std::string text = "\"(?:[^\"\\\\\\x00-\\x1f]|\\\\[\"\\\\/bfnrt]|\\\\u[0-9a-f]{4})*\"";
	const std::regex line ("\\{\"pass\":([0-9]+),\"playerId\":" + text + ",\"playerLabel\":" + text +
	                       ",\"title\":" + text + ",\"artist\":" + text +
	                       ",\"fromMediaSession\":(true|false)\\}");
	const CliRun r = run ("players --passes 3 --json --source 0");
	ASSERT_EQ (0, r.code) << r.err;
	std::istringstream in (r.out);
	std::string each;
	int pass = 0;
	while (std::getline (in, each))
	{
		if (!each.empty () && each.back () == '\r')
			each.pop_back (); // Windows ends a text line with CR LF
		std::smatch m;
		ASSERT_TRUE (std::regex_match (each, m, line)) << each;
		EXPECT_EQ (std::to_string (++pass), m[1].str ());
		EXPECT_EQ (std::string::npos, each.find ("\"playerLabel\":\"\"")) << "a label is always shown";
	}
	EXPECT_EQ (3, pass);

	const CliRun plain = run ("players --passes 2 --source 4");
	ASSERT_EQ (0, plain.code) << plain.err;
	EXPECT_EQ (2, lines (plain.out));
	EXPECT_EQ (0u, plain.out.find ("pass 1: ")) << plain.out;
	// A fixed player is always the one shown, found or not.
	EXPECT_NE (std::string::npos, plain.out.find ("pass 2: 全民K歌 (wesing): ")) << plain.out;
}

#ifndef _WIN32
// The window drawn after the demo music: a PNG of the editor's size for the width asked.
TEST_F (Cli, SnapshotWritesThePictureAtTheEditorsSize)
{
	const std::string picture = path ("window.png");
	const CliRun r = run ("snapshot " + picture + " --width 750 --pitch 2");
	ASSERT_EQ (0, r.code) << r.err;
	const std::string png = slurp (picture);
	ASSERT_GT (png.size (), 24u);
	EXPECT_EQ (0, png.compare (0, 8, "\x89PNG\r\n\x1a\n", 8));
	auto be32 = [&] (size_t at) {
		return uint32_t (uint8_t (png[at])) << 24 | uint32_t (uint8_t (png[at + 1])) << 16 |
		       uint32_t (uint8_t (png[at + 2])) << 8 | uint8_t (png[at + 3]);
	};
	EXPECT_EQ (750u, be32 (16));
	EXPECT_EQ (803u, be32 (20));
}
#endif

} // namespace
