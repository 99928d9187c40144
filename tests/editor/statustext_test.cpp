// The song card's choices: which key and text, the tempo, the pitch value, the logo;
// and the spectrum bars' smoothing and peak decay.
#include "editor/spectrumbars.h"
#include "editor/statustext.h"

#include <gtest/gtest.h>

#include <cmath>

namespace cadora {
namespace {

TEST (KeyShown, LinkedDetectedOrMovedByPitch)
{
	const struct
	{
		const char* label;
		int32_t detected, linked;
		bool connected;
		int32_t pitch;
		bool music;
		const char* text;
	} cases[] = {
	    {"detected only", 7, -1, false, 0, true, "C 小调"},
	    {"linked wins while connected", 7, 6, true, 0, true, "C 大调"},
	    {"linked read-back already includes Pitch", 20, 22, true, 2, true, "Ab 大调"},
	    {"no link: detected moved up by Pitch", 20, -1, false, 2, true, "A 大调"},
	    {"no link: detected moved down by Pitch", 7, -1, false, -3, true, "A 小调"},
	    {"a stale read-back after the link is lost", 20, 6, false, 0, true, "G 大调"},
	    {"no key, music playing", -1, 6, true, 0, true, "识别中"},
	    {"no key, silence", -1, 6, true, 0, false, "等待播放"},
	    {"index 24 counts as no key", 24, -1, false, 0, false, "等待播放"},
	    {"a linked 24 counts as no key", 7, 24, true, 0, true, "识别中"},
	};
	for (const auto& c : cases)
		EXPECT_EQ (c.text, keyText (shownKeyIndex (c.detected, c.linked, c.connected, c.pitch), c.music))
		    << c.label;
}

TEST (Texts, TempoPitchPercent)
{
	EXPECT_EQ ("测速中", tempoText (0));
	EXPECT_EQ ("测速中", tempoText (-4));
	EXPECT_EQ ("128 BPM", tempoText (128));
	EXPECT_EQ ("0", pitchValueText (0));
	EXPECT_EQ ("-3", pitchValueText (-3));
	EXPECT_EQ ("+2", pitchValueText (2));
	EXPECT_EQ ("0%", percentText (0.0));
	EXPECT_EQ ("1%", percentText (0.005));
	EXPECT_EQ ("100%", percentText (3.0));
}

TEST (Logo, ChosenBySourceThenByPlayerId)
{
	const struct
	{
		int32_t source;
		const char* id;
		int32_t logo;
	} cases[] = {
	    {1, "qqmusic", kLogoKugou},   {2, "", kLogoQQMusic},      {3, "", kLogoNetease},
	    {4, "", kLogoWesing},         {5, "", kLogoMVBox},        {0, "kugou", kLogoKugou},
	    {0, "", kLogoKugou},          {0, "wesing", kLogoWesing}, {0, "qqmusic", kLogoQQMusic},
	    {0, "netease", kLogoNetease}, {0, "mvbox", kLogoMVBox},   {9, "mvbox", kLogoMVBox},
	    {0, "QQMUSIC", kLogoKugou},   {0, nullptr, kLogoKugou},
	};
	for (const auto& c : cases)
		EXPECT_EQ (c.logo, logoIndexFor (c.source, c.id)) << c.source << " " << (c.id ? c.id : "null");
}

TEST (SpectrumBars, RiseFastFallSlowPeaksSink)
{
	SpectrumBars bars;
	std::array<float, SpectrumBars::kBars> levels {};
	levels[0] = 0.3f;                // target 0.54
	levels[1] = 5.0f / 9.0f + 1e-6f; // target 1.0: full height
	levels[2] = std::nanf ("");
	bars.advance (levels);
	EXPECT_NEAR (0.54 * 0.88, bars.level[0], 1e-6);
	EXPECT_NEAR (0.88, bars.level[1], 1e-6);
	EXPECT_EQ (0.0, bars.level[2]);
	EXPECT_EQ (bars.level[0], bars.peak[0]);

	levels.fill (0.0f);
	const double before = bars.level[0];
	bars.advance (levels);
	EXPECT_NEAR (before * 0.45, bars.level[0], 1e-9) << "falls by 0.55 of the distance";
	EXPECT_EQ (before, bars.peak[0]) << "the peak keeps the highest level";

	bars.decayPeaks ();
	EXPECT_NEAR (before - 0.035, bars.peak[0], 1e-12);
	bars.peak[3] = 0.02;
	bars.decayPeaks ();
	EXPECT_EQ (0.0, bars.peak[3]) << "never below 0";
	EXPECT_FALSE (SpectrumBars::peakVisible (0.01));
	EXPECT_TRUE (SpectrumBars::peakVisible (0.0101));
}

} // namespace
} // namespace cadora
