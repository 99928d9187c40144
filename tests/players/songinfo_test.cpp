// The published record: whole fields, zero-filled behind their text, cut at a UTF-8
// character boundary so that a consumer never sees half a character.
#include "players/songinfo.h"
#include "players/utftext.h"

#include <gtest/gtest.h>

#include <cstring>

namespace cadora {
namespace {

std::string repeat (const char* piece, int n)
{
	std::string s;
	for (int i = 0; i < n; ++i)
		s += piece;
	return s;
}

TEST (SongInfo, FieldsAreCutAtACharacterBoundary)
{
	struct Case
	{
		const char* label;
		std::string text;
		size_t capacity;
		size_t keptBytes;
	} cases[] = {
	    {"fits", "晴天", 256, 6},
	    {"exactly full", repeat ("a", 255), 256, 255},
	    {"ASCII cut to 255 bytes", repeat ("a", 300), 256, 255},
	    {"3-byte characters that end at 255", repeat ("晴", 100), 256, 255},
	    {"3-byte characters into 127 bytes", repeat ("晴", 100), 128, 126},
	    {"one ASCII byte shifts the cut", "a" + repeat ("晴", 100), 256, 253},
	    {"2-byte characters", repeat ("é", 200), 256, 254},
	    {"4-byte characters", repeat ("😀", 70), 256, 252},
	    {"a display name into the 64-byte label", repeat ("网易云音乐", 5), 64, 63},
	    {"the 16-byte player id", "qqmusic", 16, 7},
	    {"nothing", "", 16, 0},
	};
	for (const Case& c : cases)
	{
		std::vector<char> field (c.capacity, 'x');
		setSongField (field.data (), field.size (), c.text);
		const std::string kept (field.data ());
		EXPECT_EQ (c.keptBytes, kept.size ()) << c.label;
		EXPECT_EQ (c.text.substr (0, c.keptBytes), kept) << c.label;
		EXPECT_EQ (std::string::npos, toUtf8 (toUtf16 (kept)).find ("\xEF\xBF\xBD")) << c.label;
		for (size_t i = kept.size (); i < field.size (); ++i)
			ASSERT_EQ ('\0', field[i]) << c.label << " byte " << i;
	}
}

TEST (SongInfo, AShorterTextLeavesNoRestOfTheLongerOne)
{
	SongInfo a, b;
	setSongField (a.title, repeat ("晴天", 40));
	setSongField (a.title, "稻香");
	setSongField (b.title, "稻香");
	EXPECT_EQ (0, std::memcmp (&a, &b, sizeof a)) << "records with equal texts are equal byte for byte";
}

TEST (SongInfo, RecordAtConstruction)
{
	const SongInfo info = initialSongInfo ();
	EXPECT_FALSE (info.fromMediaSession);
	EXPECT_STREQ ("", info.playerId);
	EXPECT_STREQ ("正在检测播放器", info.playerLabel);
	EXPECT_STREQ ("暂无歌曲名称", info.title);
	EXPECT_STREQ ("暂无歌手信息", info.artist);
}

} // namespace
} // namespace cadora
