#include "keydetect/decimator.h"

#include "dsp/mathconstants.h"

#include <algorithm>
#include <cmath>

namespace cadora {
namespace {

// The decimated rate stays at or above this, so that the pass band ends well below Nyquist.
constexpr double kMinOutputRate = 4200.0;
// Highest frequency the key analysis looks at; everything up to here passes.
constexpr double kPassEdgeHz = 1760.0;
// Transition width factor of a Blackman-windowed sinc: taps = factor * rate / width.
constexpr double kBlackmanWidthFactor = 5.5;

double blackman (size_t i, size_t length)
{
	const double x = 2.0 * kPi * static_cast<double> (i) / static_cast<double> (length - 1);
	return 0.42 - 0.5 * std::cos (x) + 0.08 * std::cos (2.0 * x);
}

// Low-pass with unit gain at DC. Whatever lies between the pass edge and (output rate -
// pass edge) may alias, but only onto frequencies above the pass edge.
std::vector<double> designLowPass (double inputRate, double outputRate)
{
	const double stopEdge = outputRate - kPassEdgeHz;
	const double width = std::max (stopEdge - kPassEdgeHz, 50.0);
	size_t length = static_cast<size_t> (std::ceil (kBlackmanWidthFactor * inputRate / width)) | 1u;
	const double cutoff = 0.5 * (kPassEdgeHz + stopEdge) / inputRate; // cycles per sample
	std::vector<double> h (length);
	const double centre = 0.5 * static_cast<double> (length - 1);
	double sum = 0.0;
	for (size_t i = 0; i < length; ++i)
	{
		const double t = static_cast<double> (i) - centre;
		const double sinc = t == 0.0 ? 2.0 * cutoff : std::sin (2.0 * kPi * cutoff * t) / (kPi * t);
		h[i] = sinc * blackman (i, length);
		sum += h[i];
	}
	for (double& v : h)
		v /= sum;
	return h;
}

} // namespace

void Decimator::configure (uint32_t inputRate)
{
	step = std::max<uint32_t> (1u, static_cast<uint32_t> (inputRate / kMinOutputRate));
	rate = static_cast<double> (inputRate) / step;
	if (step == 1)
		taps.assign (1, 1.0);
	else
		taps = designLowPass (inputRate, rate);
	history.assign (taps.size () - 1, 0.0);
	untilNextOutput = 0;
}

void Decimator::process (const double* x, size_t count, std::vector<double>& out)
{
	const size_t order = taps.size () - 1;
	std::vector<double> buffer (history);
	buffer.insert (buffer.end (), x, x + count);
	// buffer[order + i] is input sample i; an output at i convolves buffer[i .. i + order].
	size_t i = untilNextOutput;
	for (; i < count; i += step)
	{
		const double* window = buffer.data () + i;
		double y = 0.0;
		for (size_t j = 0; j <= order; ++j)
			y += taps[j] * window[order - j];
		out.push_back (y);
	}
	untilNextOutput = static_cast<uint32_t> (i - count);
	history.assign (buffer.end () - static_cast<std::ptrdiff_t> (order), buffer.end ());
}

} // namespace cadora
