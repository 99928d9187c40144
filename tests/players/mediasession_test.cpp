// The media-session step: which playing session is taken for which player, and what a
// failing call leaves behind.
#include "fakedesktop.h"

#include "players/mediasession.h"
#include "players/utftext.h"

#include <gtest/gtest.h>

namespace cadora {
namespace {

using test::FakeDesktop;
using test::FakeMediaSession;
using test::MediaCall;

constexpr int32_t kPaused = 5;
constexpr int32_t kStopped = 3;
const std::u16string kKugouApp = u"KuGou.exe";
const std::u16string kQqApp = u"QQMusic.exe";
const std::u16string kNeteaseApp = u"cloudmusic.exe";
const std::u16string kWesingApp = u"WeSing.exe";
const std::u16string kOtherApp = u"Chrome";

const PlayerKind* row (int r)
{
	return r < 0 ? nullptr : &kPlayers[r];
}

// The outputs of one step, as one comparable text.
struct StepResult
{
	const PlayerKind* target;
	std::string title;
	std::string artist;
	bool fromSession;
	bool completed;
};

StepResult runStep (FakeDesktop& desktop, int32_t source, const PlayerKind* target)
{
	std::u16string title, artist;
	bool fromSession = false;
	const bool completed = readMediaSession (desktop, source, target, title, artist, fromSession);
	return {target, toUtf8 (title), toUtf8 (artist), fromSession, completed};
}

TEST (MediaSession, WhichSessionIsTaken)
{
	struct Case
	{
		const char* label;
		std::vector<FakeMediaSession> sessions;
		int32_t source;
		int target;         // before the step; -1: none
		int expectedTarget; // after it
		const char* title;  // "" and not fromSession when no session was taken
		bool taken;
	} cases[] = {
	    {"no sessions", {}, 0, kKugouRow, kKugouRow, "", false},
	    {"the target's playing session",
	     {{kKugouApp, 4, u"晴天", u"周杰伦"}},
	     0,
	     kKugouRow,
	     kKugouRow,
	     "晴天",
	     true},
	    {"paused and stopped sessions are never taken",
	     {{kKugouApp, kPaused, u"晴天", u"周杰伦"}, {kKugouApp, kStopped, u"稻香", u"周杰伦"}},
	     0,
	     kKugouRow,
	     kKugouRow,
	     "",
	     false},
	    {"a paused session of the target before a playing one",
	     {{kKugouApp, kPaused, u"晴天", u"周杰伦"}, {kKugouApp, 4, u"稻香", u"周杰伦"}},
	     0,
	     kKugouRow,
	     kKugouRow,
	     "稻香",
	     true},
	    {"fixed source skips other players, takes its own even untitled",
	     {{kKugouApp, 4, u"晴天", u"周杰伦"}, {kQqApp, 4, u"", u"周杰伦"}},
	     2,
	     kQqMusicRow,
	     kQqMusicRow,
	     "",
	     true},
	    {"automatic without a target: the first playing known player becomes the target",
	     {{kOtherApp, 4, u"视频", u"某人"},
	      {kWesingApp, kPaused, u"a", u"b"},
	      {kQqApp, 4, u"", u""},
	      {kKugouApp, 4, u"晴天", u"周杰伦"}},
	     0,
	     -1,
	     kQqMusicRow,
	     "",
	     true},
	    {"a fixed source without a target takes nothing",
	     {{kKugouApp, 4, u"晴天", u"周杰伦"}},
	     1,
	     -1,
	     -1,
	     "",
	     false},
	    {"NetEase accepts an unrecognised application with a title",
	     {{kOtherApp, 4, u"", u"无名"}, {kOtherApp, 4, u"晴天", u"周杰伦"}},
	     3,
	     kNeteaseRow,
	     kNeteaseRow,
	     "晴天",
	     true},
	    {"NetEase still skips other known players",
	     {{kKugouApp, 4, u"晴天", u"周杰伦"}},
	     0,
	     kNeteaseRow,
	     kNeteaseRow,
	     "",
	     false},
	    {"NetEase's own session is taken untitled",
	     {{kNeteaseApp, 4, u"", u"周杰伦"}, {kOtherApp, 4, u"晴天", u"周杰伦"}},
	     0,
	     kNeteaseRow,
	     kNeteaseRow,
	     "",
	     true},
	    {"WeSing does not accept unrecognised applications",
	     {{kOtherApp, 4, u"晴天", u"周杰伦"}},
	     0,
	     kWesingRow,
	     kWesingRow,
	     "",
	     false},
	};
	for (const Case& c : cases)
	{
		FakeDesktop desktop;
		desktop.media = c.sessions;
		const StepResult r = runStep (desktop, c.source, row (c.target));
		EXPECT_TRUE (r.completed) << c.label;
		EXPECT_EQ (row (c.expectedTarget), r.target) << c.label;
		EXPECT_EQ (c.title, r.title) << c.label;
		EXPECT_EQ (c.taken, r.fromSession) << c.label;
	}
}

TEST (MediaSession, TakesTheArtistWithTheTitle)
{
	FakeDesktop desktop;
	desktop.media = {{u"Microsoft.ZuneMusic", 4, u"x", u"y"}, {kKugouApp, 4, u"晴天", u"周杰伦"}};
	const StepResult r = runStep (desktop, 0, nullptr);
	EXPECT_EQ (&kPlayers[kKugouRow], r.target);
	EXPECT_EQ ("晴天", r.title);
	EXPECT_EQ ("周杰伦", r.artist);
}

// A failing call ends the step where it stands: a target chosen before stays, a title
// read just before the artist stays, nothing is marked as taken.
TEST (MediaSession, AFailureEndsTheStepWhereItStands)
{
	struct Case
	{
		MediaCall call;
		uint32_t index;
		int expectedTarget;
		const char* title;
	} cases[] = {
	    {MediaCall::manager, 0, -1, ""},
	    {MediaCall::count, 0, -1, ""},
	    {MediaCall::appId, 0, -1, ""},
	    {MediaCall::status, 0, -1, ""},
	    {MediaCall::appId, 1, -1, ""},          // session 0 is paused; session 1 fails
	    {MediaCall::title, 1, kQqMusicRow, ""}, // the target was chosen from session 1
	    {MediaCall::artist, 1, kQqMusicRow, "晴天"},
	};
	for (const Case& c : cases)
	{
		FakeDesktop desktop;
		desktop.media = {{kKugouApp, kPaused, u"稻香", u"周杰伦"}, {kQqApp, 4, u"晴天", u"周杰伦"}};
		desktop.mediaFailure = c.call;
		desktop.mediaFailureIndex = c.index;
		const StepResult r = runStep (desktop, 0, nullptr);
		const std::string label = "failing call " + std::to_string (static_cast<int> (c.call)) +
		                          " of session " + std::to_string (c.index);
		EXPECT_FALSE (r.completed) << label;
		EXPECT_EQ (row (c.expectedTarget), r.target) << label;
		EXPECT_EQ (c.title, r.title) << label;
		EXPECT_EQ ("", r.artist) << label;
		EXPECT_FALSE (r.fromSession) << label;
	}
}

} // namespace
} // namespace cadora
