// Audio sessions on Windows through Core Audio: every session of every active render
// endpoint, with its owning process and its peak at this instant. A call that fails skips
// only its endpoint or session (Wine, for one, offers endpoints but no session list).
#include "platform/win32/desktopparts.h"

#include <windows.h>
#include <audiopolicy.h>
#include <mmdeviceapi.h>
#include <wrl/client.h>

namespace cadora::platform::coreaudio {

// IAudioMeterInformation: the MinGW headers only forward-declare it; its methods in their
// published order.
struct AudioMeterInformation : IUnknown
{
	virtual HRESULT STDMETHODCALLTYPE GetPeakValue (float* peak) = 0;
	virtual HRESULT STDMETHODCALLTYPE GetMeteringChannelCount (UINT* channels) = 0;
	virtual HRESULT STDMETHODCALLTYPE GetChannelsPeakValues (UINT32 count, float* peaks) = 0;
	virtual HRESULT STDMETHODCALLTYPE QueryHardwareSupport (DWORD* mask) = 0;
};

} // namespace cadora::platform::coreaudio

__CRT_UUID_DECL (cadora::platform::coreaudio::AudioMeterInformation, 0xC02216F6, 0x8C67, 0x4B5B, 0x9D, 0x00,
                 0xD0, 0x08, 0xE7, 0x3E, 0x00, 0x64)

namespace cadora::platform {

namespace {

using Microsoft::WRL::ComPtr;
using coreaudio::AudioMeterInformation;

AudioSession describe (IAudioSessionControl* session)
{
	AudioSession result;
	ComPtr<IAudioSessionControl2> control;
	DWORD pid = 0;
	if (SUCCEEDED (session->QueryInterface (IID_PPV_ARGS (&control))) &&
	    SUCCEEDED (control->GetProcessId (&pid)))
		result.pid = pid;
	ComPtr<AudioMeterInformation> meter;
	float peak = 0.0f;
	if (SUCCEEDED (session->QueryInterface (IID_PPV_ARGS (&meter))) &&
	    SUCCEEDED (meter->GetPeakValue (&peak)))
		result.peak = peak;
	return result;
}

void addSessionsOf (IMMDevice* device, std::vector<AudioSession>& out)
{
	ComPtr<IAudioSessionManager2> manager;
	if (FAILED (device->Activate (__uuidof(IAudioSessionManager2), CLSCTX_ALL, nullptr,
	                              reinterpret_cast<void**> (manager.GetAddressOf ()))))
		return;
	ComPtr<IAudioSessionEnumerator> sessions;
	int count = 0;
	if (FAILED (manager->GetSessionEnumerator (&sessions)) || FAILED (sessions->GetCount (&count)))
		return;
	for (int i = 0; i < count; ++i)
	{
		ComPtr<IAudioSessionControl> session;
		if (SUCCEEDED (sessions->GetSession (i, &session)))
			out.push_back (describe (session.Get ()));
	}
}

} // namespace

bool listAudioSessions (std::vector<AudioSession>& out)
{
	out.clear ();
	ComPtr<IMMDeviceEnumerator> enumerator;
	if (FAILED (
	        CoCreateInstance (__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, IID_PPV_ARGS (&enumerator))))
		return false;
	ComPtr<IMMDeviceCollection> devices;
	UINT count = 0;
	if (FAILED (enumerator->EnumAudioEndpoints (eRender, DEVICE_STATE_ACTIVE, &devices)) ||
	    FAILED (devices->GetCount (&count)))
		return false;
	for (UINT i = 0; i < count; ++i)
	{
		ComPtr<IMMDevice> device;
		if (SUCCEEDED (devices->Item (i, &device)))
			addSessionsOf (device.Get (), out);
	}
	return true;
}

} // namespace cadora::platform
