#include "platform/win32/asyncwait.h"

#include <asyncinfo.h>
#include <wrl/client.h>

namespace cadora::platform {

namespace {

using Microsoft::WRL::ComPtr;

HRESULT failureOf (IAsyncInfo* info)
{
	HRESULT code = E_FAIL;
	if (FAILED (info->get_ErrorCode (&code)) || SUCCEEDED (code))
		code = E_FAIL;
	return code;
}

} // namespace

HRESULT awaitResults (AsyncOperation* operation, const std::atomic<bool>* keepGoing, IInspectable** results)
{
	*results = nullptr;
	ComPtr<IAsyncInfo> info;
	HRESULT result = operation->QueryInterface (IID_PPV_ARGS (&info));
	if (FAILED (result))
		return result;
	const auto deadline = std::chrono::steady_clock::now () + kAsyncWaitLimit;
	for (;;)
	{
		AsyncStatus status = AsyncStatus::Started;
		result = info->get_Status (&status);
		if (FAILED (result))
			return result;
		if (status == AsyncStatus::Completed)
			break;
		if (status != AsyncStatus::Started)
			return failureOf (info.Get ());
		if (keepGoing && !keepGoing->load ())
		{
			info->Cancel ();
			return E_ABORT;
		}
		if (std::chrono::steady_clock::now () >= deadline)
		{
			info->Cancel ();
			return HRESULT_FROM_WIN32 (ERROR_TIMEOUT);
		}
		Sleep (kAsyncPollMilliseconds);
	}
	result = operation->GetResults (results);
	if (SUCCEEDED (result) && !*results)
		result = E_POINTER;
	return result;
}

} // namespace cadora::platform
