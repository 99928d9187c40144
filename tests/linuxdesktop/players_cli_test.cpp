// cadora-cli players on a private desktop (tools/desktop/session) where stand-ins play the
// players' parts at once: Kugou Music and QQ Music by their windows and a tone each at
// different levels on the sound server, NetEase Cloud Music by its MPRIS session. What the
// detector reports follows the player source and which of the two tones is louder.
#include "standin.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace {

using cadora::test::StandIn;
using cadora::test::TempFolder;

// The last line cadora-cli printed (the last pass), or empty.
std::string lastPass (const std::string& arguments)
{
	const std::string command = std::string (CADORA_CLI) + " players --json " + arguments;
	FILE* pipe = ::popen (command.c_str (), "r");
	if (!pipe)
		return {};
	std::string line, last;
	char buffer[4096];
	while (std::fgets (buffer, sizeof (buffer), pipe))
	{
		line = buffer;
		if (!line.empty () && line.back () == '\n')
			line.pop_back ();
		last = line;
	}
	return ::pclose (pipe) == 0 ? last : "exit code not 0: " + last;
}

TEST (PlayersCli, ReportsThePlayerTheSourceAndTheLouderToneSelect)
{
	StandIn windows (CADORA_X11_STANDIN, {},
	                 {"kugou_ui", "周杰伦 - 晴天 - 酷狗音乐", "800x600", "visible", "TXGuiFoundation",
	                  "稻香 - 周杰伦", "1000x700", "visible"});
	StandIn netease (CADORA_MPRIS_STANDIN, {},
	                 {"--name", "org.mpris.MediaPlayer2.netease-cloud-music", "--identity",
	                  "NetEase Cloud Music", "--status", "Playing", "--title", "告白气球", "--artist",
	                  "周杰伦"});
	ASSERT_TRUE (windows.ready ());
	ASSERT_TRUE (netease.ready ());

	const struct
	{
		const char* label;
		const char* kugouLevel;
		const char* qqLevel;
		const char* arguments;
		std::string expected;
	} cases[] = {
	    {"automatic, Kugou louder: Kugou's window", "0.5", "0.25", "--passes 3",
	     R"({"pass":3,"playerId":"kugou","playerLabel":"酷狗音乐","title":"晴天","artist":"周杰伦","fromMediaSession":false})"},
	    // QQ Music's song is shown once two passes have read it alike.
	    {"automatic, QQ Music louder: QQ Music's window", "0.25", "0.5", "--passes 3",
	     R"({"pass":3,"playerId":"qqmusic","playerLabel":"QQ音乐","title":"稻香","artist":"周杰伦","fromMediaSession":false})"},
	    {"QQ Music chosen while Kugou is louder", "0.5", "0.25", "--source 2 --passes 3",
	     R"({"pass":3,"playerId":"qqmusic","playerLabel":"QQ音乐","title":"稻香","artist":"周杰伦","fromMediaSession":false})"},
	    {"NetEase chosen: its media session", "0.5", "0.25", "--source 3 --passes 2",
	     R"({"pass":2,"playerId":"netease","playerLabel":"网易云音乐","title":"告白气球","artist":"周杰伦","fromMediaSession":true})"},
	};
	for (const auto& c : cases)
	{
		TempFolder folder;
		ASSERT_EQ (::mkdir ((folder.path () + "/KuGou").c_str (), 0755), 0);
		ASSERT_EQ (::mkdir ((folder.path () + "/QQMusic").c_str (), 0755), 0);
		StandIn kugou (CADORA_TONE_STANDIN, folder.path () + "/KuGou/KuGou.exe", {"--level", c.kugouLevel});
		StandIn qq (CADORA_TONE_STANDIN, folder.path () + "/QQMusic/QQMusic.exe",
		            {"--level", c.qqLevel, "--frequency", "660"});
		ASSERT_TRUE (kugou.ready ()) << c.label;
		ASSERT_TRUE (qq.ready ()) << c.label;
		EXPECT_EQ (lastPass (c.arguments), c.expected) << c.label;
	}
}

} // namespace
