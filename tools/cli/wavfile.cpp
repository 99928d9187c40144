#include "tools/cli/wavfile.h"

#include "tools/cli/wavformat.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace cadora::cli {

namespace {

namespace fs = std::filesystem;

bool readWholeFile (const fs::path& path, std::vector<uint8_t>& bytes)
{
	std::ifstream in (path, std::ios::binary);
	if (!in)
		return false;
	bytes.assign (std::istreambuf_iterator<char> (in), std::istreambuf_iterator<char> ());
	return !in.bad ();
}

// Samples as little-endian 32-bit floats, a block at a time.
bool writeSamples (std::ofstream& out, const std::vector<float>& samples)
{
	constexpr size_t kBlock = 16384;
	std::vector<uint8_t> bytes (kBlock * 4);
	for (size_t start = 0; start < samples.size (); start += kBlock)
	{
		const size_t n = std::min (kBlock, samples.size () - start);
		for (size_t i = 0; i < n; ++i)
		{
			uint32_t bits;
			std::memcpy (&bits, &samples[start + i], 4);
			for (int b = 0; b < 4; ++b)
				bytes[4 * i + b] = static_cast<uint8_t> (bits >> (8 * b));
		}
		out.write (reinterpret_cast<const char*> (bytes.data ()), static_cast<std::streamsize> (4 * n));
	}
	return static_cast<bool> (out);
}

} // namespace

bool readAudio (const std::string& path, Audio& audio, std::string& error)
{
	std::vector<uint8_t> bytes;
	std::error_code ignored;
	const fs::path file = fs::u8path (path);
	if (fs::is_directory (file, ignored) || !readWholeFile (file, bytes))
	{
		error = "cannot read '" + path + "': no such file, or not readable";
		return false;
	}
	std::string reason;
	if (!decodeWav (bytes.data (), bytes.size (), audio, reason))
	{
		error = "cannot read '" + path + "': " + reason;
		return false;
	}
	if (audio.channels < 1 || audio.channels > 2)
	{
		error = "'" + path + "' has " + std::to_string (audio.channels) +
		        " channels; only mono and stereo are supported";
		return false;
	}
	if (audio.sampleRate < 1)
	{
		error = "'" + path + "' has no valid sample rate";
		return false;
	}
	return true;
}

bool writeAudio (const std::string& path, const Audio& audio, std::string& error)
{
	error = "cannot write '" + path + "'";
	std::vector<uint8_t> header;
	if (!floatWavHeader (audio, header))
		return false;
	const fs::path target = fs::u8path (path);
	fs::path temporary = target;
	temporary += ".partial";
	bool written = false;
	{
		std::ofstream out (temporary, std::ios::binary | std::ios::trunc);
		if (!out)
			return false;
		out.write (reinterpret_cast<const char*> (header.data ()),
		           static_cast<std::streamsize> (header.size ()));
		written = writeSamples (out, audio.interleaved);
		out.close ();
		written = written && !out.fail ();
	}
	std::error_code failure;
	if (written)
		fs::rename (temporary, target, failure);
	if (!written || failure)
	{
		fs::remove (temporary, failure);
		return false;
	}
	error.clear ();
	return true;
}

} // namespace cadora::cli
