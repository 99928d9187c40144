// Stand-in for a playing player on the sound server: plays a sine at the given peak level
// with low latency (40 ms of buffer, as a player that wants a quick meter), until its
// standard input closes. Copies of it named like the players play as those players.
// It says "ready" after 1.5 s of playing: a null sink that has just woken up has rendered
// up to a second ahead, and a meter attached then sees its first peak only that much
// later, while a player that has been playing for a moment is metered at once.
//   tone_standin --level PEAK [--frequency HZ]
#include "waitforeof.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <pulse/simple.h>
#include <string>
#include <vector>

int main (int argc, char** argv)
{
	float level = 0.5f, frequency = 440.0f;
	for (int i = 1; i + 1 < argc; i += 2)
	{
		if (std::strcmp (argv[i], "--level") == 0)
			level = std::strtof (argv[i + 1], nullptr);
		else if (std::strcmp (argv[i], "--frequency") == 0)
			frequency = std::strtof (argv[i + 1], nullptr);
	}
	constexpr uint32_t kRate = 48000;
	constexpr uint32_t kBlock = kRate / 100; // 10 ms
	const pa_sample_spec format {PA_SAMPLE_FLOAT32NE, kRate, 1};
	pa_buffer_attr attributes;
	std::memset (&attributes, 0xFF, sizeof (attributes));
	attributes.tlength = kRate * 40 / 1000 * sizeof (float);
	attributes.minreq = kBlock * sizeof (float);
	int error = 0;
	pa_simple* stream = pa_simple_new (nullptr, "tone", PA_STREAM_PLAYBACK, nullptr, "tone", &format, nullptr,
	                                   &attributes, &error);
	if (!stream)
		return 1;
	std::vector<float> block (kBlock);
	double phase = 0.0;
	const double step = 2.0 * M_PI * frequency / kRate;
	bool announced = false;
	int blocksBeforeReady = 150;
	while (cadora::standin::inputStillOpen (0))
	{
		for (auto& sample : block)
		{
			sample = level * static_cast<float> (std::sin (phase));
			phase = std::fmod (phase + step, 2.0 * M_PI);
		}
		if (pa_simple_write (stream, block.data (), block.size () * sizeof (float), &error) < 0)
			return 1;
		if (!announced && --blocksBeforeReady == 0)
		{
			cadora::standin::announceReady ();
			announced = true;
		}
	}
	pa_simple_free (stream);
	return 0;
}
