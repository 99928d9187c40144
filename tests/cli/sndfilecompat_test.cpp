// Our WAV reader and writer beside libsndfile: files libsndfile writes in every layout we
// support read back to exactly the samples libsndfile reads, and libsndfile reads exactly
// the samples we write.
#include "tools/cli/wavfile.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace cadora::cli {
namespace {

class SndfileCompat : public ::testing::Test
{
protected:
	std::string dir;

	void SetUp () override
	{
		char pattern[] = "/tmp/cadora-wav-test-XXXXXX";
		dir = mkdtemp (pattern);
	}
	void TearDown () override { std::filesystem::remove_all (dir); }

	// A signal that uses the whole range, with values between every step.
	static std::vector<float> signal (int channels, int frames)
	{
		std::vector<float> data (static_cast<size_t> (frames) * channels);
		for (int i = 0; i < frames; ++i)
			for (int c = 0; c < channels; ++c)
				data[i * channels + c] = 0.999f * std::sin (0.0137f * i * (c + 1) + 0.3f * c);
		return data;
	}
	static std::vector<float> readWithSndfile (const std::string& path, SF_INFO& info)
	{
		info = {};
		SNDFILE* f = sf_open (path.c_str (), SFM_READ, &info);
		if (!f)
			return {};
		std::vector<float> data (static_cast<size_t> (info.frames) * info.channels);
		sf_readf_float (f, data.data (), info.frames);
		sf_close (f);
		return data;
	}
};

TEST_F (SndfileCompat, WeReadWhatLibsndfileWrites)
{
	struct Case
	{
		const char* label;
		int format;
	} cases[] = {
	    {"PCM 8", SF_FORMAT_WAV | SF_FORMAT_PCM_U8},
	    {"PCM 16", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
	    {"PCM 24", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
	    {"PCM 32", SF_FORMAT_WAV | SF_FORMAT_PCM_32},
	    {"float", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
	    {"double", SF_FORMAT_WAV | SF_FORMAT_DOUBLE},
	    {"WAVEX PCM 16", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16},
	    {"WAVEX PCM 24", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24},
	    {"WAVEX float", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT},
	    {"WAVEX double", SF_FORMAT_WAVEX | SF_FORMAT_DOUBLE},
	};
	for (const Case& c : cases)
	{
		for (int channels = 1; channels <= 2; ++channels)
		{
			const std::string path = dir + "/in.wav";
			SF_INFO info {};
			info.samplerate = 48000;
			info.channels = channels;
			info.format = c.format;
			SNDFILE* f = sf_open (path.c_str (), SFM_WRITE, &info);
			ASSERT_NE (nullptr, f) << c.label;
			const std::vector<float> data = signal (channels, 3001); // odd: 8-bit data gets a pad byte
			sf_writef_float (f, data.data (), 3001);
			sf_close (f);

			const std::vector<float> expected = readWithSndfile (path, info);
			Audio audio;
			std::string error;
			ASSERT_TRUE (readAudio (path, audio, error)) << c.label << ": " << error;
			EXPECT_EQ (48000, audio.sampleRate) << c.label;
			EXPECT_EQ (channels, audio.channels) << c.label;
			EXPECT_EQ (expected, audio.interleaved) << c.label << ", " << channels << " channel(s)";
		}
	}
}

TEST_F (SndfileCompat, LibsndfileReadsWhatWeWrite)
{
	for (int channels = 1; channels <= 2; ++channels)
	{
		Audio audio;
		audio.sampleRate = 22050;
		audio.channels = channels;
		audio.interleaved = signal (channels, 5000);
		audio.interleaved[7] = -1.0f;
		audio.interleaved[8] = 1e-38f;
		const std::string path = dir + "/out.wav";
		std::string error;
		ASSERT_TRUE (writeAudio (path, audio, error)) << error;
		SF_INFO info {};
		EXPECT_EQ (audio.interleaved, readWithSndfile (path, info));
		EXPECT_EQ (SF_FORMAT_WAV | SF_FORMAT_FLOAT, info.format);
		EXPECT_EQ (22050, info.samplerate);
		EXPECT_EQ (channels, info.channels);
	}
}

} // namespace
} // namespace cadora::cli
