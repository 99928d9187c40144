// Fault guard on Linux: handlers for the hardware fault signals jump back into the
// guarded call of the faulting thread (sigsetjmp/siglongjmp). Faults outside a guarded
// call go on to whatever handler was installed before, or end the process as usual.
#include "platform/faultguard.h"

#include <pthread.h>
#include <setjmp.h>
#include <signal.h>

#include <mutex>

namespace cadora::platform {

namespace {

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE};
constexpr int kSignalCount = sizeof (kFaultSignals) / sizeof (kFaultSignals[0]);

struct Frame
{
	sigjmp_buf jump;
	Frame* outer;
};

// The innermost guarded call of each thread. A pthread key rather than thread_local:
// reading it in the signal handler never allocates.
pthread_key_t frameKey;
struct sigaction previousActions[kSignalCount];

int signalIndex (int signal)
{
	for (int i = 0; i < kSignalCount; ++i)
		if (kFaultSignals[i] == signal)
			return i;
	return 0;
}

// Hands a fault that is not ours on as if this handler had never been installed.
void passOn (int signal, siginfo_t* info, void* context)
{
	struct sigaction& previous = previousActions[signalIndex (signal)];
	if ((previous.sa_flags & SA_SIGINFO) && previous.sa_sigaction)
	{
		previous.sa_sigaction (signal, info, context);
		return;
	}
	if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN)
	{
		previous.sa_handler (signal);
		return;
	}
	// Default action: once this handler returns, the raised signal ends the process.
	struct sigaction fallback
	{
	};
	fallback.sa_handler = SIG_DFL;
	sigaction (signal, &fallback, nullptr);
	raise (signal);
}

void onFault (int signal, siginfo_t* info, void* context)
{
	if (auto* frame = static_cast<Frame*> (pthread_getspecific (frameKey)))
		siglongjmp (frame->jump, 1);
	passOn (signal, info, context);
}

bool handlerInstalled (int signal)
{
	struct sigaction current
	{
	};
	sigaction (signal, nullptr, &current);
	return (current.sa_flags & SA_SIGINFO) && current.sa_sigaction == &onFault;
}

// Installs the handlers, again if somebody replaced them since, keeping the replaced
// ones to pass foreign faults on to. Removed when the module is unloaded.
class Installation
{
public:
	Installation () { pthread_key_create (&frameKey, nullptr); }

	~Installation ()
	{
		std::lock_guard<std::mutex> hold (lock);
		for (int i = 0; i < kSignalCount; ++i)
			if (handlerInstalled (kFaultSignals[i]))
				sigaction (kFaultSignals[i], &previousActions[i], nullptr);
		pthread_key_delete (frameKey);
	}

	void ensure ()
	{
		std::lock_guard<std::mutex> hold (lock);
		for (int i = 0; i < kSignalCount; ++i)
		{
			if (handlerInstalled (kFaultSignals[i]))
				continue;
			struct sigaction action
			{
			};
			action.sa_sigaction = &onFault;
			action.sa_flags = SA_SIGINFO | SA_ONSTACK;
			sigemptyset (&action.sa_mask);
			sigaction (kFaultSignals[i], &action, &previousActions[i]);
		}
	}

private:
	std::mutex lock;
};

Installation& installation ()
{
	static Installation instance;
	return instance;
}

} // namespace

__attribute__ ((noinline)) bool guardedCall (GuardedFunction function, void* context)
{
	installation ().ensure ();
	Frame frame;
	frame.outer = static_cast<Frame*> (pthread_getspecific (frameKey));
	// The saved signal mask is restored by the jump: the fault signal is blocked while
	// its handler runs.
	if (sigsetjmp (frame.jump, 1) == 0)
	{
		pthread_setspecific (frameKey, &frame);
		try
		{
			function (context);
		}
		catch (...)
		{
			// An exception leaves the call as it would without the guard.
			pthread_setspecific (frameKey, frame.outer);
			throw;
		}
		pthread_setspecific (frameKey, frame.outer);
		return true;
	}
	pthread_setspecific (frameKey, frame.outer);
	return false;
}

} // namespace cadora::platform
