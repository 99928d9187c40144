// Scoring of key and tempo results against the corpus labels: the weighted key score
// (1 right key, 0.5 a fifth away, 0.3 relative, 0.2 parallel), exact accuracy, the median
// time of the first key, and tempo accuracy within 4 % (also allowing x2 and /2, and of the
// true tempo folded into the octave the dashboard shows, 80..160 BPM).
#pragma once

#include "piecedriver.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace cadora {

struct PieceLabel
{
	std::string id;
	int32_t key = -1; // key index
	double bpm = 0.0;
	std::string meter; // "4/4", "3/4"; empty when the labels lack the column
	std::string drums; // drum style, "none" without drums
};

// Reads labels.csv (columns id, key, tonic_pc, mode, bpm, and optionally meter, drums).
std::vector<PieceLabel> loadLabels (const std::string& csvPath);

// Weighted score of `detected` (a key index or -1) for the true key `truth`.
double keyScore (int32_t detected, int32_t truth);

bool tempoWithin (int32_t detected, double truth, bool allowOctaves);
// Within 4 % of `truth` doubled or halved into [80, 160), the octave the plug-in shows.
bool tempoWithinFolded (int32_t detected, double truth);

void printReport (std::ostream& out, const std::vector<PieceLabel>& labels,
                  const std::vector<PieceResult>& results);

} // namespace cadora
