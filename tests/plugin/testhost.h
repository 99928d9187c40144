// Test helpers: a processor set up as a host would, process blocks of any shape, and
// state streams built from raw bytes.
#pragma once

#include "keydetect/steadyclock.h"
#include "plugin/processor.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/parameterchanges.h"

#include <cstring>
#include <memory>
#include <vector>

namespace cadora::test {

enum class WorkerKind
{
	manual, // cycles only when the test runs them, at the test's clock
	thread  // the real worker thread, as in a host
};

// A processor created, initialised and set up at `rate` with `maxBlock`; activation is up to the test.
struct ProcessorUnderTest
{
	ManualClock clock;
	Steinberg::IPtr<VantoProcessor> processor;

	explicit ProcessorUnderTest (double rate = 44100.0, Steinberg::int32 maxBlock = 512,
	                             WorkerKind worker = WorkerKind::manual)
	: processor (new VantoProcessor, false)
	{
		if (worker == WorkerKind::manual)
			processor->useManualWorker (clock);
		processor->initialize (nullptr);
		if (rate > 0)
		{
			Steinberg::Vst::ProcessSetup setup {Steinberg::Vst::kRealtime, Steinberg::Vst::kSample32,
			                                    maxBlock, rate};
			processor->setupProcessing (setup);
		}
	}
	~ProcessorUnderTest ()
	{
		processor->setActive (false);
		processor->terminate ();
	}
	VantoProcessor* operator->() { return processor.get (); }
};

// Planar float buffers for one bus.
struct Bus
{
	std::vector<std::vector<float>> channels;
	std::vector<float*> pointers;

	Bus (int numChannels, int numSamples, float value = 0.0f)
	: channels (numChannels, std::vector<float> (numSamples, value))
	{
		for (auto& c : channels)
			pointers.push_back (c.data ());
	}
	Steinberg::Vst::AudioBusBuffers buffers ()
	{
		Steinberg::Vst::AudioBusBuffers b {};
		b.numChannels = static_cast<Steinberg::int32> (channels.size ());
		b.channelBuffers32 = pointers.data ();
		return b;
	}
};

// Runs one 32-bit block; `changes` may be null.
inline Steinberg::tresult runBlock (VantoProcessor& p, Bus& in, Bus& out, int numSamples,
                                    Steinberg::Vst::IParameterChanges* changes = nullptr)
{
	auto inBuffers = in.buffers ();
	auto outBuffers = out.buffers ();
	Steinberg::Vst::ProcessData data {};
	data.symbolicSampleSize = Steinberg::Vst::kSample32;
	data.numSamples = numSamples;
	data.numInputs = 1;
	data.numOutputs = 1;
	data.inputs = &inBuffers;
	data.outputs = &outBuffers;
	data.inputParameterChanges = changes;
	return p.process (data);
}

// Parameter changes with one queue per id, points given as values at offsets 0, 1, 2, ...
inline std::unique_ptr<Steinberg::Vst::ParameterChanges>
    makeChanges (const std::vector<std::pair<Steinberg::Vst::ParamID, std::vector<double>>>& queues)
{
	auto changes = std::make_unique<Steinberg::Vst::ParameterChanges> (static_cast<int> (queues.size ()));
	for (const auto& [id, points] : queues)
	{
		Steinberg::int32 index = 0;
		auto* queue = changes->addParameterData (id, index);
		for (size_t i = 0; i < points.size (); ++i)
			queue->addPoint (static_cast<Steinberg::int32> (i), points[i], index);
	}
	return changes;
}

// Little-endian bytes of a state stream (x86-64 is little-endian).
struct StreamBytes
{
	std::vector<char> bytes;
	StreamBytes& f64 (double v) { return append (&v, 8); }
	StreamBytes& i32 (Steinberg::int32 v) { return append (&v, 4); }
	StreamBytes& append (const void* p, size_t n)
	{
		// resize and copy: GCC 12 misreads an insert of a range into an empty vector as an overflow
		const size_t at = bytes.size ();
		bytes.resize (at + n);
		std::memcpy (bytes.data () + at, p, n);
		return *this;
	}
};

// A stream holding `bytes` cut to at most `length` bytes, positioned at its start.
inline Steinberg::IPtr<Steinberg::MemoryStream> streamOf (std::vector<char> bytes, size_t length = SIZE_MAX)
{
	if (length < bytes.size ())
		bytes.resize (length);
	auto stream = Steinberg::owned (new Steinberg::MemoryStream);
	Steinberg::int32 written = 0;
	if (!bytes.empty ())
		stream->write (bytes.data (), static_cast<Steinberg::int32> (bytes.size ()), &written);
	stream->seek (0, Steinberg::IBStream::kIBSeekSet, nullptr);
	return stream;
}

inline std::vector<char> bytesOf (Steinberg::MemoryStream& stream)
{
	return std::vector<char> (stream.getData (), stream.getData () + stream.getSize ());
}

} // namespace cadora::test
