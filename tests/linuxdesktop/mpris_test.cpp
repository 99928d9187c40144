// Media sessions from a private session bus (tools/desktop/session) with stand-in MPRIS
// players of ours: how each is named, its state, title and artists, and a player that
// never answers.
#include "platform/clock.h"
#include "platform/desktop.h"
#include "standin.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace cadora::platform {
namespace {

using test::StandIn;
using test::TempFolder;

const std::string kPlayer = CADORA_MPRIS_STANDIN;

struct Session
{
	std::u16string appId;
	bool stateRead = false;
	int32_t status = 0;
	std::u16string title, artist;
};

std::vector<Session> readAll (Desktop& desktop)
{
	std::vector<Session> all;
	auto list = desktop.mediaSessions ();
	EXPECT_NE (list, nullptr);
	uint32_t n = 0;
	if (!list || !list->count (n))
		return all;
	for (uint32_t i = 0; i < n; ++i)
	{
		Session s;
		EXPECT_TRUE (list->appId (i, s.appId));
		s.stateRead = list->playbackStatus (i, s.status);
		if (s.stateRead)
		{
			EXPECT_TRUE (list->title (i, s.title));
			EXPECT_TRUE (list->artist (i, s.artist));
		}
		all.push_back (s);
	}
	return all;
}

bool contains (const std::u16string& text, const std::u16string& part)
{
	return text.find (part) != std::u16string::npos;
}

TEST (MprisSessions, ReadsEachPlayersNameStateTitleAndArtists)
{
	TempFolder folder;
	ASSERT_EQ (::mkdir ((folder.path () + "/qqmusic").c_str (), 0755), 0);
	// Named by its bus name and desktop entry (NetEase's own Linux client).
	StandIn netease (kPlayer, {},
	                 {"--name", "org.mpris.MediaPlayer2.netease-cloud-music", "--identity",
	                  "NetEase Cloud Music", "--desktop-entry", "netease-cloud-music", "--status", "Playing",
	                  "--title", "晴天", "--artist", "周杰伦", "--artist", "费玉清"});
	// An Electron player: a generic name; only its process says which player it is.
	StandIn electron (kPlayer, folder.path () + "/qqmusic/qqmusic",
	                  {"--name", "org.mpris.MediaPlayer2.chromium.instance4242", "--identity", "Chromium",
	                   "--status", "Paused", "--title", "稻香", "--artist-as-string", "--artist", "周杰伦"});
	ASSERT_TRUE (netease.ready ());
	ASSERT_TRUE (electron.ready ());

	auto desktop = openSystemDesktop ();
	const auto sessions = readAll (*desktop);
	ASSERT_EQ (sessions.size (), 2u);
	// Sorted by bus name: chromium... before netease...
	const Session& e = sessions[0];
	const Session& n = sessions[1];

	EXPECT_TRUE (contains (n.appId, u"netease-cloud-music"));
	EXPECT_TRUE (contains (n.appId, u"NetEase Cloud Music"));
	ASSERT_TRUE (n.stateRead);
	EXPECT_EQ (n.status, MediaSessionList::kPlaying);
	EXPECT_EQ (n.title, u"晴天");
	EXPECT_EQ (n.artist, u"周杰伦/费玉清");

	EXPECT_TRUE (contains (e.appId, u"chromium.instance4242"));
	EXPECT_TRUE (contains (e.appId, u"/qqmusic/qqmusic")) << "the owner's executable";
	ASSERT_TRUE (e.stateRead);
	EXPECT_NE (e.status, MediaSessionList::kPlaying);
	EXPECT_EQ (e.title, u"稻香");
	EXPECT_EQ (e.artist, u"周杰伦") << "an artist sent as a plain string";
}

TEST (MprisSessions, APlayerThatNeverAnswersCostsTheWaitLimitAndLeavesTheOthers)
{
	StandIn hung (kPlayer, {}, {"--name", "org.mpris.MediaPlayer2.aaa-hung", "--mute"});
	StandIn playing (kPlayer, {},
	                 {"--name", "org.mpris.MediaPlayer2.bbb", "--title", "晴天", "--artist", "周杰伦"});
	ASSERT_TRUE (hung.ready ());
	ASSERT_TRUE (playing.ready ());
	auto desktop = openSystemDesktop ();
	const int64_t start = steadyNowNs ();
	const auto sessions = readAll (*desktop);
	const double seconds = static_cast<double> (steadyNowNs () - start) / 1e9;
	EXPECT_LT (seconds, 3.0);
	ASSERT_EQ (sessions.size (), 2u);
	EXPECT_FALSE (sessions[0].stateRead) << "the hung player is listed without a state";
	EXPECT_TRUE (sessions[1].stateRead);
	EXPECT_EQ (sessions[1].title, u"晴天");
}

TEST (MprisSessions, OneConnectionSeesPlayersComeAndGo)
{
	auto desktop = openSystemDesktop ();
	EXPECT_TRUE (readAll (*desktop).empty ());
	{
		StandIn player (kPlayer, {}, {"--name", "org.mpris.MediaPlayer2.kugou", "--title", "晴天"});
		ASSERT_TRUE (player.ready ());
		EXPECT_EQ (readAll (*desktop).size (), 1u);
	}
	// The bus drops the name when its owner's connection closes.
	size_t left = 1;
	for (int i = 0; i < 100 && left != 0; ++i)
	{
		left = readAll (*desktop).size ();
		if (left)
			::usleep (10000);
	}
	EXPECT_EQ (left, 0u);
}

} // namespace
} // namespace cadora::platform
