// centre_removal [MUSIC_DIR] [--verbose]
// Measures what the vocal remover does to the lead and to the accompaniment of the test music:
// for every piece with layout=centre and stems (MUSIC_DIR/labels.csv, MUSIC_DIR/wav/ID_lead.wav
// and ID_backing.wav, default ../test-music), each stem goes through the remover on its own, in
// 512-sample blocks from a fresh state, at Mute Strength 0.5 and 1.0. The remover is linear apart
// from its output clip, so the two stems' changes are those of their parts in the mix. Prints
// the energy change of the lead, of the accompaniment and their difference in dB, averaged over
// the pieces.
#include "dsp/vocalremover.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kBlock = 512;
constexpr float kStrengths[] = {0.5f, 1.0f};

struct Stereo
{
	std::vector<float> left, right;
};

bool readStereo (const std::string& path, Stereo& out)
{
	SF_INFO info {};
	SNDFILE* file = sf_open (path.c_str (), SFM_READ, &info);
	if (file == nullptr || info.channels < 1)
		return false;
	std::vector<float> frames (static_cast<std::size_t> (info.frames * info.channels));
	const sf_count_t got = sf_readf_float (file, frames.data (), info.frames);
	sf_close (file);
	out.left.resize (static_cast<std::size_t> (got));
	out.right.resize (static_cast<std::size_t> (got));
	for (sf_count_t i = 0; i < got; ++i)
	{
		out.left[static_cast<std::size_t> (i)] = frames[static_cast<std::size_t> (i * info.channels)];
		out.right[static_cast<std::size_t> (i)] =
		    frames[static_cast<std::size_t> (i * info.channels + (info.channels > 1 ? 1 : 0))];
	}
	return got > 0;
}

double energy (const Stereo& s)
{
	double e = 0.0;
	for (std::size_t i = 0; i < s.left.size (); ++i)
		e += static_cast<double> (s.left[i]) * s.left[i] + static_cast<double> (s.right[i]) * s.right[i];
	return e;
}

// Energy change in dB of one stem through the remover at `strength`.
double changeDb (Stereo stem, float strength)
{
	const double before = energy (stem);
	cadora::VocalRemoverState state;
	const auto n = static_cast<int> (stem.left.size ());
	for (int p = 0; p < n; p += kBlock)
		cadora::removeVocals (state, stem.left.data () + p, stem.right.data () + p, std::min (kBlock, n - p),
		                      strength);
	return 10.0 * std::log10 (energy (stem) / before);
}

std::vector<std::string> splitCsv (const std::string& line)
{
	std::vector<std::string> fields;
	std::stringstream ss (line);
	std::string field;
	while (std::getline (ss, field, ','))
		fields.push_back (field);
	return fields;
}

// Ids of the pieces with layout=centre and stems, from labels.csv.
std::vector<std::string> centrePieces (const std::string& labelsPath)
{
	std::ifstream labels (labelsPath);
	std::string line;
	std::vector<std::string> ids;
	if (!std::getline (labels, line))
		return ids;
	const auto header = splitCsv (line);
	std::size_t id = header.size (), layout = header.size (), stems = header.size ();
	for (std::size_t i = 0; i < header.size (); ++i)
	{
		if (header[i] == "id")
			id = i;
		else if (header[i] == "layout")
			layout = i;
		else if (header[i] == "stems")
			stems = i;
	}
	while (std::getline (labels, line))
	{
		const auto f = splitCsv (line);
		if (f.size () > std::max ({id, layout, stems}) && f[layout] == "centre" && f[stems] == "1")
			ids.push_back (f[id]);
	}
	return ids;
}

} // namespace

int main (int argc, char** argv)
{
	std::string dir = "../test-music";
	bool verbose = false;
	for (int i = 1; i < argc; ++i)
	{
		if (std::strcmp (argv[i], "--verbose") == 0)
			verbose = true;
		else if (argv[i][0] != '-')
			dir = argv[i];
		else
		{
			std::fprintf (stderr, "usage: %s [MUSIC_DIR] [--verbose]\n", argv[0]);
			return 2;
		}
	}
	const auto ids = centrePieces (dir + "/labels.csv");
	double sum[2][2] = {}; // [strength][lead, accompaniment]
	int pieces = 0;
	for (const auto& id : ids)
	{
		Stereo lead, backing;
		if (!readStereo (dir + "/wav/" + id + "_lead.wav", lead) ||
		    !readStereo (dir + "/wav/" + id + "_backing.wav", backing))
			continue;
		++pieces;
		for (int s = 0; s < 2; ++s)
		{
			const double leadDb = changeDb (lead, kStrengths[s]);
			const double backingDb = changeDb (backing, kStrengths[s]);
			sum[s][0] += leadDb;
			sum[s][1] += backingDb;
			if (verbose)
				std::printf ("%s strength %.1f: lead %+.2f dB, accompaniment %+.2f dB\n", id.c_str (),
				             kStrengths[s], leadDb, backingDb);
		}
	}
	if (pieces == 0)
	{
		std::fprintf (stderr, "no centre-layout pieces with stems under %s\n", dir.c_str ());
		return 1;
	}
	std::printf ("Centre removal over %d pieces with stems (%s), energy change averaged in dB:\n", pieces,
	             dir.c_str ());
	std::printf ("%-14s %12s %16s %12s\n", "Mute Strength", "lead", "accompaniment", "difference");
	for (int s = 0; s < 2; ++s)
	{
		const double lead = sum[s][0] / pieces, backing = sum[s][1] / pieces;
		std::printf ("%-14.1f %+12.2f %+16.2f %12.2f\n", kStrengths[s], lead, backing, backing - lead);
	}
	return 0;
}
