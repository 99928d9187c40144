// Faults outside a guarded call are not the guard's: they reach the handler the host
// had installed before, as if the guard were not there.
#include "platform/faultguard.h"

#include "pages.h"

#include <gtest/gtest.h>

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <setjmp.h>
#include <signal.h>
#endif

using cadora::platform::guarded;
using cadora::testing::releasedPage;

namespace {

#ifdef _WIN32

// The host's handler: the last vectored handler, which recovers by a jump of its own.
void* hostJump[5];
volatile bool hostSawFault = false;

LONG CALLBACK hostHandler (EXCEPTION_POINTERS* info)
{
	if (info->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION)
		return EXCEPTION_CONTINUE_SEARCH;
	hostSawFault = true;
	__builtin_longjmp (hostJump, 1);
}

__attribute__ ((noinline)) bool faultReachesHost ()
{
	void* handler = AddVectoredExceptionHandler (0, &hostHandler);
	guarded ([] {}); // the guard is in place, ahead of the host's handler
	hostSawFault = false;
	if (__builtin_setjmp (hostJump) == 0)
		*static_cast<volatile int*> (releasedPage ()) = 1;
	RemoveVectoredExceptionHandler (handler);
	return hostSawFault;
}

#else

// The host's handler: installed before the guard, it recovers by a jump of its own.
sigjmp_buf hostJump;
volatile sig_atomic_t hostSawFault = 0;

void hostHandler (int)
{
	hostSawFault = 1;
	siglongjmp (hostJump, 1);
}

bool faultReachesHost ()
{
	struct sigaction host
	{
	};
	host.sa_handler = &hostHandler;
	sigaction (SIGSEGV, &host, nullptr);
	guarded ([] {}); // takes over the signal, keeping the host's handler to pass on to
	hostSawFault = 0;
	if (sigsetjmp (hostJump, 1) == 0)
		*static_cast<volatile int*> (releasedPage ()) = 1;
	// Back to no host handler; the guard installs itself again over the default action.
	struct sigaction none
	{
	};
	none.sa_handler = SIG_DFL;
	sigaction (SIGSEGV, &none, nullptr);
	guarded ([] {});
	return hostSawFault != 0;
}

#endif

} // namespace

TEST (FaultGuard, FaultOutsideAGuardReachesTheHostsHandler)
{
	EXPECT_TRUE (faultReachesHost ());
	// And the guard still works afterwards.
	EXPECT_FALSE (guarded ([] { *static_cast<volatile int*> (releasedPage ()) = 1; }));
}

TEST (FaultGuard, ExceptionLeavesTheGuardedCallAndTheGuardBehind)
{
	EXPECT_THROW (guarded ([] { throw std::runtime_error ("foreign"); }), std::runtime_error);
	// Had the guard kept the abandoned call as its innermost one, this fault would jump
	// back into that call's dead frame instead of reaching the host.
	EXPECT_TRUE (faultReachesHost ());
}
