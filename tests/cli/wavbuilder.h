// WAV files byte by byte, for tests: a RIFF header, then whatever chunks the test puts in,
// right or wrong. The RIFF size is filled in by bytes() unless the test sets its own.
#pragma once

#include "dsp/mathconstants.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace cadora::test {

class WavBuilder
{
public:
	static constexpr uint16_t kPcm = 1;
	static constexpr uint16_t kFloat = 3;
	static constexpr uint16_t kExtensible = 0xFFFE;

	WavBuilder& chunk (const char* id, const std::vector<uint8_t>& body, bool pad = true)
	{
		data.insert (data.end (), id, id + 4);
		put32 (data, static_cast<uint32_t> (body.size ()));
		data.insert (data.end (), body.begin (), body.end ());
		if (pad && body.size () % 2 == 1)
			data.push_back (0);
		return *this;
	}
	// A chunk whose size field says `claimed` whatever follows.
	WavBuilder& chunkClaiming (const char* id, uint32_t claimed, const std::vector<uint8_t>& body)
	{
		data.insert (data.end (), id, id + 4);
		put32 (data, claimed);
		data.insert (data.end (), body.begin (), body.end ());
		return *this;
	}
	WavBuilder& fmt (uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, int blockAlign = -1)
	{
		return chunk ("fmt ", fmtBody (tag, channels, rate, bits, blockAlign));
	}
	WavBuilder& fmtExtensible (uint16_t subFormat, uint16_t channels, uint32_t rate, uint16_t bits)
	{
		std::vector<uint8_t> body = fmtBody (kExtensible, channels, rate, bits, -1);
		put16 (body, 22);   // extension size
		put16 (body, bits); // valid bits
		put32 (body, channels == 1 ? 0x4 : 0x3);
		put16 (body, subFormat);
		const uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
		                          0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
		body.insert (body.end (), tail, tail + 14);
		return chunk ("fmt ", body);
	}
	WavBuilder& pcm16 (const std::vector<int16_t>& samples)
	{
		std::vector<uint8_t> body;
		for (int16_t s : samples)
			put16 (body, static_cast<uint16_t> (s));
		return chunk ("data", body);
	}
	std::vector<uint8_t> bytes (int64_t riffSize = -1) const
	{
		std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
		put32 (out,
		       riffSize >= 0 ? static_cast<uint32_t> (riffSize) : static_cast<uint32_t> (4 + data.size ()));
		out.insert (out.end (), {'W', 'A', 'V', 'E'});
		out.insert (out.end (), data.begin (), data.end ());
		return out;
	}

	static void put16 (std::vector<uint8_t>& out, uint32_t v)
	{
		out.push_back (static_cast<uint8_t> (v));
		out.push_back (static_cast<uint8_t> (v >> 8));
	}
	static void put32 (std::vector<uint8_t>& out, uint32_t v)
	{
		put16 (out, v & 0xFFFF);
		put16 (out, v >> 16);
	}

private:
	std::vector<uint8_t> data;

	static std::vector<uint8_t> fmtBody (uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
	                                     int blockAlign)
	{
		const uint32_t align = blockAlign >= 0 ? static_cast<uint32_t> (blockAlign) : channels * (bits / 8u);
		std::vector<uint8_t> body;
		put16 (body, tag);
		put16 (body, channels);
		put32 (body, rate);
		put32 (body, rate * align);
		put16 (body, align);
		put16 (body, bits);
		return body;
	}
};

// A 16-bit stereo or mono tone of `frames` frames at 440 Hz, the channels a radian apart.
inline std::vector<uint8_t> toneWav (int channels, int frames, int rate = 44100)
{
	std::vector<int16_t> samples;
	for (int i = 0; i < frames; ++i)
		for (int c = 0; c < channels; ++c)
			samples.push_back (
			    static_cast<int16_t> (std::lround (0.3 * 32767 * std::sin (2 * kPi * 440.0 * i / rate + c))));
	return WavBuilder ()
	    .fmt (WavBuilder::kPcm, static_cast<uint16_t> (channels), static_cast<uint32_t> (rate), 16)
	    .pcm16 (samples)
	    .bytes ();
}

} // namespace cadora::test
