#include "players/windowreaders.h"

#include "platform/desktop.h"

#include <vector>

namespace cadora {

namespace {

constexpr std::u16string_view kKugouClass = u"kugou_ui";
constexpr std::u16string_view kQqMusicClass = u"TXGuiFoundation";

// A window at least this large is the player's main window rather than a mini player,
// a tooltip or a hidden helper.
constexpr int32_t kFullWidth = 400;
constexpr int32_t kFullHeight = 250;

constexpr int kVisibleScore = 10;
constexpr int kFullSizeScore = 50;
// Every parsable Kugou window qualifies, even a hidden, small one; for QQ Music such a
// window scores 0 and is never taken.
constexpr int kKugouScore = 1000;

int windowScore (const platform::TopWindow& window, bool kugou)
{
	int score = window.visible ? kVisibleScore : 0;
	if (window.hasRect && window.width >= kFullWidth && window.height >= kFullHeight)
		score += kFullSizeScore;
	if (kugou)
		score += kKugouScore;
	return score;
}

// A visible window with a title, owned by a process of that player.
bool isTitledWindowOf (platform::Desktop& desktop, const platform::TopWindow& window, PlayerRow row)
{
	return window.visible && !window.title.empty () &&
	       playerOfProcess (desktop, window.ownerPid) == &kPlayers[row];
}

} // namespace

SongText readWindowPair (platform::Desktop& desktop, const PlayerKind& player)
{
	const bool kugou = &player == &kPlayers[kKugouRow];
	const std::u16string_view className = kugou ? kKugouClass : kQqMusicClass;
	std::vector<platform::TopWindow> windows;
	desktop.topWindows (windows);
	SongText result;
	int best = 0;
	for (const platform::TopWindow& window : windows)
	{
		if (window.className.empty () || window.className != className)
			continue;
		SongText parsed;
		const bool parses =
		    kugou ? parseKugouTitle (window.title, parsed) : parseQqTitle (window.title, parsed);
		if (!parses)
			continue;
		const int score = windowScore (window, kugou);
		if (score > best)
		{
			best = score;
			result = std::move (parsed);
		}
	}
	return result;
}

SongText readNeteaseTitle (platform::Desktop& desktop)
{
	std::vector<platform::TopWindow> windows;
	desktop.topWindows (windows);
	for (const platform::TopWindow& window : windows)
	{
		if (!isTitledWindowOf (desktop, window, kNeteaseRow))
			continue;
		const std::u16string t = trimSpace (window.title);
		if (t.empty () || isNeteaseNoiseTitle (t))
			continue;
		return splitNeteaseTitle (t);
	}
	return {};
}

std::u16string readWesingTitle (platform::Desktop& desktop)
{
	std::vector<platform::TopWindow> windows;
	desktop.topWindows (windows);
	for (const platform::TopWindow& window : windows)
	{
		if (!isTitledWindowOf (desktop, window, kWesingRow))
			continue;
		std::u16string song = wesingSongOfTitle (window.title);
		if (!song.empty ())
			return song;
	}
	return {};
}

} // namespace cadora
