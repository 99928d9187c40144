// guardedCopy: byte copy under the fault guard; the same on every platform.
#include "platform/faultguard.h"

namespace cadora::platform {

namespace {

struct CopyJob
{
	unsigned char* destination;
	const volatile unsigned char* source;
	size_t size;
};

// Not instrumented by the sanitizers: the source is memory we do not own (objects of
// other plug-ins, regions other threads may release) read on purpose under the fault
// guard, where a fault is an answer rather than a fault of ours.
__attribute__ ((no_sanitize ("address", "undefined", "thread"))) void copyBytes (void* context)
{
	auto* job = static_cast<CopyJob*> (context);
	// Byte by byte through volatile: the compiler may not turn this into a library call
	// or read ahead of the fault.
	for (size_t i = 0; i < job->size; ++i)
		job->destination[i] = job->source[i];
}

} // namespace

bool guardedCopy (void* destination, const void* source, size_t size)
{
	CopyJob job {static_cast<unsigned char*> (destination),
	             static_cast<const volatile unsigned char*> (source), size};
	return guardedCall (&copyBytes, &job);
}

} // namespace cadora::platform
