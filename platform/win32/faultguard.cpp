// Fault guard on Windows: a vectored exception handler jumps back into the guarded call
// of the faulting thread (__builtin_setjmp/__builtin_longjmp; GCC has no __try). Faults
// outside a guarded call, and every other exception, go on to the usual handlers.
#include "platform/faultguard.h"

#include <windows.h>

#include <mutex>

namespace cadora::platform {

namespace {

struct Frame
{
	void* jump[5]; // what __builtin_setjmp needs
	Frame* outer;
};

// The innermost guarded call of each thread, in a TLS slot: reading it in the handler
// never allocates (MinGW's thread_local may).
DWORD frameSlot = TLS_OUT_OF_INDEXES;

bool isHardwareFault (DWORD code)
{
	switch (code)
	{
		case EXCEPTION_ACCESS_VIOLATION:
		case EXCEPTION_IN_PAGE_ERROR:
		case EXCEPTION_ILLEGAL_INSTRUCTION:
		case EXCEPTION_PRIV_INSTRUCTION:
		case EXCEPTION_DATATYPE_MISALIGNMENT:
		case EXCEPTION_INT_DIVIDE_BY_ZERO: return true;
		default: return false;
	}
}

Frame* currentFrame ()
{
	const DWORD error = GetLastError ();
	auto* frame = static_cast<Frame*> (TlsGetValue (frameSlot));
	SetLastError (error);
	return frame;
}

LONG CALLBACK onException (EXCEPTION_POINTERS* info)
{
	if (!isHardwareFault (info->ExceptionRecord->ExceptionCode))
		return EXCEPTION_CONTINUE_SEARCH;
	if (auto* frame = currentFrame ())
		__builtin_longjmp (frame->jump, 1);
	return EXCEPTION_CONTINUE_SEARCH;
}

// The handler is removed when the module is unloaded: a handler left behind would
// point into unmapped code.
class Installation
{
public:
	Installation ()
	{
		frameSlot = TlsAlloc ();
		if (frameSlot != TLS_OUT_OF_INDEXES)
			handler = AddVectoredExceptionHandler (1, &onException);
	}

	~Installation ()
	{
		if (handler)
			RemoveVectoredExceptionHandler (handler);
		if (frameSlot != TLS_OUT_OF_INDEXES)
			TlsFree (frameSlot);
	}

	bool ready () const { return handler != nullptr; }

private:
	void* handler = nullptr;
};

bool installed ()
{
	static Installation instance;
	return instance.ready ();
}

} // namespace

__attribute__ ((noinline)) bool guardedCall (GuardedFunction function, void* context)
{
	if (!installed ())
		return false;
	Frame frame;
	frame.outer = currentFrame ();
	if (__builtin_setjmp (frame.jump) == 0)
	{
		TlsSetValue (frameSlot, &frame);
		try
		{
			function (context);
		}
		catch (...)
		{
			// An exception leaves the call as it would without the guard.
			TlsSetValue (frameSlot, frame.outer);
			throw;
		}
		TlsSetValue (frameSlot, frame.outer);
		return true;
	}
	TlsSetValue (frameSlot, frame.outer);
	return false;
}

} // namespace cadora::platform
