// Test doubles for the dashboard: a source whose status, song, clock and logos the test
// sets, and callbacks that record every call and keep the parameter values they edit.
#pragma once

#include "editor/dashboardsource.h"
#include "editor/logos.h"
#include "players/songinfo.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace cadora::test {

class FakeSource : public DashboardSource
{
public:
	StatusReading reading;
	SongInfo songInfo = initialSongInfo ();
	int64_t now = 1'000'000'000;
	int redetects = 0;
	std::vector<std::string> opened;
	std::map<std::string, std::vector<unsigned char>> logos;

	StatusReading status () override { return reading; }
	void requestRedetect () override
	{
		++redetects;
		reading.detectedKey = -1;
	}
	void song (SongInfo& out) override { out = songInfo; }
	int64_t nowNs () override { return now; }
	ByteSpan logo (const char* name) override
	{
		auto it = logos.find (name);
		if (it == logos.end ())
			return {};
		return {it->second.data (), it->second.size ()};
	}
	void openWebPage (const char* url) override { opened.push_back (url); }

	// The logos linked into this program, as the plug-in module has them.
	void useModuleLogos ()
	{
		for (const char* name :
		     {"PLAYER_KUGOU", "PLAYER_QQMUSIC", "PLAYER_NETEASE", "PLAYER_WESING", "PLAYER_MVBOX"})
		{
			const ByteSpan b = logoBytes (name);
			const auto* p = static_cast<const unsigned char*> (b.data);
			logos[name].assign (p, p + b.size);
		}
	}

	void setSong (const char* title, const char* playerId = "", const char* label = "")
	{
		songInfo = SongInfo {};
		setSongField (songInfo.title, title);
		setSongField (songInfo.playerId, playerId);
		setSongField (songInfo.playerLabel, label);
		setSongField (songInfo.artist, "暂无歌手信息");
	}
};

// Parameter values as the controller would hold them, and a log of every edit.
struct RecordingCallbacks
{
	int32_t playerSource = 0;
	double muteStrength = 0.0;
	int32_t pitch = 0;
	std::vector<std::string> log;

	DashboardCallbacks make ()
	{
		DashboardCallbacks c;
		c.requestSize = [this] (int32_t w, int32_t h) {
			log.push_back ("size " + std::to_string (w) + "x" + std::to_string (h));
		};
		c.editPlayerSource = [this] (int32_t kind) {
			playerSource = kind;
			log.push_back ("player " + std::to_string (kind));
		};
		c.readPlayerSource = [this] {
			return playerSource;
		};
		c.editHardness = [this] (double v) {
			log.push_back ("hardness " + format (v));
		};
		c.editMuteStrength = [this] (double v) {
			muteStrength = v;
			log.push_back ("mute " + format (v));
		};
		c.readMuteStrength = [this] {
			return muteStrength;
		};
		c.editPitch = [this] (int32_t n) {
			pitch = n;
			log.push_back ("pitch " + std::to_string (n));
		};
		c.readPitch = [this] {
			return pitch;
		};
		return c;
	}

	static std::string format (double v)
	{
		char text[32];
		std::snprintf (text, sizeof (text), "%.3f", v);
		return text;
	}
};

} // namespace cadora::test
