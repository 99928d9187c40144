// Audio as cadora-cli holds it: interleaved 32-bit float samples with rate and channels.
#pragma once

#include <cstddef>
#include <vector>

namespace cadora::cli {

struct Audio
{
	int sampleRate = 0;
	int channels = 0;
	std::vector<float> interleaved;
	size_t frames () const { return channels > 0 ? interleaved.size () / channels : 0; }
};

} // namespace cadora::cli
