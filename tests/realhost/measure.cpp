// realhost_measure: the numbers the real-host test compares, read from WAV files.
//   frequency FILE FROM TO         frequency in Hz of the left channel between FROM and TO
//                                  seconds, from its rising zero crossings (a steady tone)
//   level FILE FROM TO             RMS of both channels in dBFS between FROM and TO seconds
//   lag A B FROM TO MAXLAG         the shift L (-MAXLAG..MAXLAG samples) at which B[n + L]
//                                  matches A[n] best over FROM..TO seconds of A, and what
//                                  is left: "lag L residual DB", DB = 20 log10 (rms (A - B
//                                  shifted) / rms (A)), both channels
//   sane FILE                      exit 0 when every sample is finite and within full
//                                  scale, 1 otherwise (prints the first bad sample)
// Prints one line; a missing file or a range outside the file prints an error and exits 2.
#include "tools/cli/wavfile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

using cadora::cli::Audio;

namespace {

[[noreturn]] void fail (const std::string& message)
{
	std::fprintf (stderr, "realhost_measure: %s\n", message.c_str ());
	std::exit (2);
}

Audio load (const std::string& path)
{
	Audio audio;
	std::string error;
	if (!cadora::cli::readAudio (path, audio, error))
		fail (error);
	return audio;
}

// Sample index of a time in seconds, checked against the file's length.
size_t frameAt (const Audio& audio, const char* seconds)
{
	const double t = std::atof (seconds);
	const auto frame = static_cast<size_t> (std::max (0.0, t) * audio.sampleRate);
	if (frame > audio.frames ())
		fail (std::string ("time ") + seconds + " s lies beyond the file");
	return frame;
}

float sampleAt (const Audio& audio, size_t frame, int channel)
{
	return audio.interleaved[frame * audio.channels + std::min (channel, audio.channels - 1)];
}

int frequency (const Audio& audio, size_t from, size_t to)
{
	// Rising crossings placed between samples by linear interpolation: over a second or more
	// of a steady tone this resolves far below a hundredth of a hertz.
	double first = -1, last = -1;
	long crossings = 0;
	for (size_t i = from + 1; i < to; ++i)
	{
		const float a = sampleAt (audio, i - 1, 0), b = sampleAt (audio, i, 0);
		if (a >= 0.0f || b < 0.0f)
			continue;
		const double at = static_cast<double> (i - 1) + a / (a - b);
		if (first < 0)
			first = at;
		last = at;
		++crossings;
	}
	if (crossings < 2)
		fail ("no tone in the range");
	std::printf ("%.3f\n", (crossings - 1) * audio.sampleRate / (last - first));
	return 0;
}

int level (const Audio& audio, size_t from, size_t to)
{
	double sum = 0;
	for (size_t i = from; i < to; ++i)
		for (int c = 0; c < audio.channels; ++c)
			sum += static_cast<double> (sampleAt (audio, i, c)) * sampleAt (audio, i, c);
	const double count = static_cast<double> ((to - from) * audio.channels);
	std::printf ("%.3f\n", 10.0 * std::log10 (std::max (sum / std::max (count, 1.0), 1e-30)));
	return 0;
}

// Energy of A - B[n + shift] over [from, to), both channels; B outside its length counts as 0.
double differenceEnergy (const Audio& a, const Audio& b, size_t from, size_t to, long shift)
{
	double sum = 0;
	for (size_t i = from; i < to; ++i)
	{
		const long j = static_cast<long> (i) + shift;
		const bool inside = j >= 0 && static_cast<size_t> (j) < b.frames ();
		for (int c = 0; c < 2; ++c)
		{
			const double d = sampleAt (a, i, c) - (inside ? sampleAt (b, static_cast<size_t> (j), c) : 0.0f);
			sum += d * d;
		}
	}
	return sum;
}

int lag (const Audio& a, const Audio& b, size_t from, size_t to, long maxLag)
{
	long best = 0;
	double bestEnergy = INFINITY;
	for (long shift = -maxLag; shift <= maxLag; ++shift)
	{
		const double e = differenceEnergy (a, b, from, to, shift);
		if (e < bestEnergy)
		{
			bestEnergy = e;
			best = shift;
		}
	}
	double reference = 0;
	for (size_t i = from; i < to; ++i)
		for (int c = 0; c < 2; ++c)
			reference += static_cast<double> (sampleAt (a, i, c)) * sampleAt (a, i, c);
	const double residual = 10.0 * std::log10 (std::max (bestEnergy, 1e-30) / std::max (reference, 1e-30));
	std::printf ("lag %ld residual %.1f\n", best, residual);
	return 0;
}

int sane (const Audio& audio)
{
	for (size_t i = 0; i < audio.interleaved.size (); ++i)
	{
		const float x = audio.interleaved[i];
		if (!std::isfinite (x) || std::fabs (x) > 1.0f)
		{
			std::printf ("sample %zu of channel %zu is %g\n", i / audio.channels, i % audio.channels, x);
			return 1;
		}
	}
	std::printf ("sane\n");
	return 0;
}

} // namespace

int main (int argc, char** argv)
{
	const std::string command = argc > 1 ? argv[1] : "";
	if ((command == "frequency" || command == "level") && argc == 5)
	{
		const Audio audio = load (argv[2]);
		const size_t from = frameAt (audio, argv[3]), to = frameAt (audio, argv[4]);
		return command == "frequency" ? frequency (audio, from, to) : level (audio, from, to);
	}
	if (command == "sane" && argc == 3)
		return sane (load (argv[2]));
	if (command == "lag" && argc == 7)
	{
		const Audio a = load (argv[2]), b = load (argv[3]);
		return lag (a, b, frameAt (a, argv[4]), frameAt (a, argv[5]), std::atol (argv[6]));
	}
	std::fprintf (
	    stderr,
	    "usage: realhost_measure frequency|level FILE FROM TO | lag A B FROM TO MAXLAG | sane FILE\n");
	return 2;
}
