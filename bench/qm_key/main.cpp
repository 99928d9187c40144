// qm_key_accuracy MUSIC_DIR [--verbose]
// The Queen Mary key detector (qm-dsp's GetKeyMode, used as a black box with its usual
// settings: 440 Hz tuning, averages over 10 chroma frames, median over 10 results) over the
// same music and checkpoints as key_accuracy, so that both can be set side by side. Its
// "published" key at a moment is its latest result: it has no vote.
#include "piecedriver.h"
#include "scoring.h"

#include "keydetect/keymodel.h"

#include <dsp/keydetection/GetKeyMode.h>
#include <sndfile.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

using namespace cadora;

namespace {

// The detector numbers keys 1..12 for C..B major and 13..24 for C..B minor; 0 = none.
int32_t keyIndexOfQm (int qmKey)
{
	if (qmKey < 1 || qmKey > 24)
		return -1;
	const bool minor = qmKey > 12;
	return keyIndexFromRoot ((qmKey - 1) % 12, minor);
}

bool readMono (const std::string& path, std::vector<double>& mono, int& rate)
{
	SF_INFO info {};
	SNDFILE* file = sf_open (path.c_str (), SFM_READ, &info);
	if (!file)
		return false;
	std::vector<double> frames (static_cast<size_t> (info.frames) * info.channels);
	sf_readf_double (file, frames.data (), info.frames);
	sf_close (file);
	mono.assign (static_cast<size_t> (info.frames), 0.0);
	for (size_t i = 0; i < mono.size (); ++i)
		for (int c = 0; c < info.channels; ++c)
			mono[i] += frames[i * info.channels + c] / info.channels;
	rate = info.samplerate;
	return true;
}

// The end of the music: the last block with sound (the files end in silence).
double lastSoundSeconds (const std::vector<double>& mono, int rate)
{
	const size_t quarter = static_cast<size_t> (rate / 4);
	for (size_t end = mono.size (); end >= quarter; end -= quarter)
	{
		double sum = 0.0;
		for (size_t i = end - quarter; i < end; ++i)
			sum += mono[i] * mono[i];
		if (sum / quarter >= 1e-5)
			return static_cast<double> (end) / rate;
	}
	return 0.0;
}

PieceResult analyse (const std::string& path)
{
	PieceResult r;
	r.key.fill (-1);
	r.tempo.fill (0);
	std::vector<double> mono;
	int rate = 0;
	if (!readMono (path, mono, rate))
	{
		r.error = "cannot read " + path;
		return r;
	}
	GetKeyMode detector (rate, 440.0f, 10, 10);
	const size_t block = detector.getBlockSize ();
	const size_t hop = detector.getHopSize ();
	const double end = lastSoundSeconds (mono, rate);
	std::vector<double> frame (block);
	int32_t key = -1;
	for (size_t pos = 0; pos + block <= mono.size (); pos += hop)
	{
		std::copy (mono.begin () + pos, mono.begin () + pos + block, frame.begin ());
		key = keyIndexOfQm (detector.process (frame.data ()));
		const double t = static_cast<double> (pos + block) / rate;
		if (key >= 0 && r.firstKeySeconds < 0.0)
			r.firstKeySeconds = t;
		for (int c = 0; c < kCheckpointCount - 1; ++c)
			if (t <= kCheckpointSeconds[c])
				r.key[c] = key;
		if (t <= end)
			r.key[kCheckpointCount - 1] = key;
	}
	r.seconds = end;
	r.ok = true;
	return r;
}

} // namespace

int main (int argc, char** argv)
{
	std::string musicDir = "../test-music";
	bool verbose = false;
	for (int i = 1; i < argc; ++i)
	{
		if (std::strcmp (argv[i], "--verbose") == 0)
			verbose = true;
		else
			musicDir = argv[i];
	}
	const std::vector<PieceLabel> labels = loadLabels (musicDir + "/labels.csv");
	if (labels.empty ())
	{
		std::fprintf (stderr, "no labels in %s/labels.csv\n", musicDir.c_str ());
		return 1;
	}
	std::vector<PieceResult> results;
	for (const PieceLabel& label : labels)
	{
		results.push_back (analyse (musicDir + "/wav/" + label.id + ".wav"));
		if (!results.back ().ok)
		{
			std::fprintf (stderr, "%s\n", results.back ().error.c_str ());
			return 1;
		}
		if (verbose)
		{
			std::printf ("%-5s %-10s |", label.id.c_str (), keyName (label.key) ? keyName (label.key) : "-");
			for (int c = 0; c < kCheckpointCount; ++c)
				std::printf (" %-10s |",
				             keyName (results.back ().key[c]) ? keyName (results.back ().key[c]) : "-");
			std::printf ("\n");
		}
	}
	std::printf ("Queen Mary key detector, %zu pieces from %s\n", labels.size (), musicDir.c_str ());
	printReport (std::cout, labels, results);
	return 0;
}
