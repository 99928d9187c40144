#include "tools/cli/wavformat.h"

#include <cstring>
#include <limits>

namespace cadora::cli {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr size_t kFmtSize = 16;
constexpr size_t kExtensibleFmtSize = 40;
// The sub-format GUID of WAVE_FORMAT_EXTENSIBLE after its first two bytes (the format tag).
constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t read16 (const uint8_t* p)
{
	return static_cast<uint16_t> (p[0] | p[1] << 8);
}

uint32_t read32 (const uint8_t* p)
{
	return static_cast<uint32_t> (p[0]) | static_cast<uint32_t> (p[1]) << 8 |
	       static_cast<uint32_t> (p[2]) << 16 | static_cast<uint32_t> (p[3]) << 24;
}

void put16 (std::vector<uint8_t>& out, uint32_t v)
{
	out.push_back (static_cast<uint8_t> (v));
	out.push_back (static_cast<uint8_t> (v >> 8));
}

void put32 (std::vector<uint8_t>& out, uint32_t v)
{
	put16 (out, v & 0xFFFF);
	put16 (out, v >> 16);
}

void putId (std::vector<uint8_t>& out, const char* id)
{
	out.insert (out.end (), id, id + 4);
}

struct Format
{
	uint16_t tag = 0; // PCM or float; an extensible format's sub-format
	uint16_t channels = 0;
	uint32_t sampleRate = 0;
	uint16_t blockAlign = 0;
	uint16_t bits = 0;
};

struct Chunk
{
	const uint8_t* body = nullptr;
	size_t size = 0;
};

bool parseFormat (const Chunk& fmt, Format& format, std::string& reason)
{
	if (fmt.size < kFmtSize)
	{
		reason = "its format chunk is too short";
		return false;
	}
	format.tag = read16 (fmt.body);
	format.channels = read16 (fmt.body + 2);
	format.sampleRate = read32 (fmt.body + 4);
	format.blockAlign = read16 (fmt.body + 12);
	format.bits = read16 (fmt.body + 14);
	if (format.tag != kFormatExtensible)
		return true;
	if (fmt.size < kExtensibleFmtSize || read16 (fmt.body + 16) < 22 ||
	    std::memcmp (fmt.body + 26, kSubFormatTail, sizeof kSubFormatTail) != 0)
	{
		reason = "its extensible format is damaged or unknown";
		return false;
	}
	format.tag = read16 (fmt.body + 24);
	return true;
}

bool supported (const Format& format)
{
	if (format.tag == kFormatPcm)
		return format.bits == 8 || format.bits == 16 || format.bits == 24 || format.bits == 32;
	return format.tag == kFormatFloat && (format.bits == 32 || format.bits == 64);
}

float sampleAt (const uint8_t* p, const Format& format)
{
	if (format.tag == kFormatFloat)
	{
		if (format.bits == 64)
		{
			const uint64_t bits = read32 (p) | static_cast<uint64_t> (read32 (p + 4)) << 32;
			double v;
			std::memcpy (&v, &bits, sizeof v);
			return static_cast<float> (v);
		}
		const uint32_t bits = read32 (p);
		float v;
		std::memcpy (&v, &bits, sizeof v);
		return v;
	}
	switch (format.bits)
	{
		case 8: return static_cast<float> (static_cast<int> (p[0]) - 128) * (1.0f / 0x80);
		case 16: return static_cast<float> (static_cast<int16_t> (read16 (p))) * (1.0f / 0x8000);
		case 24:
		{
			// Shifted into the top of 32 bits, so that the sign comes along.
			const auto v =
			    static_cast<int32_t> (static_cast<uint32_t> (p[0]) << 8 | static_cast<uint32_t> (p[1]) << 16 |
			                          static_cast<uint32_t> (p[2]) << 24);
			return static_cast<float> (v >> 8) * (1.0f / 0x800000);
		}
		default: return static_cast<float> (static_cast<int32_t> (read32 (p))) * (1.0f / 0x80000000);
	}
}

// Finds the fmt and data chunks. Every chunk must lie wholly inside the file, except that
// the pad byte after an odd-sized last chunk may be missing.
bool findChunks (const uint8_t* bytes, size_t size, Chunk& fmt, Chunk& data, std::string& reason)
{
	if (size < 12 || std::memcmp (bytes, "RIFF", 4) != 0 || std::memcmp (bytes + 8, "WAVE", 4) != 0)
	{
		reason = "it is not a WAV file";
		return false;
	}
	size_t pos = 12;
	while (size - pos >= 8)
	{
		const uint8_t* header = bytes + pos;
		const size_t chunkSize = read32 (header + 4);
		const size_t body = pos + 8;
		if (chunkSize > size - body)
		{
			reason = "it is truncated or damaged";
			return false;
		}
		if (!fmt.body && std::memcmp (header, "fmt ", 4) == 0)
			fmt = {bytes + body, chunkSize};
		else if (!data.body && std::memcmp (header, "data", 4) == 0)
			data = {bytes + body, chunkSize};
		pos = body + chunkSize;
		if (chunkSize % 2 == 1 && pos < size)
			++pos;
	}
	if (!fmt.body || !data.body)
	{
		reason = fmt.body ? "it has no data chunk" : "it has no format chunk";
		return false;
	}
	return true;
}

} // namespace

