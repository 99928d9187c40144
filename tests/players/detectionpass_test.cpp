// Detection passes over a fake desktop: which player is shown with which song, and what
// carries over from pass to pass.
#include "fakedesktop.h"
#include "testdecoder.h"

#include "players/detectionpass.h"
#include "players/mvboxreader.h"
#include "players/playerkinds.h"

#include <gtest/gtest.h>

#include <functional>

namespace cadora {
namespace {

using test::FakeDesktop;
using test::FakeMediaSession;

// A desktop on which the five players run (silent, windowless) and a pass's state.
struct Scene
{
	FakeDesktop desktop;
	DetectionState state;
	MvboxCacheReader mvbox {&test::decodeForTests};
	uint32_t kugou = desktop.addProcess (test::kKugouPath);
	uint32_t qq = desktop.addProcess (test::kQqMusicPath);
	uint32_t netease = desktop.addProcess (test::kNeteasePath);
	uint32_t wesing = desktop.addProcess (test::kWesingPath);
	uint32_t mvboxPid = desktop.addProcess (test::kMvboxPath);

	// One pass, shown as "playerId|playerLabel|title|artist", with " (session)" when the
	// media session was taken.
	std::string pass (int32_t kind = 0)
	{
		const SongInfo info = runDetectionPass (desktop, state, kind, mvbox);
		return std::string (info.playerId) + "|" + info.playerLabel + "|" + info.title + "|" + info.artist +
		       (info.fromMediaSession ? " (session)" : "");
	}
	void audible (uint32_t pid, float peak = 0.5f) { desktop.audio = {{pid, peak}}; }
	void silence () { desktop.audio.clear (); }
	void kugouWindow (const std::u16string& title)
	{
		desktop.windows.clear ();
		desktop.addWindow (u"kugou_ui", title, kugou);
	}
	void qqWindow (const std::u16string& title)
	{
		desktop.windows.clear ();
		desktop.addWindow (u"TXGuiFoundation", title, qq);
	}
};

class DetectionPass : public ::testing::Test,
                      public Scene
{
};

TEST_F (DetectionPass, NoPlayerInAutomaticMode)
{
	EXPECT_EQ ("|未检测到正在播放的播放器|暂无歌曲名称|暂无歌手信息", pass (0));
	desktop.media = {{u"Chrome", 4, u"视频", u"某人"}}; // an unknown application plays
	EXPECT_EQ ("|未检测到正在播放的播放器|暂无歌曲名称|暂无歌手信息", pass (0));
}

TEST_F (DetectionPass, AFixedPlayerThatIsNotRunning)
{
	const char* expected[] = {
	    "kugou|酷狗音乐|未获取到歌曲信息|暂无歌手信息",     "qqmusic|QQ音乐|未获取到歌曲信息|暂无歌手信息",
	    "netease|网易云音乐|未获取到歌曲信息|暂无歌手信息", "wesing|全民K歌|未获取到歌曲信息|暂无歌手信息",
	    "mvbox|MVBOX|未获取到歌曲信息|暂无歌手信息",
	};
	for (int32_t kind = 1; kind <= 5; ++kind)
		EXPECT_EQ (expected[kind - 1], pass (kind)) << "kind " << kind;
}

TEST (DetectionPassSources, EachPlayersOwnSource)
{
	struct Case
	{
		const char* label;
		int32_t kind;
		std::function<void (Scene&)> setUp;
		const char* expected;
	} cases[] = {
	    {"Kugou's window", 0,
	     [] (Scene& t) {
		     t.audible (t.kugou);
		     t.kugouWindow (u"周杰伦 - 晴天 - 酷狗音乐");
	     },
	     "kugou|酷狗音乐|晴天|周杰伦"},
	    {"Kugou's window pair replaces the media session's", 0,
	     [] (Scene& t) {
		     t.audible (t.kugou);
		     t.kugouWindow (u"周杰伦 - 晴天 - 酷狗音乐");
		     t.desktop.media = {{u"KuGou", 4, u"晴天 (Live)", u"Jay Chou"}};
	     },
	     "kugou|酷狗音乐|晴天|周杰伦 (session)"},
	    {"Kugou without a window pair keeps the media session's", 1,
	     [] (Scene& t) {
		     t.desktop.media = {{u"KuGou", 4, u"晴天 (Live)", u"Jay Chou"}};
	     },
	     "kugou|酷狗音乐|晴天 (Live)|Jay Chou (session)"},
	    {"NetEase: the media session first", 0,
	     [] (Scene& t) {
		     t.audible (t.netease);
		     t.desktop.addWindow (u"OrpheusBrowserHost", u"稻香 - 周杰伦", t.netease);
		     t.desktop.media = {{u"cloudmusic.exe", 4, u"晴天", u"周杰伦"}};
	     },
	     "netease|网易云音乐|晴天|周杰伦 (session)"},
	    {"NetEase: its window when the session has no title, both texts from the window", 0,
	     [] (Scene& t) {
		     t.audible (t.netease);
		     t.desktop.addWindow (u"OrpheusBrowserHost", u"稻香", t.netease);
		     t.desktop.media = {{u"cloudmusic.exe", 4, u"", u"周杰伦"}};
	     },
	     "netease|网易云音乐|稻香|暂无歌手信息 (session)"},
	    {"WeSing's window", 0,
	     [] (Scene& t) {
		     t.audible (t.wesing);
		     t.desktop.addWindow (u"WeSingMain", u"全民K歌 - 晴天", t.wesing);
	     },
	     "wesing|全民K歌|晴天|暂无歌手信息"},
	    {"MVBox's memory", 0,
	     [] (Scene& t) {
		     t.audible (t.mvboxPid);
		     const std::string entry = "MvboxCache\\songs\\1\t\xC7\xE7\xCC\xEC\tJay";
		     t.desktop.addMemory (t.mvboxPid).addRegion (0x100000, 0x1000, {entry.begin (), entry.end ()});
	     },
	     "mvbox|MVBOX|晴天|Jay"},
	    {"automatic mode: the first playing session of a known player decides", 0,
	     [] (Scene& t) {
		     t.desktop.media = {{u"WeSing.exe", 4, u"晴天", u""}};
	     },
	     "wesing|全民K歌|晴天|暂无歌手信息 (session)"},
	    {"a fixed player that is silent wins over a louder other one", 2,
	     [] (Scene& t) {
		     t.audible (t.kugou);
		     t.kugouWindow (u"周杰伦 - 晴天 - 酷狗音乐");
	     },
	     "qqmusic|QQ音乐|未获取到歌曲信息|暂无歌手信息"},
	    {"the louder of two players", 0,
	     [] (Scene& t) {
		     t.desktop.audio = {{t.wesing, 0.2f}, {t.netease, 0.6f}};
		     t.desktop.addWindow (u"WeSingMain", u"全民K歌 - 晴天", t.wesing);
		     t.desktop.addWindow (u"OrpheusBrowserHost", u"稻香 - 周杰伦", t.netease);
	     },
	     "netease|网易云音乐|稻香|周杰伦"},
	    {"a media session failing at the title leaves it to the window", 0,
	     [] (Scene& t) {
		     t.audible (t.netease);
		     t.desktop.addWindow (u"OrpheusBrowserHost", u"稻香 - 周杰伦", t.netease);
		     t.desktop.media = {{u"cloudmusic.exe", 4, u"晴天", u"周杰伦"}};
		     t.desktop.mediaFailure = test::MediaCall::title;
	     },
	     "netease|网易云音乐|稻香|周杰伦"},
	    {"a media session failing at the artist keeps the title read before it", 0,
	     [] (Scene& t) {
		     t.audible (t.netease);
		     t.desktop.addWindow (u"OrpheusBrowserHost", u"稻香 - 周杰伦", t.netease);
		     t.desktop.media = {{u"cloudmusic.exe", 4, u"晴天", u"周杰伦"}};
		     t.desktop.mediaFailure = test::MediaCall::artist;
	     },
	     "netease|网易云音乐|晴天|暂无歌手信息"},
	    {"an exception in the media session step ends only that step", 0,
	     [] (Scene& t) {
		     t.audible (t.wesing);
		     t.desktop.addWindow (u"WeSingMain", u"全民K歌-稻香", t.wesing);
		     t.desktop.mediaThrows = true;
	     },
	     "wesing|全民K歌|稻香|暂无歌手信息"},
	};
	for (const Case& c : cases)
	{
		Scene scene;
		c.setUp (scene);
		EXPECT_EQ (c.expected, scene.pass (c.kind)) << c.label;
	}
}

// QQ Music's window shows other texts for a moment while it changes songs: a pair is
// shown once two passes have read it with no other pair read in between.
TEST_F (DetectionPass, QqMusicNeedsTwoAgreeingPasses)
{
	struct Step
	{
		const char16_t* window;
		const char* shown;
	} steps[] = {
	    {u"晴天 - 周杰伦", "未获取到歌曲信息|暂无歌手信息"},
	    {u"晴天 - 周杰伦", "晴天|周杰伦"},
	    {u"稻香 - 周杰伦", "晴天|周杰伦"},
	    {u"稻香 - 周杰伦", "稻香|周杰伦"},
	    {u"七里香 - 周杰伦", "稻香|周杰伦"}, // one pass only: never shown
	    {u"稻香 - 周杰伦", "稻香|周杰伦"},
	    {u"夜曲 - 周杰伦", "稻香|周杰伦"},
	    {u"QQ音乐", "稻香|周杰伦"}, // nothing parsable changes nothing
	    {u"夜曲 - 周杰伦", "夜曲|周杰伦"},
	    {u"夜曲 - 周杰伦", "夜曲|周杰伦"},
	};
	audible (qq);
	int n = 0;
	for (const Step& s : steps)
	{
		qqWindow (s.window);
		EXPECT_EQ (std::string ("qqmusic|QQ音乐|") + s.shown, pass ()) << "pass " << ++n;
	}
}

TEST_F (DetectionPass, QqMusicsConfirmedPairReplacesTheMediaSession)
{
	audible (qq);
	qqWindow (u"晴天 - 周杰伦");
	desktop.media = {{u"QQMusic.exe", 4, u"Sunny Day", u"Jay Chou"}};
	EXPECT_EQ ("qqmusic|QQ音乐|Sunny Day|Jay Chou (session)", pass ());
	EXPECT_EQ ("qqmusic|QQ音乐|晴天|周杰伦 (session)", pass ());
}

// Once Kugou's window gave a pair, it is shown whenever Kugou is shown, until a pass
// shows QQ Music; passes that show the other players leave it in place.
TEST_F (DetectionPass, KugousPairCarriesOver)
{
	struct Step
	{
		const char* label;
		uint32_t Scene::*audiblePlayer;
		const char16_t* kugouTitle; // null: no Kugou window
		const char* expected;
	} steps[] = {
	    {"read", &Scene::kugou, u"周杰伦 - 晴天 - 酷狗音乐", "kugou|酷狗音乐|晴天|周杰伦"},
	    {"window unparsable", &Scene::kugou, u"酷狗音乐", "kugou|酷狗音乐|晴天|周杰伦"},
	    {"window gone", &Scene::kugou, nullptr, "kugou|酷狗音乐|晴天|周杰伦"},
	    {"WeSing shown", &Scene::wesing, nullptr, "wesing|全民K歌|未获取到歌曲信息|暂无歌手信息"},
	    {"NetEase shown", &Scene::netease, nullptr, "netease|网易云音乐|未获取到歌曲信息|暂无歌手信息"},
	    {"MVBox shown", &Scene::mvboxPid, nullptr, "mvbox|MVBOX|未获取到歌曲信息|暂无歌手信息"},
	    {"Kugou again", &Scene::kugou, nullptr, "kugou|酷狗音乐|晴天|周杰伦"},
	    {"a new pair", &Scene::kugou, u"周杰伦 - 稻香 - 酷狗音乐", "kugou|酷狗音乐|稻香|周杰伦"},
	    {"QQ Music shown", &Scene::qq, nullptr, "qqmusic|QQ音乐|未获取到歌曲信息|暂无歌手信息"},
	    {"Kugou after QQ Music", &Scene::kugou, nullptr, "kugou|酷狗音乐|未获取到歌曲信息|暂无歌手信息"},
	};
	for (const Step& s : steps)
	{
		audible (this->*s.audiblePlayer);
		desktop.windows.clear ();
		if (s.kugouTitle)
			kugouWindow (s.kugouTitle);
		EXPECT_EQ (s.expected, pass ()) << s.label;
	}
}

TEST_F (DetectionPass, AutomaticModeStaysWithTheLastWindowPair)
{
	// Kugou's remembered pair keeps Kugou shown when everything falls silent.
	audible (kugou);
	kugouWindow (u"周杰伦 - 晴天 - 酷狗音乐");
	pass ();
	silence ();
	desktop.windows.clear ();
	EXPECT_EQ ("kugou|酷狗音乐|晴天|周杰伦", pass ());

	// QQ Music's accepted song stays shown, with QQ Music, while no Kugou pair exists.
	audible (qq);
	qqWindow (u"稻香 - 周杰伦");
	pass ();
	pass ();
	silence ();
	desktop.windows.clear ();
	EXPECT_EQ ("qqmusic|QQ音乐|稻香|周杰伦", pass ());
	EXPECT_EQ ("qqmusic|QQ音乐|稻香|周杰伦", pass ());

	// A silent Kugou window that parses takes over, and QQ Music's song is forgotten.
	kugouWindow (u"周杰伦 - 晴天 - 酷狗音乐");
	EXPECT_EQ ("kugou|酷狗音乐|晴天|周杰伦", pass ());
	EXPECT_TRUE (state.qqStableTitle.empty () && state.qqStableArtist.empty ());
}

TEST_F (DetectionPass, AQqWindowSeenWithoutSoundMakesQqMusicTheCandidate)
{
	qqWindow (u"晴天 - 周杰伦");
	EXPECT_EQ ("qqmusic|QQ音乐|未获取到歌曲信息|暂无歌手信息", pass ());
	EXPECT_EQ ("qqmusic|QQ音乐|晴天|周杰伦", pass ());
}

TEST_F (DetectionPass, NoPlayerForgetsBothPairs)
{
	audible (qq);
	qqWindow (u"晴天 - 周杰伦");
	pass ();
	EXPECT_EQ (1, state.qqCandidateCount);
	silence ();
	desktop.windows.clear ();
	EXPECT_EQ ("|未检测到正在播放的播放器|暂无歌曲名称|暂无歌手信息", pass ());
	EXPECT_EQ (0, state.qqCandidateCount);
	EXPECT_TRUE (state.qqCandidateTitle.empty ());
}

TEST_F (DetectionPass, LongTitlesAreCutAtACharacterBoundary)
{
	audible (kugou);
	std::u16string song;
	for (int i = 0; i < 100; ++i)
		song += u"晴";
	kugouWindow (u"周杰伦 - " + song + u" - 酷狗音乐");
	const SongInfo info = runDetectionPass (desktop, state, 0, mvbox);
	std::string expected;
	for (int i = 0; i < 85; ++i)
		expected += "晴"; // 255 bytes: 85 characters of 3 bytes
	EXPECT_EQ (expected, info.title);
	EXPECT_EQ ('\0', info.title[255]);
}

} // namespace
} // namespace cadora
