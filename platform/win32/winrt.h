// The few Windows Runtime functions the media-session reader needs, looked up in
// combase.dll at run time: linking them would make the module fail to load where they
// are missing. Strings the runtime hands out are owned by RtText until read.
#pragma once

#include <windows.h>
#include <hstring.h>
#include <inspectable.h>

#include <string>

namespace cadora::platform {

struct WinRtFunctions
{
	HRESULT (WINAPI* getActivationFactory) (HSTRING classId, REFIID iid, void** factory) = nullptr;
	HRESULT (WINAPI* createString) (LPCWSTR text, UINT32 length, HSTRING* string) = nullptr;
	HRESULT (WINAPI* deleteString) (HSTRING string) = nullptr;
	PCWSTR (WINAPI* rawBuffer) (HSTRING string, UINT32* length) = nullptr;
};

// The functions, looked up once per process; null when combase.dll or one of them is
// missing (Windows 7).
const WinRtFunctions* winRtFunctions ();

// Asks the runtime for the activation factory of a class; fails (REGDB_E_CLASSNOTREG,
// E_NOTIMPL, ...) when the class or the runtime is missing.
HRESULT getActivationFactory (const wchar_t* className, REFIID iid, void** factory);

// An HSTRING received from the runtime, deleted when this goes.
class RtText
{
public:
	RtText () = default;
	~RtText ();
	RtText (const RtText&) = delete;
	RtText& operator= (const RtText&) = delete;

	HSTRING* receive () { return &string; }
	// The text; a null string (the runtime's empty text) gives an empty one.
	std::u16string text () const;

private:
	HSTRING string = nullptr;
};

} // namespace cadora::platform
