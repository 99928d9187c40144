// The player logos linked into the module: every name gives a 32 x 32 RGBA PNG, the
// same way on Windows (module resources) and Linux (compiled-in bytes).
#include "editor/logos.h"

#include <gtest/gtest.h>

#include <cstring>

namespace cadora {
namespace {

uint32_t bigEndian (const unsigned char* p)
{
	return uint32_t (p[0]) << 24 | uint32_t (p[1]) << 16 | uint32_t (p[2]) << 8 | p[3];
}

TEST (PlayerLogos, EveryNameIsA32By32RgbaPng)
{
	for (const char* name :
	     {"PLAYER_KUGOU", "PLAYER_QQMUSIC", "PLAYER_NETEASE", "PLAYER_WESING", "PLAYER_MVBOX"})
	{
		const ByteSpan logo = logoBytes (name);
		ASSERT_GT (logo.size, 33u) << name;
		const auto* bytes = static_cast<const unsigned char*> (logo.data);
		EXPECT_EQ (0, std::memcmp (bytes, "\x89PNG\r\n\x1a\n", 8)) << name;
		EXPECT_EQ (0, std::memcmp (bytes + 12, "IHDR", 4)) << name;
		EXPECT_EQ (32u, bigEndian (bytes + 16)) << name;
		EXPECT_EQ (32u, bigEndian (bytes + 20)) << name;
		EXPECT_EQ (6, bytes[25]) << "colour type RGBA: " << name;
	}
}

TEST (PlayerLogos, NamesAsResourceNames)
{
	EXPECT_EQ (logoBytes ("PLAYER_KUGOU").data, logoBytes ("player_kugou").data) << "case-insensitive";
	EXPECT_NE (logoBytes ("PLAYER_KUGOU").data, logoBytes ("PLAYER_MVBOX").data);
	EXPECT_EQ (0u, logoBytes ("PLAYER_NONE").size);
	EXPECT_EQ (0u, logoBytes (nullptr).size);
}

} // namespace
} // namespace cadora
