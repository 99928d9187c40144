// Transposer benchmark: our phase vocoder beside Rubber Band (R3 finer, R2 faster) and SoundTouch,
// all streamed in 512-sample blocks, at 44.1 and 48 kHz, for every shift from -5 to +5 semitones.
// For each: CPU per second of audio on music, pitch error and residual on a steady 440 Hz sine,
// residual on a C-E-G chord of three equal sines, energy ahead of each click of a click train
// (pre-echo) and end-to-end latency; then the worst single-block time of ours for 64-sample
// blocks at 48 kHz.
//
//   bench_transposer [--music WAV_OR_TEST_MUSIC_DIR] [--seconds S] [--engines cadora,r3,r2,st]
//                    [--rates 44100,48000] [--shifts -5,-4,...]
#include "engines.h"
#include "signals.h"
#include "tonemeasure.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace cadora::bench {
namespace {

constexpr int kBlock = 512;
constexpr double kSineFrequency = 440.0;
const std::vector<double> kChord = {261.6255653, 329.6275569, 391.9954360}; // C4, E4, G4
constexpr double kHalfBand = 8.0; // Hz either side of an expected partial that counts as the partial
constexpr std::size_t kResidualLength = 262144; // samples of output whose spectrum gives the residual

struct Options
{
	std::string musicPath;
	double seconds = 30.0;
	std::vector<EngineKind> engines = {EngineKind::cadora, EngineKind::rubberBandR3, EngineKind::rubberBandR2,
	                                   EngineKind::soundTouch};
	std::vector<double> rates = {44100.0, 48000.0};
	std::vector<int> shifts = {-5, -4, -3, -2, -1, 1, 2, 3, 4, 5};
};

double threadCpuSeconds ()
{
	timespec ts {};
	clock_gettime (CLOCK_THREAD_CPUTIME_ID, &ts);
	return static_cast<double> (ts.tv_sec) + 1e-9 * static_cast<double> (ts.tv_nsec);
}

// Streams `in` through the engine in blocks; cpuSeconds receives the thread CPU time spent.
Stereo streamThrough (StreamingEngine& engine, const Stereo& in, int block, double& cpuSeconds)
{
	Stereo out {std::vector<float> (in.size ()), std::vector<float> (in.size ())};
	cpuSeconds = 0.0;
	for (std::size_t p = 0; p + static_cast<std::size_t> (block) <= in.size ();
	     p += static_cast<std::size_t> (block))
	{
		const float* inputs[2] = {in.left.data () + p, in.right.data () + p};
		float* outputs[2] = {out.left.data () + p, out.right.data () + p};
		const double start = threadCpuSeconds ();
		engine.process (inputs, outputs, block);
		cpuSeconds += threadCpuSeconds () - start;
	}
	return out;
}

struct Run
{
	Stereo output;
	double cpuSeconds;
	int underruns;
	int reportedLatency;
};

// One engine over one signal, started with the least silence that lets it stream without gaps
// (found by a first run of the same signal; ours streams without any).
Run stream (EngineKind kind, double rate, int semitones, const Stereo& in)
{
	std::size_t startDelay = 0;
	if (kind != EngineKind::cadora)
	{
		double cpu;
		auto probe = makeEngine (kind, rate, kBlock, semitones, 0);
		streamThrough (*probe, in, kBlock, cpu);
		startDelay = probe->neededStartDelay ();
	}
	auto engine = makeEngine (kind, rate, kBlock, semitones, startDelay);
	Run run;
	run.output = streamThrough (*engine, in, kBlock, run.cpuSeconds);
	run.underruns = engine->underruns ();
	run.reportedLatency = engine->reportedLatency ();
	return run;
}

struct Figures
{
	double cpuPercent = 0.0;
	double pitchCents = 0.0;
	double sineResidualDb = 0.0;
	double chordResidualDb = 0.0;
	double preEchoDb = 0.0;
	double latencyMs = 0.0;
	int reportedLatency = -1;
	int underruns = 0;
};

// The signals every engine sees at one rate.
struct Signals
{
	double rate;
	Stereo music, steady, harmony, pulse, clicks;
	std::vector<std::size_t> clickPositions; // those whose measuring windows fit the signal
	std::size_t guard, span;
};

Signals makeSignals (Stereo music, double rate)
{
	Signals s;
	s.rate = rate;
	s.music = std::move (music);
	const auto seconds = [rate] (double t) {
		return static_cast<std::size_t> (t * rate);
	};
	s.steady = sine (seconds (10.0), kSineFrequency, rate, 0.5f);
	s.harmony = chord (seconds (10.0), kChord, rate);
	s.pulse = tonePulse (seconds (3.0), kSineFrequency, rate, 1.5 * rate, 0.03 * rate);
	const std::size_t first = seconds (0.5), period = seconds (0.25), length = seconds (6.0);
	s.clicks = clickTrain (length, first, period);
	s.guard = seconds (0.001);
	s.span = seconds (0.025);
	for (std::size_t c = first; c + seconds (0.2) + s.span < length; c += period)
		s.clickPositions.push_back (c);
	return s;
}

Figures measure (EngineKind kind, int semitones, const Signals& s)
{
	Figures f;
	const double rate = s.rate;
	const double factor = std::pow (2.0, semitones / 12.0);
	const Run onMusic = stream (kind, rate, semitones, s.music);
	f.cpuPercent = 100.0 * onMusic.cpuSeconds / (static_cast<double> (s.music.size ()) / rate);
	f.reportedLatency = onMusic.reportedLatency;

	const auto begin = static_cast<std::size_t> (2.0 * rate);
	const Run onSine = stream (kind, rate, semitones, s.steady);
	const double expected = kSineFrequency * factor;
	const double measured = tonemeasure::frequency (onSine.output.left, begin,
	                                                static_cast<std::size_t> (7.0 * rate), expected, rate);
	f.pitchCents = tonemeasure::cents (measured, expected);
	f.sineResidualDb =
	    tonemeasure::residualDb (onSine.output.left, begin, kResidualLength, {expected}, rate, kHalfBand);

	const Run onChord = stream (kind, rate, semitones, s.harmony);
	std::vector<double> partials;
	for (const double p : kChord)
		partials.push_back (p * factor);
	f.chordResidualDb =
	    tonemeasure::residualDb (onChord.output.left, begin, kResidualLength, partials, rate, kHalfBand);

	const Run onPulse = stream (kind, rate, semitones, s.pulse);
	double inEnergy, outEnergy;
	const double delay = tonemeasure::energyCentre (onPulse.output.left, outEnergy) -
	                     tonemeasure::energyCentre (s.pulse.left, inEnergy);
	f.latencyMs = 1000.0 * delay / rate;

	const Run onClicks = stream (kind, rate, semitones, s.clicks);
	const auto arrival =
	    static_cast<std::size_t> (f.reportedLatency >= 0 ? f.reportedLatency : std::lround (delay));
	f.preEchoDb = tonemeasure::preEchoDb (onClicks.output.left, s.clickPositions, arrival, s.guard, s.span);

	f.underruns =
	    onMusic.underruns + onSine.underruns + onChord.underruns + onPulse.underruns + onClicks.underruns;
	return f;
}

// results[engine][shift]
using Results = std::vector<std::vector<Figures>>;

void printMetric (const Options& o, const Results& results, const char* title, const char* format,
                  const std::function<double (const Figures&)>& value)
{
	std::printf ("\n%s\n%-25s", title, "engine \\ semitones");
	for (const int s : o.shifts)
		std::printf (" %+9d", s);
	std::printf ("\n");
	for (std::size_t e = 0; e < o.engines.size (); ++e)
	{
		std::printf ("%-25s", engineName (o.engines[e]).c_str ());
		for (const Figures& f : results[e])
			std::printf (format, value (f));
		std::printf ("\n");
	}
}

double meanCpu (const std::vector<Figures>& figures)
{
	double sum = 0.0;
	for (const Figures& f : figures)
		sum += f.cpuPercent;
	return sum / static_cast<double> (figures.size ());
}

double worstOf (const std::vector<Figures>& figures, const std::function<double (const Figures&)>& value)
{
	double worst = -1e300;
	for (const Figures& f : figures)
		worst = std::max (worst, value (f));
	return worst;
}

void printTargets (const Options& o, const Results& results, double rate)
{
	const auto ours = std::find (o.engines.begin (), o.engines.end (), EngineKind::cadora);
	if (ours == o.engines.end ())
		return;
	const std::vector<Figures>& f = results[static_cast<std::size_t> (ours - o.engines.begin ())];
	const auto verdict = [] (bool ok) {
		return ok ? "met" : "NOT met";
	};
	std::printf ("\nTargets for ours at %.0f Hz:\n", rate);
	const double pitch = worstOf (f, [] (const Figures& x) { return std::fabs (x.pitchCents); });
	std::printf ("  pitch error <= 0.1 cent: worst %.4f -> %s\n", pitch, verdict (pitch <= 0.1));
	const double sineResidual = worstOf (f, [] (const Figures& x) { return x.sineResidualDb; });
	std::printf ("  sine residual <= -50 dB: worst %.1f dB -> %s\n", sineResidual,
	             verdict (sineResidual <= -50.0));
	const double chordResidual = worstOf (f, [] (const Figures& x) { return x.chordResidualDb; });
	std::printf ("  chord residual <= -40 dB: worst %.1f dB -> %s\n", chordResidual,
	             verdict (chordResidual <= -40.0));
	const double preEcho = worstOf (f, [] (const Figures& x) { return x.preEchoDb; });
	std::printf ("  pre-echo: worst %.2f dB\n", preEcho);
	const auto r3 = std::find (o.engines.begin (), o.engines.end (), EngineKind::rubberBandR3);
	if (r3 != o.engines.end ())
	{
		const double theirs = meanCpu (results[static_cast<std::size_t> (r3 - o.engines.begin ())]);
		std::printf ("  CPU <= 1/10 of R3: %.3f%% vs %.3f%% (ratio 1/%.1f) -> %s\n", meanCpu (f),
		             theirs / 10.0, theirs / meanCpu (f), verdict (meanCpu (f) <= theirs / 10.0));
	}
	const int block = static_cast<int> (static_cast<float> (rate) * 0.04f);
	const bool exact =
	    std::all_of (f.begin (), f.end (), [block] (const Figures& x) { return x.reportedLatency == block; });
	const double latency = worstOf (f, [] (const Figures& x) { return std::fabs (x.latencyMs - 40.0); });
	std::printf ("  latency exactly %d samples (40 ms): reported %d, measured within %.3f ms of 40 -> %s\n",
	             block, f.front ().reportedLatency, latency, verdict (exact && latency < 0.15));
}

void runRate (const Options& o, double rate)
{
	std::string description;
	Stereo music = loadMusic (o.musicPath, o.seconds, rate, description);
	if (music.size () == 0)
	{
		std::fprintf (stderr, "no %.0f s of audio in %s\n", o.seconds, o.musicPath.c_str ());
		std::exit (1);
	}
	std::printf ("\n==== %.0f Hz: music %.0f s of %s\n", rate, o.seconds, description.c_str ());
	const Signals signals = makeSignals (std::move (music), rate);
	Results results (o.engines.size ());
	for (std::size_t e = 0; e < o.engines.size (); ++e)
		for (const int s : o.shifts)
			results[e].push_back (measure (o.engines[e], s, signals));

	printMetric (o, results, "CPU per second of audio, music (%)", " %9.3f",
	             [] (const Figures& f) { return f.cpuPercent; });
	printMetric (o, results, "Pitch error, steady 440 Hz sine (cents)", " %9.4f",
	             [] (const Figures& f) { return f.pitchCents; });
	printMetric (o, results, "Residual, steady 440 Hz sine (dB)", " %9.1f",
	             [] (const Figures& f) { return f.sineResidualDb; });
	printMetric (o, results, "Residual, C4-E4-G4 chord of equal sines (dB)", " %9.1f",
	             [] (const Figures& f) { return f.chordResidualDb; });
	printMetric (o, results,
	             "Pre-echo, click train: energy 25 ms before each click against 25 ms from it (dB)", " %9.2f",
	             [] (const Figures& f) { return f.preEchoDb; });
	printMetric (o, results, "Latency, energy centre of a 440 Hz tone pulse (ms)", " %9.2f",
	             [] (const Figures& f) { return f.latencyMs; });
	for (std::size_t e = 0; e < o.engines.size (); ++e)
	{
		int underruns = 0;
		for (const Figures& f : results[e])
			underruns += f.underruns;
		if (underruns > 0)
			std::printf ("%s: %d underruns\n", engineName (o.engines[e]).c_str (), underruns);
	}
	printTargets (o, results, rate);
}

// Per-call wall and CPU time of our engine for small host blocks.
void worstBlockTime (const Stereo& music, double rate, int block)
{
	using Clock = std::chrono::steady_clock;
	std::vector<double> wall;
	double worstCpu = 0.0;
	for (const int semitones : {2, -3})
	{
		auto engine = makeEngine (EngineKind::cadora, rate, block, semitones, 0);
		std::vector<float> outL (static_cast<std::size_t> (block)), outR (static_cast<std::size_t> (block));
		float* outputs[2] = {outL.data (), outR.data ()};
		for (std::size_t p = 0; p + static_cast<std::size_t> (block) <= music.size ();
		     p += static_cast<std::size_t> (block))
		{
			const float* inputs[2] = {music.left.data () + p, music.right.data () + p};
			const double cpuStart = threadCpuSeconds ();
			const auto start = Clock::now ();
			engine->process (inputs, outputs, block);
			wall.push_back (std::chrono::duration<double, std::micro> (Clock::now () - start).count ());
			worstCpu = std::max (worstCpu, 1e6 * (threadCpuSeconds () - cpuStart));
		}
	}
	std::sort (wall.begin (), wall.end ());
	const auto at = [&] (double q) {
		return wall[static_cast<std::size_t> (q * static_cast<double> (wall.size () - 1))];
	};
	double mean = 0.0;
	for (double w : wall)
		mean += w;
	mean /= static_cast<double> (wall.size ());
	std::printf (
	    "\nOurs, %d-sample blocks at %.0f Hz (budget %.0f us per block), %zu blocks, +2 and -3 semitones:\n",
	    block, rate, 1e6 * block / rate, wall.size ());
	std::printf ("  wall time per block: mean %.1f us, median %.1f us, 99.9%% %.1f us, worst %.1f us\n", mean,
	             at (0.5), at (0.999), wall.back ());
	std::printf ("  worst CPU time of one block: %.1f us\n", worstCpu);
}

std::vector<std::string> splitList (const char* text)
{
	std::vector<std::string> items;
	std::stringstream in (text);
	for (std::string item; std::getline (in, item, ',');)
		if (!item.empty ())
			items.push_back (item);
	return items;
}

bool parseEngines (const char* text, std::vector<EngineKind>& engines)
{
	engines.clear ();
	for (const std::string& name : splitList (text))
	{
		if (name == "cadora")
			engines.push_back (EngineKind::cadora);
		else if (name == "r3")
			engines.push_back (EngineKind::rubberBandR3);
		else if (name == "r2")
			engines.push_back (EngineKind::rubberBandR2);
		else if (name == "st")
			engines.push_back (EngineKind::soundTouch);
		else
			return false;
	}
	return !engines.empty ();
}

bool parseOptions (int argc, char** argv, Options& o)
{
	for (int i = 1; i < argc; ++i)
	{
		const bool hasValue = i + 1 < argc;
		if (std::strcmp (argv[i], "--music") == 0 && hasValue)
			o.musicPath = argv[++i];
		else if (std::strcmp (argv[i], "--seconds") == 0 && hasValue)
			o.seconds = std::atof (argv[++i]);
		else if (std::strcmp (argv[i], "--engines") == 0 && hasValue)
		{
			if (!parseEngines (argv[++i], o.engines))
				return false;
		}
		else if (std::strcmp (argv[i], "--rates") == 0 && hasValue)
		{
			o.rates.clear ();
			for (const std::string& r : splitList (argv[++i]))
				o.rates.push_back (std::atof (r.c_str ()));
		}
		else if (std::strcmp (argv[i], "--shifts") == 0 && hasValue)
		{
			o.shifts.clear ();
			for (const std::string& s : splitList (argv[++i]))
				if (std::atoi (s.c_str ()) != 0)
					o.shifts.push_back (std::atoi (s.c_str ()));
		}
		else
			return false;
	}
	return o.seconds > 0.0 && !o.rates.empty () && !o.shifts.empty ();
}

int run (int argc, char** argv)
{
	Options o;
	if (!parseOptions (argc, argv, o))
	{
		std::fprintf (stderr,
		              "usage: %s [--music WAV_OR_TEST_MUSIC_DIR] [--seconds S] [--engines cadora,r3,r2,st]\n"
		              "          [--rates 44100,48000] [--shifts -5,...,5]\n",
		              argv[0]);
		return 2;
	}
	std::printf (
	    "Every engine streamed in %d-sample blocks, n samples in and n out.\n"
	    "CPU: thread CPU time per second of audio on the music. Pitch and sine residual: 440 Hz sine,\n"
	    "0.5 amplitude; chord residual: C4, E4, G4, each 0.25; both from 2 s in; residual is the energy\n"
	    "outside +-%.0f Hz of the expected partials. Pre-echo: clicks every 0.25 s, arrival = click +\n"
	    "reported latency (or, for engines that report none, the tone pulse's delay), less 1 ms.\n"
	    "Latency: energy centre of a 440 Hz tone pulse, output against input.\n",
	    kBlock, kHalfBand);
	for (const double rate : o.rates)
		runRate (o, rate);
	if (std::find (o.engines.begin (), o.engines.end (), EngineKind::cadora) != o.engines.end ())
	{
		std::string description;
		worstBlockTime (loadMusic (o.musicPath, o.seconds, 48000.0, description), 48000.0, 64);
	}
	return 0;
}

} // namespace
} // namespace cadora::bench

int main (int argc, char** argv)
{
	return cadora::bench::run (argc, argv);
}
