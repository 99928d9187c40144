#include "tools/cli/wavfile.h"

#include <sndfile.h>

#include <cstdio>

namespace cadora::cli {

bool readAudio (const std::string& path, Audio& audio, std::string& error)
{
	SF_INFO info {};
	SNDFILE* file = sf_open (path.c_str (), SFM_READ, &info);
	if (!file)
	{
		error = "cannot read '" + path + "': " + sf_strerror (nullptr);
		return false;
	}
	if (info.channels < 1 || info.channels > 2)
	{
		error = "'" + path + "' has " + std::to_string (info.channels) +
		        " channels; only mono and stereo are supported";
		sf_close (file);
		return false;
	}
	if (info.samplerate < 1)
	{
		error = "'" + path + "' has no valid sample rate";
		sf_close (file);
		return false;
	}
	audio.sampleRate = info.samplerate;
	audio.channels = info.channels;
	audio.interleaved.assign (static_cast<size_t> (info.frames) * info.channels, 0.0f);
	const sf_count_t got = sf_readf_float (file, audio.interleaved.data (), info.frames);
	sf_close (file);
	if (got != info.frames)
	{
		error = "'" + path + "' is truncated or damaged";
		return false;
	}
	return true;
}

bool writeAudio (const std::string& path, const Audio& audio, std::string& error)
{
	const std::string temporary = path + ".partial";
	SF_INFO info {};
	info.samplerate = audio.sampleRate;
	info.channels = audio.channels;
	info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
	SNDFILE* file = sf_open (temporary.c_str (), SFM_WRITE, &info);
	if (!file)
	{
		error = "cannot write '" + path + "': " + sf_strerror (nullptr);
		return false;
	}
	const auto frames = static_cast<sf_count_t> (audio.frames ());
	const bool complete = sf_writef_float (file, audio.interleaved.data (), frames) == frames;
	const bool closed = sf_close (file) == 0;
	if (!complete || !closed || std::rename (temporary.c_str (), path.c_str ()) != 0)
	{
		std::remove (temporary.c_str ());
		error = "cannot write '" + path + "'";
		return false;
	}
	return true;
}

} // namespace cadora::cli
