// key_accuracy [MUSIC_DIR] [--jobs N] [--verbose] [--cli PATH]
// Runs `cadora-cli analyze` over the test music (MUSIC_DIR/labels.csv and
// MUSIC_DIR/wav/ID.wav, default ../test-music) and prints key and tempo accuracy at 5, 10,
// 20 s and the end, and the median time of the first published key.
#include "piecedriver.h"
#include "scoring.h"

#include "keydetect/keymodel.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

using namespace cadora;

namespace {

struct Options
{
	std::string musicDir = "../test-music";
	int jobs = 1;
	bool verbose = false;
};

Options parseOptions (int argc, char** argv)
{
	Options o;
	// By default the cadora-cli built beside this program.
	const std::string self = argv[0];
	if (self.find ('/') != std::string::npos)
		setCliPath (self.substr (0, self.rfind ('/') + 1) + "cadora-cli");
	for (int i = 1; i < argc; ++i)
	{
		if (std::strcmp (argv[i], "--jobs") == 0 && i + 1 < argc)
			o.jobs = std::max (1, std::atoi (argv[++i]));
		else if (std::strcmp (argv[i], "--verbose") == 0)
			o.verbose = true;
		else if (std::strcmp (argv[i], "--cli") == 0 && i + 1 < argc)
			setCliPath (argv[++i]);
		else
			o.musicDir = argv[i];
	}
	return o;
}

std::vector<PieceResult> analyseAll (const Options& o, const std::vector<PieceLabel>& labels)
{
	std::vector<PieceResult> results (labels.size ());
	std::atomic<size_t> next {0};
	auto work = [&] {
		for (size_t i = next++; i < labels.size (); i = next++)
			results[i] = analysePiece (o.musicDir + "/wav/" + labels[i].id + ".wav");
	};
	std::vector<std::thread> threads;
	for (int j = 1; j < o.jobs; ++j)
		threads.emplace_back (work);
	work ();
	for (auto& t : threads)
		t.join ();
	return results;
}

const char* nameOf (int32_t k)
{
	const char* name = keyName (k);
	return name ? name : "-";
}

void printPiece (const PieceLabel& label, const PieceResult& r)
{
	std::printf ("%-5s %-10s %6.1f %-3s %-8s |", label.id.c_str (), nameOf (label.key), label.bpm,
	             label.meter.c_str (), label.drums.c_str ());
	for (int c = 0; c < kCheckpointCount; ++c)
		std::printf (" %-10s %3d |", nameOf (r.key[c]), r.tempo[c]);
	std::printf (" first %.2f s\n", r.firstKeySeconds);
}

} // namespace

int main (int argc, char** argv)
{
	const Options o = parseOptions (argc, argv);
	const std::vector<PieceLabel> labels = loadLabels (o.musicDir + "/labels.csv");
	if (labels.empty ())
	{
		std::fprintf (stderr, "no labels in %s/labels.csv\n", o.musicDir.c_str ());
		return 1;
	}
	const std::vector<PieceResult> results = analyseAll (o, labels);
	for (size_t i = 0; i < labels.size (); ++i)
	{
		if (!results[i].ok)
		{
			std::fprintf (stderr, "%s: %s\n", labels[i].id.c_str (), results[i].error.c_str ());
			return 1;
		}
		if (o.verbose)
			printPiece (labels[i], results[i]);
	}
	std::printf ("%zu pieces from %s\n", labels.size (), o.musicDir.c_str ());
	printReport (std::cout, labels, results);
	return 0;
}
