// Turns a hardware fault inside one call (a read of released memory, a virtual call
// through a dead object, a jump into garbage) into a failure result of that call, so that
// touching memory or objects owned by somebody else cannot take the host down.
#pragma once

#include <cstddef>

namespace cadora::platform {

using GuardedFunction = void (*) (void* context);

// Runs function (context) on the calling thread. Returns true when it returned normally,
// false when a hardware fault stopped it. Any thread may call it, also from inside a
// guarded function. A fault unwinds nothing: destructors of objects made inside the
// guarded function do not run and locks it took stay taken, so guarded code should be
// plain reads and calls into foreign code.
bool guardedCall (GuardedFunction function, void* context);

// guardedCall for a callable, typically a lambda with captures.
template <typename Function>
bool guarded (Function function)
{
	return guardedCall ([] (void* f) { (*static_cast<Function*> (f)) (); }, &function);
}

// Copies size bytes from source to destination; false (destination partly written)
// when some byte of the source cannot be read.
bool guardedCopy (void* destination, const void* source, size_t size);

} // namespace cadora::platform
