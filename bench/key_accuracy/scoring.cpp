#include "scoring.h"

#include "keydetect/keymodel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>

namespace cadora {
namespace {

std::vector<std::string> splitCsvLine (const std::string& line)
{
	std::vector<std::string> fields;
	std::stringstream in (line);
	std::string field;
	while (std::getline (in, field, ','))
		fields.push_back (field);
	return fields;
}

int columnOf (const std::vector<std::string>& header, const std::string& name)
{
	const auto it = std::find (header.begin (), header.end (), name);
	return it == header.end () ? -1 : static_cast<int> (it - header.begin ());
}

double median (std::vector<double> v)
{
	if (v.empty ())
		return 0.0;
	std::sort (v.begin (), v.end ());
	const size_t n = v.size ();
	return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

struct Tally
{
	double score = 0.0;
	int exact = 0;
	int pieces = 0;

	void add (int32_t detected, int32_t truth)
	{
		score += keyScore (detected, truth);
		exact += detected == truth ? 1 : 0;
		++pieces;
	}
	std::string text () const
	{
		char buffer[64];
		std::snprintf (buffer, sizeof buffer, "%.3f  %5.1f %%", pieces ? score / pieces : 0.0,
		               pieces ? 100.0 * exact / pieces : 0.0);
		return buffer;
	}
};

} // namespace

std::vector<PieceLabel> loadLabels (const std::string& csvPath)
{
	std::ifstream in (csvPath);
	std::string line;
	std::vector<PieceLabel> labels;
	if (!std::getline (in, line))
		return labels;
	const std::vector<std::string> header = splitCsvLine (line);
	const int id = columnOf (header, "id");
	const int tonic = columnOf (header, "tonic_pc");
	const int mode = columnOf (header, "mode");
	const int bpm = columnOf (header, "bpm");
	const int meter = columnOf (header, "meter");
	const int drums = columnOf (header, "drums");
	if (id < 0 || tonic < 0 || mode < 0 || bpm < 0)
		return labels;
	while (std::getline (in, line))
	{
		const std::vector<std::string> f = splitCsvLine (line);
		if (static_cast<int> (f.size ()) <= std::max ({id, tonic, mode, bpm}))
			continue;
		PieceLabel label;
		label.id = f[id];
		label.key = keyIndexFromRoot (std::stoi (f[tonic]) % 12, f[mode] == "minor");
		label.bpm = std::stod (f[bpm]);
		if (meter >= 0 && meter < static_cast<int> (f.size ()))
			label.meter = f[meter];
		if (drums >= 0 && drums < static_cast<int> (f.size ()))
			label.drums = f[drums];
		labels.push_back (label);
	}
	return labels;
}

double keyScore (int32_t detected, int32_t truth)
{
	if (detected < 0 || detected >= kKeyCount)
		return 0.0;
	if (detected == truth)
		return 1.0;
	const int32_t root = keyIndexToRoot (detected);
	const int32_t trueRoot = keyIndexToRoot (truth);
	const bool minor = keyIndexIsMinor (detected);
	const bool trueMinor = keyIndexIsMinor (truth);
	const int32_t interval = (root - trueRoot + 12) % 12;
	if (minor == trueMinor)
		return interval == 7 || interval == 5 ? 0.5 : 0.0;
	if (interval == 0)
		return 0.2;
	const bool relative = trueMinor ? interval == 3 : interval == 9;
	return relative ? 0.3 : 0.0;
}

bool tempoWithin (int32_t detected, double truth, bool allowOctaves)
{
	if (detected <= 0 || truth <= 0.0)
		return false;
	const auto close = [detected] (double t) {
		return std::fabs (detected - t) <= 0.04 * t;
	};
	if (close (truth))
		return true;
	return allowOctaves && (close (2.0 * truth) || close (0.5 * truth));
}

bool tempoWithinFolded (int32_t detected, double truth)
{
	if (truth <= 0.0)
		return false;
	while (truth < 80.0)
		truth *= 2.0;
	while (truth >= 160.0)
		truth *= 0.5;
	return tempoWithin (detected, truth, false);
}

void printReport (std::ostream& out, const std::vector<PieceLabel>& labels,
                  const std::vector<PieceResult>& results)
{
	out << "checkpoint   weighted  exact    | major             | minor             | tempo 4 %  x2/÷2   "
	       "folded\n";
	for (int c = 0; c < kCheckpointCount; ++c)
	{
		Tally all, major, minor;
		int tempoExact = 0, tempoOctave = 0, tempoFolded = 0;
		for (size_t i = 0; i < labels.size (); ++i)
		{
			const int32_t key = results[i].key[c];
			all.add (key, labels[i].key);
			(keyIndexIsMinor (labels[i].key) ? minor : major).add (key, labels[i].key);
			tempoExact += tempoWithin (results[i].tempo[c], labels[i].bpm, false) ? 1 : 0;
			tempoOctave += tempoWithin (results[i].tempo[c], labels[i].bpm, true) ? 1 : 0;
			tempoFolded += tempoWithinFolded (results[i].tempo[c], labels[i].bpm) ? 1 : 0;
		}
		char buffer[200];
		std::snprintf (buffer, sizeof buffer, "%-10s   %s | %s | %s | %5.1f %%  %5.1f %%  %5.1f %%\n",
		               kCheckpointNames[c], all.text ().c_str (), major.text ().c_str (),
		               minor.text ().c_str (), 100.0 * tempoExact / labels.size (),
		               100.0 * tempoOctave / labels.size (), 100.0 * tempoFolded / labels.size ());
		out << buffer;
	}
	std::vector<double> firstKeys;
	int never = 0;
	for (const PieceResult& r : results)
	{
		if (r.firstKeySeconds >= 0.0)
			firstKeys.push_back (r.firstKeySeconds);
		else
			++never;
	}
	char buffer[120];
	std::snprintf (buffer, sizeof buffer, "first published key: median %.2f s (%d pieces without a key)\n",
	               median (firstKeys), never);
	out << buffer;
}

} // namespace cadora
