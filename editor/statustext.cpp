#include "editor/statustext.h"

#include "editor/controlgeometry.h"
#include "keydetect/keymodel.h"
#include "plugin/worker.h"

#include <cstring>

namespace cadora {

int32_t shownKeyIndex (int32_t detectedKey, int32_t linkedKey, bool linkConnected, int32_t pitchSemitones)
{
	if (detectedKey < 0)
		return kNoKey;
	if (linkConnected && linkedKey >= 0)
		return linkedKey;
	return transposedKey (detectedKey, pitchSemitones);
}

std::string keyText (int32_t k, bool musicPresent)
{
	if (const char* name = keyName (k))
		return name;
	return musicPresent ? "识别中" : "等待播放";
}

std::string tempoText (int32_t bpmShown)
{
	if (bpmShown < 1)
		return "测速中";
	return std::to_string (bpmShown) + " BPM";
}

std::string pitchValueText (int32_t semitones)
{
	return semitones < 1 ? std::to_string (semitones) : "+" + std::to_string (semitones);
}

std::string percentText (double v)
{
	return std::to_string (percentOf (v)) + "%";
}

int32_t logoIndexFor (int32_t playerSource, const char* playerId)
{
	switch (playerSource)
	{
		case 1: return kLogoKugou;
		case 2: return kLogoQQMusic;
		case 3: return kLogoNetease;
		case 4: return kLogoWesing;
		case 5: return kLogoMVBox;
		default: break;
	}
	const struct
	{
		const char* id;
		int32_t logo;
	} byId[] = {{"qqmusic", kLogoQQMusic},
	            {"netease", kLogoNetease},
	            {"wesing", kLogoWesing},
	            {"mvbox", kLogoMVBox}};
	for (const auto& row : byId)
		if (playerId && std::strcmp (playerId, row.id) == 0)
			return row.logo;
	return kLogoKugou;
}

} // namespace cadora
