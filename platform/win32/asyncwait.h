// Waiting for a Windows Runtime asynchronous operation on a thread of the multithreaded
// apartment, by polling its status: at most kAsyncWaitLimit, and no more than one poll
// interval once keepGoing turns false. A media service that never answers must not hold
// up the closing editor, which waits for the detection thread.
#pragma once

#include <windows.h>
#include <inspectable.h>

#include <atomic>
#include <chrono>

namespace cadora::platform {

constexpr std::chrono::milliseconds kAsyncWaitLimit {2000};
constexpr DWORD kAsyncPollMilliseconds = 5;

// IAsyncOperation<T> for a T that is an object, in the published slot order; its IID
// depends on T, and it also offers IAsyncInfo.
struct AsyncOperation : IInspectable
{
	virtual HRESULT STDMETHODCALLTYPE put_Completed (IUnknown* handler) = 0;
	virtual HRESULT STDMETHODCALLTYPE get_Completed (IUnknown** handler) = 0;
	virtual HRESULT STDMETHODCALLTYPE GetResults (IInspectable** results) = 0;
};

// On success *results holds the operation's result (a new reference, never null). Fails with the operation's
// error code, E_ABORT when keepGoing turned false, or HRESULT_FROM_WIN32 (ERROR_TIMEOUT); an operation given
// up is cancelled. keepGoing may be null.
HRESULT awaitResults (AsyncOperation* operation, const std::atomic<bool>* keepGoing, IInspectable** results);

} // namespace cadora::platform
