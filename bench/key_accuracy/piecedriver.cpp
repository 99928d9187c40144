// Runs `cadora-cli analyze --json` on one file — the real processor, its mono feed and its
// worker in simulated time — and reads the timeline it prints.
#include "piecedriver.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace cadora {

const char* const kCheckpointNames[kCheckpointCount] = {"5 s", "10 s", "20 s", "end"};

namespace {

std::string cliPath = "cadora-cli";

// The number after `"name": ` in a JSON line; `fallback` when absent or null.
double field (const std::string& line, const char* name, double fallback)
{
	const std::string key = std::string ("\"") + name + "\": ";
	const auto at = line.find (key);
	if (at == std::string::npos)
		return fallback;
	const char* text = line.c_str () + at + key.size ();
	char* end = nullptr;
	const double value = std::strtod (text, &end);
	return end == text ? fallback : value;
}

void recordLine (const std::string& line, PieceResult& r)
{
	if (line.find ("\"final\": true") != std::string::npos)
	{
		r.firstKeySeconds = field (line, "firstKeyAt", -1.0);
		return;
	}
	const double t = field (line, "t", -1.0);
	const auto key = static_cast<int32_t> (field (line, "key", -1));
	const auto tempo = static_cast<int32_t> (field (line, "tempo", 0));
	for (int c = 0; c < kCheckpointCount - 1; ++c)
	{
		if (t >= 0 && t <= kCheckpointSeconds[c])
		{
			r.key[c] = key;
			r.tempo[c] = tempo;
		}
	}
	// The end of the music: the last moment that heard music, not the silent tail of the
	// file (where the tempo is withdrawn 8 s after the last beat, as it should be).
	if (line.find ("\"music\": true") != std::string::npos)
	{
		r.key[kCheckpointCount - 1] = key;
		r.tempo[kCheckpointCount - 1] = tempo;
		r.seconds = t;
	}
}

} // namespace

void setCliPath (const std::string& path)
{
	cliPath = path;
}

PieceResult analysePiece (const std::string& wavPath)
{
	PieceResult r;
	r.key.fill (-1);
	r.tempo.fill (0);
	const std::string command = "'" + cliPath + "' analyze '" + wavPath + "' --json 2>&1";
	FILE* pipe = popen (command.c_str (), "r");
	if (!pipe)
	{
		r.error = "cannot run " + cliPath;
		return r;
	}
	std::string line;
	char buffer[512];
	while (std::fgets (buffer, sizeof buffer, pipe))
	{
		line += buffer;
		if (line.back () != '\n')
			continue;
		recordLine (line, r);
		line.clear ();
	}
	const int status = pclose (pipe);
	if (status != 0)
	{
		r.error = "cadora-cli analyze failed on " + wavPath;
		return r;
	}
	r.ok = true;
	return r;
}

} // namespace cadora
