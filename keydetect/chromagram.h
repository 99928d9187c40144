// The progressive chromagram: one vector of semitone band levels per analysis hop, five
// octaves from A1 (55 Hz) upwards, lowest band first. Band b has pitch class b mod 12
// counted from A.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace cadora {

constexpr int kBandsPerOctave = 12;
constexpr int kOctaves = 5;
constexpr int kBandCount = kBandsPerOctave * kOctaves;
constexpr double kLowestBandHz = 55.0;

using BandLevels = std::array<double, kBandCount>;
using PitchClassLevels = std::array<double, kBandsPerOctave>;

class Chromagram
{
public:
	size_t hops () const { return levels.size (); }
	const BandLevels& hop (size_t i) const { return levels[i]; }
	void appendHop (const BandLevels& bands) { levels.push_back (bands); }

private:
	std::vector<BandLevels> levels;
};

} // namespace cadora
