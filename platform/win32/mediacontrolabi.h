// The Windows Runtime interfaces of Windows.Media.Control that the media-session reader
// calls, declared at the ABI level (the MinGW headers have none); the names drop the
// "IGlobalSystemMediaTransportControls" prefix. Each lists its methods
// in the slot order of the published Windows metadata, up to the last one used; the
// slots after it are never called. Objects of runtime classes travel as their default
// interface.
#pragma once

#include "platform/win32/asyncwait.h"

#include <windows.h>
#include <hstring.h>
#include <inspectable.h>

namespace cadora::platform::mediacontrol {

constexpr wchar_t kManagerClass[] = L"Windows.Media.Control.GlobalSystemMediaTransportControlsSessionManager";

struct ManagerStatics : IInspectable
{
	// IAsyncOperation<GlobalSystemMediaTransportControlsSessionManager>
	virtual HRESULT STDMETHODCALLTYPE RequestAsync (AsyncOperation** operation) = 0;
};

struct Session;

// IVectorView<GlobalSystemMediaTransportControlsSession>
struct SessionList : IInspectable
{
	virtual HRESULT STDMETHODCALLTYPE GetAt (UINT32 index, Session** session) = 0;
	virtual HRESULT STDMETHODCALLTYPE get_Size (UINT32* size) = 0;
};

struct Manager : IInspectable
{
	virtual HRESULT STDMETHODCALLTYPE GetCurrentSession (Session** session) = 0;
	virtual HRESULT STDMETHODCALLTYPE GetSessions (SessionList** sessions) = 0;
};

struct PlaybackInfo : IInspectable
{
	virtual HRESULT STDMETHODCALLTYPE get_Controls (IInspectable** controls) = 0;
	// GlobalSystemMediaTransportControlsSessionPlaybackStatus: 4 = Playing.
	virtual HRESULT STDMETHODCALLTYPE get_PlaybackStatus (INT32* status) = 0;
};

struct MediaProperties : IInspectable
{
	virtual HRESULT STDMETHODCALLTYPE get_Title (HSTRING* title) = 0;
	virtual HRESULT STDMETHODCALLTYPE get_Subtitle (HSTRING* subtitle) = 0;
	virtual HRESULT STDMETHODCALLTYPE get_AlbumArtist (HSTRING* albumArtist) = 0;
	virtual HRESULT STDMETHODCALLTYPE get_Artist (HSTRING* artist) = 0;
};

struct Session : IInspectable
{
	virtual HRESULT STDMETHODCALLTYPE get_SourceAppUserModelId (HSTRING* id) = 0;
	// IAsyncOperation<GlobalSystemMediaTransportControlsSessionMediaProperties>
	virtual HRESULT STDMETHODCALLTYPE TryGetMediaPropertiesAsync (AsyncOperation** operation) = 0;
	virtual HRESULT STDMETHODCALLTYPE GetTimelineProperties (IInspectable** properties) = 0;
	virtual HRESULT STDMETHODCALLTYPE GetPlaybackInfo (PlaybackInfo** info) = 0;
};

} // namespace cadora::platform::mediacontrol

// The interface ids, for __uuidof (IID_PPV_ARGS, ComPtr::As).
__CRT_UUID_DECL (cadora::platform::mediacontrol::ManagerStatics, // ...SessionManagerStatics
                 0x2050C4EE, 0x11A0, 0x57DE, 0xAE, 0xD7, 0xC9, 0x7C, 0x70, 0x33, 0x82, 0x45)
__CRT_UUID_DECL (cadora::platform::mediacontrol::Manager, // ...SessionManager
                 0xCACE8EAC, 0xE86E, 0x504A, 0xAB, 0x31, 0x5F, 0xF8, 0xFF, 0x1B, 0xCE, 0x49)
__CRT_UUID_DECL (cadora::platform::mediacontrol::Session, // ...Session
                 0x7148C835, 0x9B14, 0x5AE2, 0xAB, 0x85, 0xDC, 0x9B, 0x1C, 0x14, 0xE1, 0xA8)
__CRT_UUID_DECL (cadora::platform::mediacontrol::PlaybackInfo, // ...SessionPlaybackInfo
                 0x94B4B6CF, 0xE8BA, 0x51AD, 0x87, 0xA7, 0xC1, 0x0A, 0xDE, 0x10, 0x61, 0x27)
__CRT_UUID_DECL (cadora::platform::mediacontrol::MediaProperties, // ...SessionMediaProperties
                 0x68856CF6, 0xADB4, 0x54B2, 0xAC, 0x16, 0x05, 0x83, 0x79, 0x07, 0xAC, 0xB6)
