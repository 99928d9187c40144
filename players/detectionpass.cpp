#include "players/detectionpass.h"

#include "platform/desktop.h"
#include "players/loudestplayer.h"
#include "players/mediasession.h"
#include "players/mvboxreader.h"
#include "players/playerkinds.h"
#include "players/utftext.h"
#include "players/windowreaders.h"

namespace cadora {

namespace {

const PlayerKind& kugouMusic = kPlayers[kKugouRow];
const PlayerKind& qqMusic = kPlayers[kQqMusicRow];

// What a pass has found so far.
struct PassResult
{
	const PlayerKind* target = nullptr;
	std::u16string title;
	std::u16string artist;
	bool fromSession = false;
};

bool bothSet (const std::u16string& a, const std::u16string& b)
{
	return !a.empty () && !b.empty ();
}

void forgetQq (DetectionState& state)
{
	state.qqStableTitle.clear ();
	state.qqStableArtist.clear ();
	state.qqCandidateTitle.clear ();
	state.qqCandidateArtist.clear ();
	state.qqCandidateCount = 0;
}

void forgetKugou (DetectionState& state)
{
	state.kugouTitle.clear ();
	state.kugouArtist.clear ();
}

// Kugou Music's window pair, kept from the last pass that could parse it.
void takeKugouPair (platform::Desktop& desktop, DetectionState& state, PassResult& pass)
{
	const SongText k = readWindowPair (desktop, kugouMusic);
	if (k.complete ())
	{
		state.kugouTitle = k.title;
		state.kugouArtist = k.artist;
	}
	if (bothSet (state.kugouTitle, state.kugouArtist))
	{
		pass.title = state.kugouTitle;
		pass.artist = state.kugouArtist;
	}
	forgetQq (state);
}

// QQ Music's window briefly shows other texts while it changes songs: a pair is shown
// only once two passes have read it with no other pair read in between.
void confirmQqPair (const SongText& q, DetectionState& state)
{
	if (q.title == state.qqStableTitle && q.artist == state.qqStableArtist)
	{
		state.qqCandidateTitle.clear ();
		state.qqCandidateArtist.clear ();
		state.qqCandidateCount = 0;
	}
	else if (q.title == state.qqCandidateTitle && q.artist == state.qqCandidateArtist)
	{
		if (++state.qqCandidateCount >= 2)
		{
			state.qqStableTitle = q.title;
			state.qqStableArtist = q.artist;
			state.qqCandidateTitle.clear ();
			state.qqCandidateArtist.clear ();
			state.qqCandidateCount = 0;
		}
	}
	else
	{
		state.qqCandidateTitle = q.title;
		state.qqCandidateArtist = q.artist;
		state.qqCandidateCount = 1;
	}
}

void takeQqPair (platform::Desktop& desktop, DetectionState& state, PassResult& pass)
{
	forgetKugou (state);
	const SongText q = readWindowPair (desktop, qqMusic);
	if (q.complete ())
		confirmQqPair (q, state);
	if (bothSet (state.qqStableTitle, state.qqStableArtist))
	{
		pass.title = state.qqStableTitle;
		pass.artist = state.qqStableArtist;
	}
}

// The player's own window or memory, where the media session gave no title.
void readPlayerItself (platform::Desktop& desktop, MvboxCacheReader& mvbox, PassResult& pass)
{
	if (!pass.title.empty ())
		return;
	if (pass.target == &kPlayers[kWesingRow])
	{
		pass.title = readWesingTitle (desktop);
	}
	else if (pass.target == &kPlayers[kMvboxRow])
	{
		mvbox.read (desktop, pass.title, pass.artist);
	}
	else if (pass.target == &kPlayers[kNeteaseRow])
	{
		SongText n = readNeteaseTitle (desktop);
		pass.title = std::move (n.title);
		pass.artist = std::move (n.artist);
	}
}

// Without an audible player or a playing session, automatic mode stays with the player
// whose window pair was read now or is still remembered.
const PlayerKind* rememberedPlayer (const DetectionState& state, bool kugouSeen, bool qqSeen)
{
	if (kugouSeen || bothSet (state.kugouTitle, state.kugouArtist))
		return &kugouMusic;
	if (qqSeen || bothSet (state.qqStableTitle, state.qqStableArtist))
		return &qqMusic;
	return nullptr;
}

SongInfo makeRecord (const PassResult& pass)
{
	SongInfo info;
	if (pass.target)
	{
		info.fromMediaSession = pass.fromSession;
		setSongField (info.playerId, toUtf8 (pass.target->key));
		setSongField (info.playerLabel, toUtf8 (pass.target->displayName));
	}
	else
	{
		setSongField (info.playerLabel, "未检测到正在播放的播放器");
	}
	if (!pass.title.empty ())
		setSongField (info.title, toUtf8 (pass.title));
	else
		setSongField (info.title, pass.target ? "未获取到歌曲信息" : "暂无歌曲名称");
	setSongField (info.artist, pass.artist.empty () ? std::string ("暂无歌手信息") : toUtf8 (pass.artist));
	return info;
}

} // namespace

SongInfo runDetectionPass (platform::Desktop& desktop, DetectionState& state, int32_t kind)
{
	return runDetectionPass (desktop, state, kind, sharedMvboxReader ());
}

SongInfo runDetectionPass (platform::Desktop& desktop, DetectionState& state, int32_t kind,
                           MvboxCacheReader& mvbox)
{
	const bool kugouSeen = readWindowPair (desktop, kugouMusic).complete ();
	const bool qqSeen = readWindowPair (desktop, qqMusic).complete ();

	PassResult pass;
	pass.target = loudestPlayer (desktop, kind);
	if (!pass.target)
		pass.target = playerForSource (kind);
	try
	{
		readMediaSession (desktop, kind, pass.target, pass.title, pass.artist, pass.fromSession);
	}
	catch (...)
	{
		// A failure of the media-session step ends only that step.
	}
	if (!pass.target && kind == 0)
		pass.target = rememberedPlayer (state, kugouSeen, qqSeen);

	if (!pass.target)
	{
		forgetQq (state);
		forgetKugou (state);
		pass.fromSession = false;
	}
	else if (pass.target == &kugouMusic)
	{
		takeKugouPair (desktop, state, pass);
	}
	else if (pass.target == &qqMusic)
	{
		takeQqPair (desktop, state, pass);
	}
	else
	{
		forgetQq (state);
	}
	readPlayerItself (desktop, mvbox, pass);
	return makeRecord (pass);
}

} // namespace cadora
