#include "tools/cli/analyze.h"

#include "autotune/knownautotunes.h"
#include "keydetect/keymodel.h"
#include "keydetect/steadyclock.h"
#include "plugin/ids.h"
#include "plugin/parameters.h"
#include "plugin/sharedstatus.h"
#include "tools/cli/autotunehost.h"
#include "tools/host/offlinehost.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace cadora::cli {

namespace {

constexpr int64_t kCycleNs = 150 * kNanosPerMilli;
constexpr int64_t kReportNs = 500 * kNanosPerMilli;

Snapshot takeSnapshot (double t)
{
	const SharedStatus& s = sharedStatus ();
	return {t,
	        s.detectedKey.load (),
	        s.tempoBpm.load (),
	        s.musicPresent.load (),
	        s.linkConnected.load (),
	        s.linkedKey.load (),
	        s.linkedHardness.load ()};
}

std::string jsonKeyName (int key)
{
	const char* name = keyName (key);
	return name ? std::string ("\"") + name + "\"" : "null";
}

void printJson (const Snapshot& s, bool withLink)
{
	std::printf ("{\"t\": %.1f, \"key\": %d, \"keyName\": %s, \"tempo\": %d, \"music\": %s", s.t, s.key,
	             jsonKeyName (s.key).c_str (), s.tempo, s.music ? "true" : "false");
	if (withLink)
		std::printf (", \"linked\": %s, \"linkedKey\": %d, \"linkedKeyName\": %s, \"linkedHardness\": %.4f",
		             s.linked ? "true" : "false", s.linkedKey, jsonKeyName (s.linkedKey).c_str (),
		             s.linkedHardness);
	std::printf ("}\n");
}

void printLine (const Snapshot& s, bool withLink)
{
	const char* name = keyName (s.key);
	std::printf ("%6.1f s  key %-8s  tempo %3d  %s", s.t, name ? name : "-", s.tempo,
	             s.music ? "music" : "silence");
	if (withLink)
	{
		const char* linkedName = keyName (s.linkedKey);
		std::printf ("  auto-tune %s, key %s, retune %.2f", s.linked ? "linked" : "not linked",
		             linkedName ? linkedName : "-", s.linkedHardness);
	}
	std::printf ("\n");
}

void printFinal (const Snapshot& s, double firstKeyAt, bool json)
{
	if (json)
	{
		std::printf ("{\"final\": true, \"key\": %d, \"keyName\": %s, \"tempo\": %d, \"firstKeyAt\": ", s.key,
		             jsonKeyName (s.key).c_str (), s.tempo);
		if (firstKeyAt >= 0)
			std::printf ("%.2f}\n", firstKeyAt);
		else
			std::printf ("null}\n");
		return;
	}
	const char* name = keyName (s.key);
	std::printf ("final: key %s, tempo %d BPM, first key after %s\n", name ? name : "none", s.tempo,
	             firstKeyAt >= 0 ? (std::to_string (firstKeyAt).substr (0, 5) + " s").c_str () : "never");
}

void printAutoTuneValues (const AutoTuneHost& autotune, bool everLinked)
{
	if (!everLinked)
	{
		std::printf ("auto-tune: never linked\n");
		return;
	}
	const KnownAutoTune& known = kKnownAutoTunes[autotune.row ()];
	std::printf ("auto-tune parameters now: key %.4f, scale %.4f, retune %.4f\n",
	             autotune.value (known.keyParamId), autotune.value (known.scaleParamId),
	             autotune.value (known.retuneParamId));
}

} // namespace

void runAnalysis (const Audio& audio, int block, int pitch,
                  const std::function<void (const Snapshot&)>& report, AnalysisResult& result)
{
	runAnalysis (audio, ProcessOptions {pitch, 0.0, block}, report, result);
}

void runAnalysis (const Audio& audio, const ProcessOptions& settings,
                  const std::function<void (const Snapshot&)>& report, AnalysisResult& result)
{
	const int block = settings.block;
	sharedStatus ().resetAll ();
	ManualClock clock;
	OfflineHost host (audio.sampleRate, block, &clock);
	host.setParameter (kParamPitch, pitchFromSemitones (settings.pitch));
	host.setParameter (kParamMuteStrength, settings.mute);
	std::vector<float> left (block), right (block);
	float* channels[2] = {left.data (), right.data ()};
	int64_t audioNs = 0, nextCycle = 0, nextReport = kReportNs;
	for (size_t start = 0; start < audio.frames (); start += block)
	{
		const auto n = static_cast<int> (std::min<size_t> (block, audio.frames () - start));
		for (int j = 0; j < n; ++j)
		{
			const size_t i = (start + j) * audio.channels;
			left[j] = audio.interleaved[i];
			right[j] = audio.channels > 1 ? audio.interleaved[i + 1] : left[j];
		}
		host.process (channels, channels, 2, n);
		audioNs = static_cast<int64_t> ((start + n) * 1e9 / audio.sampleRate);
		for (; nextCycle <= audioNs; nextCycle += kCycleNs)
		{
			clock.set (kNanosPerSecond + nextCycle);
			host.runWorkerCycle ();
			if (result.firstKeyAt < 0 && sharedStatus ().detectedKey.load () >= 0)
				result.firstKeyAt = nextCycle / 1e9;
		}
		for (; nextReport <= audioNs; nextReport += kReportNs)
			report (takeSnapshot (nextReport / 1e9));
	}
	result.last = takeSnapshot (audioNs / 1e9);
}

int analyzeAudio (const Audio& audio, const AnalyzeOptions& options)
{
	AutoTuneHost autotune;
	std::string error;
	if (!options.autotunePath.empty () && !autotune.load (options.autotunePath, error))
	{
		std::fprintf (stderr, "cadora-cli: %s\n", error.c_str ());
		return 2;
	}
	const bool withLink = autotune.controller () != nullptr;
	AnalysisResult result;
	runAnalysis (
	    audio, options.block, options.pitch,
	    [&] (const Snapshot& s) { options.json ? printJson (s, withLink) : printLine (s, withLink); },
	    result);
	printFinal (result.last, result.firstKeyAt, options.json);
	if (withLink && !options.json)
		printAutoTuneValues (autotune, result.last.linked || result.last.linkedKey >= 0);
	return 0;
}

} // namespace cadora::cli
