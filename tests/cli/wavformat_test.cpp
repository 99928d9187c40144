// Our WAV decoder and the header of the files we write: every supported layout gives the
// right samples, and every malformed or cut-short file is refused.
#include "wavbuilder.h"

#include "tools/cli/wavformat.h"

#include <gtest/gtest.h>

namespace cadora::cli {
namespace {

using test::WavBuilder;

bool decode (const std::vector<uint8_t>& bytes, Audio& audio, std::string& reason)
{
	// A copy of exactly that size, so that a read past the end lands outside the buffer.
	std::vector<uint8_t> exact (bytes);
	return decodeWav (exact.data (), exact.size (), audio, reason);
}

std::vector<uint8_t> body (std::initializer_list<int> bytes)
{
	std::vector<uint8_t> out;
	for (int b : bytes)
		out.push_back (static_cast<uint8_t> (b));
	return out;
}

TEST (WavFormat, SampleLayouts)
{
	struct Case
	{
		const char* label;
		std::vector<uint8_t> file;
		std::vector<float> samples;
	} cases[] = {
	    {"8-bit unsigned",
	     WavBuilder ().fmt (1, 1, 8000, 8).chunk ("data", body ({0x00, 0x80, 0xFF, 0x40})).bytes (),
	     {-1.0f, 0.0f, 127 / 128.0f, -0.5f}},
	    {"16-bit",
	     WavBuilder ()
	         .fmt (1, 2, 8000, 16)
	         .chunk ("data", body ({0x00, 0x80, 0xFF, 0x7F, 0x00, 0x40, 0xFF, 0xFF}))
	         .bytes (),
	     {-1.0f, 32767 / 32768.0f, 0.5f, -1 / 32768.0f}},
	    {"24-bit",
	     WavBuilder ()
	         .fmt (1, 1, 8000, 24)
	         .chunk ("data", body ({0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F, 0x00, 0x00, 0xC0}))
	         .bytes (),
	     {-1.0f, 8388607 / 8388608.0f, -0.5f}},
	    {"32-bit",
	     WavBuilder ().fmt (1, 1, 8000, 32).chunk ("data", body ({0, 0, 0, 0x80, 0, 0, 0, 0x40})).bytes (),
	     {-1.0f, 0.5f}},
	    {"float 32",
	     WavBuilder ()
	         .fmt (3, 1, 8000, 32)
	         .chunk ("data", body ({0, 0, 0x80, 0x3E, 0, 0, 0x80, 0xBF}))
	         .bytes (),
	     {0.25f, -1.0f}},
	    {"float 64",
	     WavBuilder ().fmt (3, 1, 8000, 64).chunk ("data", body ({0, 0, 0, 0, 0, 0, 0xE0, 0xBF})).bytes (),
	     {-0.5f}},
	    {"extensible 24-bit PCM",
	     WavBuilder ().fmtExtensible (1, 1, 8000, 24).chunk ("data", body ({0, 0, 0x40})).bytes (),
	     {0.5f}},
	    {"extensible float",
	     WavBuilder ()
	         .fmtExtensible (3, 2, 8000, 32)
	         .chunk ("data", body ({0, 0, 0x80, 0x3E, 0, 0, 0x80, 0x3F}))
	         .bytes (),
	     {0.25f, 1.0f}},
	    {"data before fmt, odd chunks padded between",
	     WavBuilder ()
	         .chunk ("LIST", body ({1, 2, 3}))
	         .chunk ("data", body ({0, 0x40}))
	         .chunk ("junk", body ({9}))
	         .fmt (1, 1, 8000, 16)
	         .bytes (),
	     {0.5f}},
	    {"an odd data chunk last without its pad byte",
	     WavBuilder ().fmt (1, 1, 8000, 8).chunk ("data", body ({0xC0, 0x40, 0x80}), false).bytes (),
	     {0.5f, -0.5f, 0.0f}},
	    {"a partial last frame is left out",
	     WavBuilder ().fmt (1, 2, 8000, 16).chunk ("data", body ({0, 0x40, 0, 0xC0, 0, 0x40})).bytes (),
	     {0.5f, -0.5f}},
	    {"a RIFF size that disagrees with the file",
	     WavBuilder ().fmt (1, 1, 8000, 16).chunk ("data", body ({0, 0x40})).bytes (9999),
	     {0.5f}},
	    {"no samples", WavBuilder ().fmt (1, 2, 8000, 16).chunk ("data", {}).bytes (), {}},
	};
	for (const Case& c : cases)
	{
		Audio audio;
		std::string reason;
		ASSERT_TRUE (decode (c.file, audio, reason)) << c.label << ": " << reason;
		EXPECT_EQ (8000, audio.sampleRate) << c.label;
		EXPECT_EQ (c.samples, audio.interleaved) << c.label;
	}
}

TEST (WavFormat, MalformedFilesAreRefused)
{
	const std::vector<uint8_t> two = body ({0, 0x40, 0, 0x40});
	struct Case
	{
		const char* label;
		std::vector<uint8_t> file;
	} cases[] = {
	    {"empty", {}},
	    {"text", body ({'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o', '.', '.', '.'})},
	    {"RIFF but not WAVE",
	     [] {
		     auto b = WavBuilder ().fmt (1, 1, 8000, 16).bytes ();
		     b[8] = 'A';
		     return b;
	     }()},
	    {"header only", WavBuilder ().bytes ()},
	    {"no fmt chunk", WavBuilder ().chunk ("data", two).bytes ()},
	    {"no data chunk", WavBuilder ().fmt (1, 1, 8000, 16).bytes ()},
	    {"data chunk longer than the file",
	     WavBuilder ().fmt (1, 1, 8000, 16).chunkClaiming ("data", 100, two).bytes ()},
	    {"data size near 4 GiB",
	     WavBuilder ().fmt (1, 1, 8000, 16).chunkClaiming ("data", 0xFFFFFFFF, two).bytes ()},
	    {"a chunk before data longer than the file", WavBuilder ()
	                                                     .fmt (1, 1, 8000, 16)
	                                                     .chunkClaiming ("LIST", 0xFFFFFFF0, two)
	                                                     .chunk ("data", two)
	                                                     .bytes ()},
	    {"fmt chunk too short",
	     WavBuilder ().chunk ("fmt ", body ({1, 0, 1, 0, 0x40, 0x1F, 0, 0})).chunk ("data", two).bytes ()},
	    {"zero channels", WavBuilder ().fmt (1, 0, 8000, 16, 2).chunk ("data", two).bytes ()},
	    {"block size disagrees", WavBuilder ().fmt (1, 2, 8000, 16, 2).chunk ("data", two).bytes ()},
	    {"block size zero", WavBuilder ().fmt (1, 1, 8000, 16, 0).chunk ("data", two).bytes ()},
	    {"12-bit PCM", WavBuilder ().fmt (1, 1, 8000, 12, 2).chunk ("data", two).bytes ()},
	    {"16-bit float", WavBuilder ().fmt (3, 1, 8000, 16).chunk ("data", two).bytes ()},
	    {"A-law", WavBuilder ().fmt (6, 1, 8000, 8).chunk ("data", two).bytes ()},
	    {"MP3 in WAV", WavBuilder ().fmt (0x55, 1, 8000, 0, 1).chunk ("data", two).bytes ()},
	    {"extensible without its extension",
	     WavBuilder ().fmt (WavBuilder::kExtensible, 1, 8000, 16).chunk ("data", two).bytes ()},
	    {"extensible with an unknown sub-format",
	     [&] {
		     auto b = WavBuilder ().fmtExtensible (1, 1, 8000, 16).chunk ("data", two).bytes ();
		     b[12 + 8 + 30] ^= 0xFF; // a byte of the GUID's fixed tail
		     return b;
	     }()},
	};
	for (const Case& c : cases)
	{
		Audio audio;
		std::string reason;
		EXPECT_FALSE (decode (c.file, audio, reason)) << c.label;
		EXPECT_FALSE (reason.empty ()) << c.label;
	}
}

TEST (WavFormat, EveryCutOfAFileIsRefused)
{
	const std::vector<uint8_t> file = WavBuilder ()
	                                      .fmtExtensible (3, 2, 48000, 32)
	                                      .chunk ("LIST", body ({1, 2, 3}))
	                                      .chunk ("data", std::vector<uint8_t> (64, 0))
	                                      .bytes ();
	Audio audio;
	std::string reason;
	ASSERT_TRUE (decode (file, audio, reason)) << reason;
	for (size_t n = 0; n < file.size (); ++n)
		EXPECT_FALSE (decode (std::vector<uint8_t> (file.begin (), file.begin () + n), audio, reason))
		    << "cut to " << n << " bytes";
}

TEST (WavFormat, TheFloatHeaderRoundTrips)
{
	Audio audio;
	audio.sampleRate = 44100;
	audio.channels = 2;
	audio.interleaved = {0.0f, -1.0f, 0.5f, 1e-30f, -0.25f, 3.0f};
	std::vector<uint8_t> file;
	ASSERT_TRUE (floatWavHeader (audio, file));
	EXPECT_EQ (58u, file.size ());
	for (float v : audio.interleaved)
	{
		uint32_t bits;
		std::memcpy (&bits, &v, 4);
		WavBuilder::put32 (file, bits);
	}
	Audio back;
	std::string reason;
	ASSERT_TRUE (decode (file, back, reason)) << reason;
	EXPECT_EQ (audio.sampleRate, back.sampleRate);
	EXPECT_EQ (audio.channels, back.channels);
	EXPECT_EQ (audio.interleaved, back.interleaved);

	Audio empty;
	empty.sampleRate = 44100;
	EXPECT_FALSE (floatWavHeader (empty, file)) << "no channels";
	audio.sampleRate = 0;
	EXPECT_FALSE (floatWavHeader (audio, file)) << "no rate";
}

} // namespace
} // namespace cadora::cli
