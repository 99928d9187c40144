#include "signals.h"

#include "dsp/mathconstants.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>

namespace cadora::bench {
namespace {

// Appends the frames of a WAV file (first two channels; mono is doubled) until `out` holds `wanted`.
bool appendWav (const std::string& path, std::size_t wanted, Stereo& out)
{
	SF_INFO info {};
	SNDFILE* file = sf_open (path.c_str (), SFM_READ, &info);
	if (file == nullptr)
		return false;
	std::vector<float> frames (4096 * static_cast<std::size_t> (info.channels));
	while (out.size () < wanted)
	{
		const sf_count_t got = sf_readf_float (file, frames.data (), 4096);
		if (got <= 0)
			break;
		for (sf_count_t i = 0; i < got && out.size () < wanted; ++i)
		{
			const float* frame = frames.data () + i * info.channels;
			out.left.push_back (frame[0]);
			out.right.push_back (info.channels > 1 ? frame[1] : frame[0]);
		}
	}
	sf_close (file);
	return true;
}

// Chords of harmonic tones with decaying envelopes over a bass line, with noise hits on the beat.
Stereo syntheticMusic (std::size_t length, double sampleRate)
{
	Stereo s {std::vector<float> (length, 0.0f), std::vector<float> (length, 0.0f)};
	const double chords[4][3] = {{261.63, 329.63, 392.0},
	                             {220.0, 261.63, 329.63},
	                             {174.61, 220.0, 261.63},
	                             {196.0, 246.94, 293.66}};
	const auto beat = static_cast<std::size_t> (0.5 * sampleRate);
	std::mt19937 gen (1);
	std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
	for (std::size_t i = 0; i < length; ++i)
	{
		const std::size_t bar = (i / (4 * beat)) % 4;
		const double t = static_cast<double> (i) / sampleRate;
		const double sinceBeat = static_cast<double> (i % beat) / sampleRate;
		double left = 0.0, right = 0.0;
		for (int n = 0; n < 3; ++n)
			for (int h = 1; h <= 4; ++h)
			{
				const double v =
				    0.05 / h * std::sin (kTwoPi * chords[bar][n] * h * t) * std::exp (-1.5 * sinceBeat);
				left += v * (n == 0 ? 1.0 : 0.6);
				right += v * (n == 2 ? 1.0 : 0.6);
			}
		const double bass = 0.15 * std::sin (kTwoPi * chords[bar][0] * 0.25 * t);
		const double hit = 0.1 * noise (gen) * std::exp (-40.0 * sinceBeat);
		s.left[i] = static_cast<float> (left + bass + hit);
		s.right[i] = static_cast<float> (right + bass + hit);
	}
	return s;
}

} // namespace

Stereo loadMusic (const std::string& path, double seconds, double sampleRate, std::string& description)
{
	const auto wanted = static_cast<std::size_t> (seconds * sampleRate);
	if (path.empty ())
	{
		description = "synthetic chords, bass and noise hits";
		return syntheticMusic (wanted, sampleRate);
	}
	Stereo s;
	namespace fs = std::filesystem;
	if (fs::is_directory (path))
	{
		std::vector<fs::path> pieces;
		for (const auto& entry : fs::directory_iterator (fs::path (path) / "wav"))
		{
			const std::string name = entry.path ().filename ().string ();
			if (entry.path ().extension () == ".wav" && name.find ('_') == std::string::npos)
				pieces.push_back (entry.path ());
		}
		std::sort (pieces.begin (), pieces.end ());
		description.clear ();
		for (const auto& piece : pieces)
		{
			if (s.size () >= wanted)
				break;
			appendWav (piece.string (), wanted, s);
			description += (description.empty () ? "" : " + ") + piece.filename ().string ();
		}
	}
	else if (appendWav (path, wanted, s))
		description = path;
	if (s.size () < wanted)
		return {};
	return s;
}

Stereo sine (std::size_t length, double frequency, double sampleRate, float amplitude)
{
	Stereo s {std::vector<float> (length), std::vector<float> (length)};
	for (std::size_t i = 0; i < length; ++i)
		s.left[i] = s.right[i] =
		    amplitude *
		    static_cast<float> (std::sin (kTwoPi * frequency * static_cast<double> (i) / sampleRate));
	return s;
}

Stereo chord (std::size_t length, const std::vector<double>& frequencies, double sampleRate)
{
	Stereo s {std::vector<float> (length, 0.0f), std::vector<float> (length, 0.0f)};
	const double amplitude = 0.75 / static_cast<double> (frequencies.size ());
	for (std::size_t i = 0; i < length; ++i)
	{
		double v = 0.0;
		for (const double f : frequencies)
			v += amplitude * std::sin (kTwoPi * f * static_cast<double> (i) / sampleRate);
		s.left[i] = s.right[i] = static_cast<float> (v);
	}
	return s;
}

Stereo clickTrain (std::size_t length, std::size_t first, std::size_t period)
{
	Stereo s {std::vector<float> (length, 0.0f), std::vector<float> (length, 0.0f)};
	for (std::size_t i = first; i < length; i += period)
		s.left[i] = s.right[i] = 0.5f;
	return s;
}

Stereo tonePulse (std::size_t length, double frequency, double sampleRate, double centre, double width)
{
	Stereo s = sine (length, frequency, sampleRate, 0.5f);
	for (std::size_t i = 0; i < length; ++i)
	{
		const double d = (static_cast<double> (i) - centre) / width;
		s.left[i] *= static_cast<float> (std::exp (-0.5 * d * d));
		s.right[i] = s.left[i];
	}
	return s;
}

} // namespace cadora::bench
