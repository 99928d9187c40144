// Which player a path or application id names, which process is a player, and which
// known player is loudest.
#include "fakedesktop.h"

#include "players/loudestplayer.h"
#include "players/playerkinds.h"
#include "players/utftext.h"

#include <gtest/gtest.h>

namespace cadora {
namespace {

using test::FakeDesktop;

const PlayerKind* row (int r)
{
	return r < 0 ? nullptr : &kPlayers[r];
}

TEST (PlayerKinds, TableAndSourceValues)
{
	const char16_t* keys[] = {u"kugou", u"qqmusic", u"netease", u"wesing", u"mvbox"};
	const char16_t* names[] = {u"酷狗音乐", u"QQ音乐", u"网易云音乐", u"全民K歌", u"MVBOX"};
	for (int r = 0; r < kPlayerCount; ++r)
	{
		EXPECT_EQ (std::u16string (keys[r]), kPlayers[r].key);
		EXPECT_EQ (std::u16string (names[r]), kPlayers[r].displayName);
		EXPECT_EQ (&kPlayers[r], playerForSource (r + 1));
	}
	EXPECT_EQ (nullptr, playerForSource (0));
	EXPECT_EQ (nullptr, playerForSource (6));
	EXPECT_EQ (nullptr, playerForSource (-1));
}

TEST (ClassifyPlayer, TokensInOrderAfterLowerCasing)
{
	struct Case
	{
		const char16_t* text;
		int row;
	} cases[] = {
	    {u"C:\\Program Files (x86)\\KuGou\\KGMusic\\KuGou.exe", kKugouRow},
	    {u"D:\\酷狗\\player.exe", kKugouRow},
	    {u"C:\\Program Files\\CloudMusic\\cloudmusic.exe", kNeteaseRow},
	    {u"QQMusic.exe", kQqMusicRow},
	    {u"C:\\QQ音乐\\main.exe", kQqMusicRow},
	    {u"NetEase.CloudMusic", kNeteaseRow},
	    {u"E:\\网易云\\x.exe", kNeteaseRow},
	    {u"WeSing.exe", kWesingRow},
	    {u"Tencent.Karaoke", kWesingRow},
	    {u"全民K歌", kWesingRow}, // the K is lower-cased before the token "全民k歌" is sought
	    {u"MVBOXPLAYER.EXE", kMvboxRow},
	    // Both tokens: the earlier one in the table wins, wherever it stands in the text.
	    {u"C:\\QQMusic\\plugins\\kugou.dll", kKugouRow},
	    {u"C:\\mvbox\\cloudmusic.exe", kNeteaseRow},
	    {u"C:\\Windows\\explorer.exe", -1},
	    {u"", -1},
	    {u"ＫＵＧＯＵ.exe", -1}, // full-width letters are not A..Z
	    {u"QQ 音乐", -1},
	};
	for (const Case& c : cases)
		EXPECT_EQ (row (c.row), classifyPlayer (c.text)) << toUtf8 (c.text);
}

TEST (PlayerOfProcess, ClassifiesTheImagePath)
{
	FakeDesktop desktop;
	const uint32_t kugou = desktop.addProcess (test::kKugouPath);
	const uint32_t browser = desktop.addProcess (test::kBrowserPath);
	desktop.imagePaths[0] = test::kKugouPath; // a desktop that would answer for id 0
	EXPECT_EQ (&kPlayers[kKugouRow], playerOfProcess (desktop, kugou));
	EXPECT_EQ (nullptr, playerOfProcess (desktop, browser));
	EXPECT_EQ (nullptr, playerOfProcess (desktop, 9999)) << "process that cannot be opened";
	EXPECT_EQ (nullptr, playerOfProcess (desktop, 0)) << "the system sounds are never a player";
}

class LoudestPlayer : public ::testing::Test
{
protected:
	FakeDesktop desktop;
	uint32_t kugou = desktop.addProcess (test::kKugouPath);
	uint32_t qq = desktop.addProcess (test::kQqMusicPath);
	uint32_t netease = desktop.addProcess (test::kNeteasePath);
	uint32_t browser = desktop.addProcess (test::kBrowserPath);
};

TEST_F (LoudestPlayer, PeakThresholdSourceAndTies)
{
	struct Case
	{
		const char* label;
		std::vector<platform::AudioSession> sessions;
		int32_t source;
		int expected;
	} cases[] = {
	    {"nothing plays", {}, 0, -1},
	    {"one player", {{kugou, 0.3f}}, 0, kKugouRow},
	    {"the louder of two", {{kugou, 0.2f}, {qq, 0.5f}}, 0, kQqMusicRow},
	    {"a louder unknown program is no player", {{browser, 0.9f}, {netease, 0.1f}}, 0, kNeteaseRow},
	    {"at the threshold is silent", {{kugou, 0.01f}}, 0, -1},
	    {"just above the threshold", {{kugou, 0.0101f}}, 0, kKugouRow},
	    {"silent with a fixed source too", {{qq, 0.005f}}, 2, -1},
	    {"fixed source: only QQ Music, however loud the others", {{kugou, 0.9f}, {qq, 0.2f}}, 2, kQqMusicRow},
	    {"fixed source not playing", {{kugou, 0.9f}}, 2, -1},
	    {"a tie keeps the session met first", {{netease, 0.4f}, {kugou, 0.4f}}, 0, kNeteaseRow},
	    {"a process that cannot be opened is skipped", {{4242, 0.9f}, {kugou, 0.2f}}, 0, kKugouRow},
	};
	for (const Case& c : cases)
	{
		desktop.audio = c.sessions;
		EXPECT_EQ (row (c.expected), loudestPlayer (desktop, c.source)) << c.label;
	}
}

TEST_F (LoudestPlayer, SystemSoundsAndUnreadableDevices)
{
	desktop.imagePaths[0] = test::kKugouPath;
	desktop.audio = {{0, 0.8f}};
	EXPECT_EQ (nullptr, loudestPlayer (desktop, 0)) << "process id 0 is the system sounds";

	desktop.audio = {{kugou, 0.8f}};
	desktop.audioFails = true;
	EXPECT_EQ (nullptr, loudestPlayer (desktop, 0));
}

} // namespace
} // namespace cadora
