// The texts and choices of the status part of the dashboard: which key is shown and how,
// the tempo, the pitch value, a slider's percentage, and which player logo to draw.
#pragma once

#include <cstdint>
#include <string>

namespace cadora {

// The key of the music that leaves the plug-in, or -1 while no key is known. With an
// auto-tune linked it is the key read back from it (the link already moved it by Pitch);
// without one the detected key moved by the current Pitch, same scale.
int32_t shownKeyIndex (int32_t detectedKey, int32_t linkedKey, bool linkConnected, int32_t pitchSemitones);

// Name of key index k (0..23); any other index: "识别中" while music plays, else "等待播放".
std::string keyText (int32_t k, bool musicPresent);

// "测速中" until a tempo was seen, then for example "128 BPM".
std::string tempoText (int32_t bpmShown);

// "0", "-3", "+2".
std::string pitchValueText (int32_t semitones);

// "0%" … "100%" (v clamped to 0..1).
std::string percentText (double v);

// Logos are kept in this order.
enum LogoIndex
{
	kLogoKugou,
	kLogoQQMusic,
	kLogoMVBox,
	kLogoNetease,
	kLogoWesing,
	kLogoCount
};

// The logo for a "Player Source" value (1..5 a fixed player); for 0 or anything else the
// detected player's id decides, and an unknown or empty id shows Kugou's.
int32_t logoIndexFor (int32_t playerSource, const char* playerId);

} // namespace cadora
