#include "platform/win32/winrt.h"

namespace cadora::platform {

namespace {

template <typename Function>
bool lookUp (HMODULE module, const char* name, Function& function)
{
	function = reinterpret_cast<Function> (reinterpret_cast<void*> (GetProcAddress (module, name)));
	return function != nullptr;
}

WinRtFunctions lookUpAll ()
{
	WinRtFunctions functions;
	// Kept loaded for the life of the process, like the factory obtained through it.
	HMODULE combase = LoadLibraryExW (L"combase.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
	if (!combase)
		return {};
	if (!lookUp (combase, "RoGetActivationFactory", functions.getActivationFactory) ||
	    !lookUp (combase, "WindowsCreateString", functions.createString) ||
	    !lookUp (combase, "WindowsDeleteString", functions.deleteString) ||
	    !lookUp (combase, "WindowsGetStringRawBuffer", functions.rawBuffer))
		return {};
	return functions;
}

} // namespace

const WinRtFunctions* winRtFunctions ()
{
	static const WinRtFunctions functions = lookUpAll ();
	return functions.getActivationFactory ? &functions : nullptr;
}

HRESULT getActivationFactory (const wchar_t* className, REFIID iid, void** factory)
{
	*factory = nullptr;
	const WinRtFunctions* rt = winRtFunctions ();
	if (!rt)
		return E_NOTIMPL;
	HSTRING classId = nullptr;
	HRESULT result = rt->createString (className, static_cast<UINT32> (wcslen (className)), &classId);
	if (FAILED (result))
		return result;
	result = rt->getActivationFactory (classId, iid, factory);
	rt->deleteString (classId);
	return result;
}

RtText::~RtText ()
{
	if (string)
		winRtFunctions ()->deleteString (string);
}

std::u16string RtText::text () const
{
	if (!string)
		return {};
	UINT32 length = 0;
	const wchar_t* raw = winRtFunctions ()->rawBuffer (string, &length);
	if (!raw)
		return {};
	return std::u16string (reinterpret_cast<const char16_t*> (raw), length);
}

} // namespace cadora::platform
