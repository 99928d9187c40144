#include "autotune/knownautotunes.h"

#include <algorithm>
#include <cmath>

namespace cadora {

const KnownAutoTune kKnownAutoTunes[kKnownAutoTuneCount] = {
    {"autotunepro", 2, 1, 4, 29, 0, 1},
    {"autotuneartist", 2, 3, 7, 29, 0, 1},
    {"tpain", 19, 18, 0, 6, 1, 2},
    {"vocaltune", 75327, 79698218, 80089127, 4, 1, 2},
};

std::string normaliseForMatch (const char* text)
{
	std::string out;
	if (!text)
		return out;
	for (const char* p = text; *p; ++p)
	{
		const char c = *p;
		if (c == '-' || c == ' ')
			continue;
		out += (c >= 'A' && c <= 'Z') ? static_cast<char> (c - 'A' + 'a') : c;
	}
	return out;
}

bool matchesToken (const KnownAutoTune& row, const char* text)
{
	return text && normaliseForMatch (text).find (row.token) != std::string::npos;
}

int32_t findAutoTuneRow (const char* text)
{
	for (int32_t i = 0; i < kKnownAutoTuneCount; ++i)
	{
		if (matchesToken (kKnownAutoTunes[i], text))
			return i;
	}
	return -1;
}

double keyValueForRoot (int32_t root)
{
	return std::min (root, 11) / 11.0;
}

int32_t rootFromKeyValue (double value)
{
	return static_cast<int32_t> (std::clamp (std::lround (value * 11.0), 0L, 11L));
}

double scaleValueFor (const KnownAutoTune& row, bool minor)
{
	const int32_t entry = minor ? row.minorScaleEntry : row.majorScaleEntry;
	return static_cast<double> (entry) / (row.scaleCount - 1);
}

bool scaleValueIsMinor (const KnownAutoTune& row, double value)
{
	const long last = row.scaleCount - 1;
	const long entry = std::clamp (std::lround (value * last), 0L, last);
	return entry == row.minorScaleEntry;
}

} // namespace cadora
