#include "editor/statuspainting.h"

#include "editor/palette.h"

#include "vstgui/lib/cbitmap.h"

#include <cstring>
#include <string>

namespace cadora {

using namespace palette;

namespace {

constexpr double kBarBase = 132.0;
constexpr double kBarHeight = 56.0;

const CColor kLinkedDot (78, 217, 160, 255);
const CColor kUnlinkedDot (231, 80, 95, 255);
const CColor kUnlinkedText (255, 178, 186, 255);
const CColor kBarViolet (155, 117, 248, 225);

// A record field as text, even if a writer left it without its terminating NUL.
template <size_t N>
std::string fieldText (const char (&field)[N])
{
	return std::string (field, strnlen (field, N));
}

} // namespace

void paintHeader (Painter& painter, bool logoHover, bool linkConnected)
{
	painter.text ("VN", {25, 8, 82, 59}, 27, logoHover ? kViolet : kAmber, TextAlign::centre);
	painter.text ("Cadora", {94, 17, 230, 40}, 17, kText, TextAlign::left);
	painter.fillEllipse ({400, 25, 409, 34}, linkConnected ? kLinkedDot : kUnlinkedDot);
	painter.text (linkConnected ? "电音已连接" : "电音未连接", {416, 17, 480, 41}, 12,
	              linkConnected ? kAmber : kUnlinkedText, TextAlign::right);
}

void paintSpectrum (Painter& painter, const SpectrumBars& bars)
{
	const DesignRect card {25, 64, 475, 146};
	painter.fillRoundRect (card, 15, kSpectrumCard);
	painter.strokeRoundRect (card, 15, kCardBorder, 1);
	for (int i = 0; i < SpectrumBars::kBars; ++i)
	{
		const CColor& c = i % 6 == 0 ? kAmber : kBarViolet;
		const double x = 43 + 12.5 * i;
		const DesignRect bar {x, kBarBase - bars.level[i] * kBarHeight, x + 10, kBarBase};
		painter.fillRoundRect (bar, 2, c);
		painter.strokeRoundRect (bar, 2, c, 1);
		if (SpectrumBars::peakVisible (bars.peak[i]))
		{
			const double y = kBarBase - bars.peak[i] * kBarHeight;
			painter.fillEllipse ({x + 3.2, y - 1.8, x + 6.8, y + 1.8}, c);
		}
	}
}

void paintSongCard (Painter& painter, const SongCard& card, VSTGUI::CBitmap* logo)
{
	const DesignRect area {25, 160, 475, 218};
	painter.fillRoundRect (area, 14, kSongCard);
	painter.strokeRoundRect (area, 14, kCardBorder, 1);
	const DesignRect logoRect {42, 172, 82, 212};
	if (logo && logo->getPlatformBitmap ())
		painter.bitmap (*logo, logoRect);
	else
		painter.text ("♪", logoRect, 18, kAmber, TextAlign::centre);
	const std::string artist = fieldText (card.song.artist);
	painter.text (fieldText (card.song.playerLabel).c_str (), {92, 168, 158, 185}, 11, kAmber,
	              TextAlign::left);
	if (!artist.empty () && artist != "暂无歌手信息")
		painter.text (artist.c_str (), {153, 168, 258, 185}, 10, kDimText, TextAlign::left);
	painter.text (fieldText (card.song.title).c_str (), {92, 184, 258, 207}, 15, kText, TextAlign::left);
	painter.text (card.key.c_str (), {300, 174, 377, 205}, 17, kAmber, TextAlign::right);
	painter.text (card.tempo.c_str (), {378, 174, 468, 205}, 16, kText, TextAlign::centre);
}

} // namespace cadora
