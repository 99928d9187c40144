// Media sessions on Windows. The manager's activation factory is obtained on first
// success and kept for the life of the process (it is agile, and every detector of every
// plug-in instance shares it); while the class is missing (Wine, older Windows) each call
// asks again and fails quickly with REGDB_E_CLASSNOTREG.
#include "platform/win32/desktopparts.h"
#include "platform/win32/mediasessions.h"
#include "platform/win32/winrt.h"

#include <wrl/client.h>

#include <cstdint>
#include <mutex>

namespace cadora::platform {

namespace {

using Microsoft::WRL::ComPtr;
using namespace mediacontrol;

class WinRtMediaSessions : public MediaSessionList
{
public:
	WinRtMediaSessions (ComPtr<SessionList> list, const std::atomic<bool>* keepGoing)
	: sessions (std::move (list)), keepGoing (keepGoing)
	{
	}

	bool count (uint32_t& n) override
	{
		UINT32 size = 0;
		if (FAILED (sessions->get_Size (&size)))
			return false;
		n = size;
		return true;
	}

	bool appId (uint32_t i, std::u16string& id) override
	{
		Session* session = sessionAt (i);
		RtText text;
		if (!session || FAILED (session->get_SourceAppUserModelId (text.receive ())))
			return false;
		id = text.text ();
		return true;
	}

	bool playbackStatus (uint32_t i, int32_t& status) override
	{
		Session* session = sessionAt (i);
		ComPtr<PlaybackInfo> info;
		INT32 value = 0;
		if (!session || FAILED (session->GetPlaybackInfo (&info)) || !info ||
		    FAILED (info->get_PlaybackStatus (&value)))
			return false;
		status = value;
		return true;
	}

	bool title (uint32_t i, std::u16string& title) override
	{
		return readProperty (i, &MediaProperties::get_Title, title);
	}

	bool artist (uint32_t i, std::u16string& artist) override
	{
		return readProperty (i, &MediaProperties::get_Artist, artist);
	}

private:
	static constexpr uint32_t kNone = UINT32_MAX;

	Session* sessionAt (uint32_t i)
	{
		if (i != sessionIndex)
		{
			sessionIndex = kNone;
			session.Reset ();
			if (FAILED (sessions->GetAt (i, &session)) || !session)
				return nullptr;
			sessionIndex = i;
		}
		return session.Get ();
	}

	// Title and artist come from one fetch of the session's media properties.
	MediaProperties* propertiesAt (uint32_t i)
	{
		if (i != propertiesIndex)
		{
			propertiesIndex = kNone;
			properties.Reset ();
			Session* owner = sessionAt (i);
			ComPtr<AsyncOperation> operation;
			ComPtr<IInspectable> results;
			if (!owner || FAILED (owner->TryGetMediaPropertiesAsync (&operation)) || !operation ||
			    FAILED (awaitResults (operation.Get (), keepGoing, &results)) ||
			    FAILED (results.As (&properties)))
				return nullptr;
			propertiesIndex = i;
		}
		return properties.Get ();
	}

	bool readProperty (uint32_t i, HRESULT (STDMETHODCALLTYPE MediaProperties::*get) (HSTRING*),
	                   std::u16string& out)
	{
		MediaProperties* source = propertiesAt (i);
		RtText text;
		if (!source || FAILED ((source->*get) (text.receive ())))
			return false;
		out = text.text ();
		return true;
	}

	ComPtr<SessionList> sessions;
	const std::atomic<bool>* keepGoing;
	uint32_t sessionIndex = kNone;
	ComPtr<Session> session;
	uint32_t propertiesIndex = kNone;
	ComPtr<MediaProperties> properties;
};

// Null until the class could be activated once; never released.
ManagerStatics* managerStatics ()
{
	static std::mutex lock;
	static ManagerStatics* statics = nullptr;
	std::lock_guard<std::mutex> guard (lock);
	if (!statics)
		getActivationFactory (kManagerClass, IID_PPV_ARGS (&statics));
	return statics;
}

} // namespace

std::unique_ptr<MediaSessionList> openMediaSessionsFrom (ManagerStatics* statics,
                                                         const std::atomic<bool>* keepGoing)
{
	ComPtr<AsyncOperation> request;
	ComPtr<IInspectable> results;
	ComPtr<Manager> manager;
	ComPtr<SessionList> sessions;
	if (FAILED (statics->RequestAsync (&request)) || !request ||
	    FAILED (awaitResults (request.Get (), keepGoing, &results)) || FAILED (results.As (&manager)) ||
	    FAILED (manager->GetSessions (&sessions)) || !sessions)
		return nullptr;
	return std::make_unique<WinRtMediaSessions> (std::move (sessions), keepGoing);
}

std::unique_ptr<MediaSessionList> openMediaSessions (const std::atomic<bool>* keepGoing)
{
	ManagerStatics* statics = managerStatics ();
	return statics ? openMediaSessionsFrom (statics, keepGoing) : nullptr;
}

} // namespace cadora::platform
