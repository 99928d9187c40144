// Shared by the state fuzzers: the input as a stream, and the check that whatever the
// controller accepted, the state it writes back holds only normalised values.
#pragma once

#include "public.sdk/source/common/memorystream.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace cadora::fuzz {

inline Steinberg::IPtr<Steinberg::MemoryStream> streamOf (const uint8_t* data, size_t size)
{
	auto stream = Steinberg::owned (new Steinberg::MemoryStream);
	Steinberg::int32 written = 0;
	if (size > 0)
		stream->write (const_cast<uint8_t*> (data), static_cast<Steinberg::int32> (size), &written);
	stream->seek (0, Steinberg::IBStream::kIBSeekSet, nullptr);
	return stream;
}

// Aborts unless the double at each of the given byte offsets of the saved state is a
// normalised value.
inline void requireNormalised (Steinberg::MemoryStream& saved, const size_t* offsets, size_t count)
{
	for (size_t i = 0; i < count; ++i)
	{
		if (offsets[i] + sizeof (double) > static_cast<size_t> (saved.getSize ()))
			std::abort ();
		double v;
		std::memcpy (&v, saved.getData () + offsets[i], sizeof v);
		if (!(v >= 0.0 && v <= 1.0))
			std::abort ();
	}
}

} // namespace cadora::fuzz