bool decodeWav (const uint8_t* bytes, size_t size, Audio& audio, std::string& reason)
{
	Chunk fmt, data;
	Format format;
	if (!findChunks (bytes, size, fmt, data, reason) || !parseFormat (fmt, format, reason))
		return false;
	if (!supported (format))
	{
		reason = "its sample format is not supported (format " + std::to_string (format.tag) + ", " +
		         std::to_string (format.bits) + " bits)";
		return false;
	}
	if (format.channels == 0 || format.blockAlign != format.channels * (format.bits / 8))
	{
		reason = "its format chunk is damaged";
		return false;
	}
	audio.channels = format.channels;
	audio.sampleRate = format.sampleRate > static_cast<uint32_t> (std::numeric_limits<int>::max ())
	                       ? 0
	                       : static_cast<int> (format.sampleRate);
	// A partial frame at the end is left out, as other readers do.
	const size_t frames = data.size / format.blockAlign;
	const size_t bytesPerSample = format.bits / 8;
	audio.interleaved.resize (frames * format.channels);
	for (size_t i = 0; i < audio.interleaved.size (); ++i)
		audio.interleaved[i] = sampleAt (data.body + i * bytesPerSample, format);
	return true;
}

bool floatWavHeader (const Audio& audio, std::vector<uint8_t>& header)
{
	constexpr uint64_t kHeaderAfterRiffSize = 50; // "WAVE", fmt (8 + 18), fact (8 + 4), data's 8
	const uint64_t blockAlign = 4ull * static_cast<uint64_t> (audio.channels);
	const uint64_t dataSize = 4ull * audio.interleaved.size ();
	const uint64_t byteRate = blockAlign * static_cast<uint64_t> (audio.sampleRate);
	if (audio.channels < 1 || blockAlign > 0xFFFF || audio.sampleRate < 1 || byteRate > 0xFFFFFFFFull ||
	    dataSize + kHeaderAfterRiffSize > 0xFFFFFFFFull)
		return false;
	std::vector<uint8_t> out;
	out.reserve (58);
	putId (out, "RIFF");
	put32 (out, static_cast<uint32_t> (dataSize + kHeaderAfterRiffSize));
	putId (out, "WAVE");
	putId (out, "fmt ");
	put32 (out, 18);
	put16 (out, kFormatFloat);
	put16 (out, static_cast<uint32_t> (audio.channels));
	put32 (out, static_cast<uint32_t> (audio.sampleRate));
	put32 (out, static_cast<uint32_t> (byteRate));
	put16 (out, static_cast<uint32_t> (blockAlign));
	put16 (out, 32);
	put16 (out, 0); // no extension
	// A non-PCM file carries its frame count in a fact chunk.
	putId (out, "fact");
	put32 (out, 4);
	put32 (out, static_cast<uint32_t> (audio.frames ()));
	putId (out, "data");
	put32 (out, static_cast<uint32_t> (dataSize));
	header = std::move (out);
	return true;
}

} // namespace cadora::cli
