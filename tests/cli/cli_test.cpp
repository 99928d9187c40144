// cadora-cli as a user runs it: good files processed, bad input refused with one error
// line, exit code 2 and nothing written.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct CliRun
{
	int code;
	std::string out;
	std::string err;
};

class Cli : public ::testing::Test
{
protected:
	std::string dir;

	void SetUp () override
	{
		char pattern[] = "/tmp/cadora-cli-test-XXXXXX";
		dir = mkdtemp (pattern);
	}
	void TearDown () override { std::system (("rm -rf " + dir).c_str ()); }

	std::string path (const std::string& name) { return dir + "/" + name; }

	CliRun run (const std::string& args)
	{
		const std::string out = path ("stdout"), err = path ("stderr");
		const int status = std::system ((std::string (CADORA_CLI) + " " + args + " >" + out + " 2>" + err).c_str ());
		return {WEXITSTATUS (status), slurp (out), slurp (err)};
	}
	static std::string slurp (const std::string& file)
	{
		std::ifstream in (file);
		std::stringstream s;
		s << in.rdbuf ();
		return s.str ();
	}
	static bool exists (const std::string& file) { return access (file.c_str (), F_OK) == 0; }

	// A 16-bit WAV of a 440 Hz tone with `channels` channels.
	void writeWav (const std::string& file, int channels, int frames, int rate = 44100)
	{
		SF_INFO info {};
		info.samplerate = rate;
		info.channels = channels;
		info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
		SNDFILE* f = sf_open (file.c_str (), SFM_WRITE, &info);
		ASSERT_NE (nullptr, f);
		std::vector<float> data (static_cast<size_t> (frames) * channels);
		for (int i = 0; i < frames; ++i)
			for (int c = 0; c < channels; ++c)
				data[i * channels + c] = 0.3f * std::sin (2 * 3.14159265f * 440.0f * i / rate + c);
		sf_writef_float (f, data.data (), frames);
		sf_close (f);
	}
	static std::vector<float> readWav (const std::string& file, int& channels)
	{
		SF_INFO info {};
		SNDFILE* f = sf_open (file.c_str (), SFM_READ, &info);
		if (!f)
			return {};
		channels = info.channels;
		std::vector<float> data (static_cast<size_t> (info.frames) * info.channels);
		sf_readf_float (f, data.data (), info.frames);
		sf_close (f);
		return data;
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
	std::ofstream (path ("text.wav")) << "not audio";
	const std::string out = path ("out.wav");
	const std::string cases[] = {
	    "process " + path ("missing.wav") + " " + out,
	    "process " + path ("three.wav") + " " + out,
	    "process " + path ("text.wav") + " " + out,
	    "process " + path ("stereo.wav") + " " + out + " --pitch 6",
	    "process " + path ("stereo.wav") + " " + out + " --pitch 1.5",
	    "process " + path ("stereo.wav") + " " + out + " --mute 1.5",
	    "process " + path ("stereo.wav") + " " + out + " --mute nan",
	    "process " + path ("stereo.wav") + " " + out + " --block 0",
	    "process " + path ("stereo.wav") + " " + out + " --block",
	    "process " + path ("stereo.wav") + " " + out + " --volume 3",
	    "process " + path ("stereo.wav"),
	    "process " + path ("stereo.wav") + " " + dir + "/no/such/folder/out.wav",
	    "analyze " + path ("three.wav"),
	    "analyze " + path ("stereo.wav") + " --autotune " + path ("missing.so"),
	    "snapshot " + out + " --width 499",
	    "snapshot " + out + " --width 1001",
	    "snapshot " + out + " --pitch 7",
	    "snapshot " + out + " --autotune " + path ("missing.so"),
	    "snapshot",
	    "frobnicate",
	};
	for (const std::string& args : cases)
	{
		const CliRun r = run (args);
		EXPECT_EQ (2, r.code) << args;
		// An unknown command is answered with the usage, a line per command.
		if (args == "frobnicate")
			EXPECT_EQ (0u, r.err.rfind ("usage:", 0)) << r.err;
		else
			EXPECT_LE (lines (r.err), 3) << args;
		EXPECT_FALSE (r.err.empty ()) << args;
		EXPECT_FALSE (exists (out)) << args;
	}
}

TEST_F (Cli, ProcessWithoutChangesReproducesTheInput)
{
	writeWav (path ("in.wav"), 2, 22050);
	const CliRun r = run ("process " + path ("in.wav") + " " + path ("out.wav") + " --block 100");
	ASSERT_EQ (0, r.code) << r.err;
	int inChannels = 0, outChannels = 0;
	const auto in = readWav (path ("in.wav"), inChannels);
	const auto out = readWav (path ("out.wav"), outChannels);
	EXPECT_EQ (2, outChannels);
	EXPECT_EQ (in, out);
}

TEST_F (Cli, TransposedMonoFileKeepsItsShape)
{
	writeWav (path ("mono.wav"), 1, 44100, 48000);
	const CliRun r = run ("process " + path ("mono.wav") + " " + path ("out.wav") + " --pitch -3 --mute 0.5");
	ASSERT_EQ (0, r.code) << r.err;
	int channels = 0;
	const auto out = readWav (path ("out.wav"), channels);
	EXPECT_EQ (1, channels);
	EXPECT_EQ (44100u, out.size ());
	for (float v : out)
		ASSERT_TRUE (std::isfinite (v) && std::fabs (v) <= 1.0f);
}

TEST_F (Cli, AnalyzeJsonEndsWithTheFinalLine)
{
	writeWav (path ("tone.wav"), 2, 44100 * 3);
	const CliRun r = run ("analyze " + path ("tone.wav") + " --json");
	ASSERT_EQ (0, r.code) << r.err;
	EXPECT_EQ (7, lines (r.out));  // every 0.5 s of 3 s, then the final line
	EXPECT_NE (std::string::npos, r.out.find ("{\"t\": 0.5, \"key\": "));
	EXPECT_NE (std::string::npos, r.out.find ("{\"final\": true, \"key\": "));
}

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

} // namespace
