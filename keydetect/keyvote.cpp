#include "keydetect/keyvote.h"

#include "keydetect/keymodel.h"

#include <array>

namespace cadora {
namespace {

constexpr double kRecencyWeight = 0.12;
constexpr size_t kMinResults = 3;
constexpr double kLeadOverSecond = 1.25;
constexpr double kShareOfTotal = 0.42;
constexpr double kWideLeadOverSecond = 2.2;
constexpr size_t kRunToReplace = 5;
constexpr size_t kRunToReplaceWithWideLead = 3;
// One dominant-to-tonic motion may be a passing chord; a second one is a cadence, which
// names the key more surely than the tone profile's slowly turning sum.
constexpr double kResolutionsToReplace = 2.0;
// A published major key gives way sooner to the minor key a fifth below it: music that
// opens on a minor key's dominant reads as the dominant's major key until its tonic has
// been heard long enough to outweigh the opening.
constexpr size_t kRunToReplaceByItsMinorTonic = 3;

struct Tally
{
	int32_t bestKey = kNoKey;
	double best = 0.0;
	double second = 0.0;
	double total = 0.0;
};

Tally tallyScores (const std::vector<int32_t>& keyHistory)
{
	std::array<double, kKeyCount> score {};
	for (size_t j = 0; j < keyHistory.size (); ++j)
	{
		const int32_t k = keyHistory[j];
		if (k >= 0 && k < kKeyCount)
			score[k] += 1.0 + kRecencyWeight * static_cast<double> (j);
	}

	Tally t;
	for (int32_t k = 0; k < kKeyCount; ++k)
	{
		if (score[k] > t.best)
		{
			t.second = t.best;
			t.best = score[k];
			t.bestKey = k;
		}
		else if (score[k] > t.second)
			t.second = score[k];
		t.total += score[k];
	}
	return t;
}

// Number of results, from the newest backwards, equal to `key` before another one occurs.
size_t runOf (const std::vector<int32_t>& keyHistory, int32_t key)
{
	size_t run = 0;
	for (auto it = keyHistory.rbegin (); it != keyHistory.rend () && *it == key; ++it)
		++run;
	return run;
}

int32_t weightedVote (const std::vector<int32_t>& keyHistory, int32_t publishedKey)
{
	if (keyHistory.size () < kMinResults)
		return publishedKey;
	const Tally t = tallyScores (keyHistory);
	if (t.best < kLeadOverSecond * t.second || t.best < kShareOfTotal * t.total)
		return publishedKey;

	const size_t run = runOf (keyHistory, t.bestKey);
	const bool replace = publishedKey < 0 || publishedKey == t.bestKey || run >= kRunToReplace ||
	                     (t.best >= kWideLeadOverSecond * t.second && run >= kRunToReplaceWithWideLead);
	return replace ? t.bestKey : publishedKey;
}

// Whether the music has cadenced into `key`'s tonic clearly more often than into the
// published key's: then the newest result is followed at once, not after five results.
bool cadencedAway (int32_t key, int32_t publishedKey, const PitchClassLevels& resolutions)
{
	if (publishedKey < 0 || key < 0 || key >= kKeyCount || key == publishedKey)
		return false;
	return resolutions[key / 2] - resolutions[publishedKey / 2] >= kResolutionsToReplace;
}

// Whether `key` is the minor key a fifth below the major key `publishedKey`, whose
// dominant chord is the published key's tonic chord.
bool isMinorKeyOfItsDominant (int32_t key, int32_t publishedKey)
{
	if (publishedKey < 0 || key < 0 || key >= kKeyCount || keyIndexIsMinor (publishedKey) ||
	    !keyIndexIsMinor (key))
		return false;
	return (key / 2 - publishedKey / 2 + kBandsPerOctave) % kBandsPerOctave == 5;
}

} // namespace

int32_t voteOnKeys (const std::vector<int32_t>& keyHistory, int32_t publishedKey,
                    const PitchClassLevels& resolutions)
{
	const int32_t voted = weightedVote (keyHistory, publishedKey);
	if (voted != publishedKey || keyHistory.empty ())
		return voted;
	const int32_t newest = keyHistory.back ();
	if (cadencedAway (newest, publishedKey, resolutions))
		return newest;
	if (isMinorKeyOfItsDominant (newest, publishedKey) &&
	    runOf (keyHistory, newest) >= kRunToReplaceByItsMinorTonic)
		return newest;
	return voted;
}

} // namespace cadora
