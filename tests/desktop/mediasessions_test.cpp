// The media-session reader over runtime objects of the test's own, since no system this
// runs on offers the class: how it waits for asynchronous results (at most 2 s, ending
// early once the detector stops), reads each session, and releases what it took.
#include "platform/win32/mediasessions.h"
#include "platform/win32/winrt.h"

#include <gtest/gtest.h>

#include <asyncinfo.h>

#include <chrono>
#include <thread>
#include <vector>

namespace cadora {
namespace {

using namespace platform::mediacontrol;
using platform::AsyncOperation;
using Clock = std::chrono::steady_clock;

constexpr HRESULT kBoundsError = static_cast<HRESULT> (0x8000000B); // E_BOUNDS

HSTRING makeText (const char16_t* text)
{
	if (!text)
		return nullptr;
	HSTRING string = nullptr;
	const auto* wide = reinterpret_cast<const wchar_t*> (text);
	platform::winRtFunctions ()->createString (wide, static_cast<UINT32> (wcslen (wide)), &string);
	return string;
}

// A runtime object answering for Interfaces; its count of references starts at 1, held
// by the test.
template <typename... Interfaces>
class Fake : public Interfaces...
{
public:
	virtual ~Fake () = default;

	HRESULT STDMETHODCALLTYPE QueryInterface (REFIID iid, void** object) override
	{
		*object = nullptr;
		if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable))
			*object = static_cast<IInspectable*> (static_cast<First*> (this));
		else
			(void)(... || answer<Interfaces> (iid, object));
		if (!*object)
			return E_NOINTERFACE;
		AddRef ();
		return S_OK;
	}
	ULONG STDMETHODCALLTYPE AddRef () override { return ++references; }
	ULONG STDMETHODCALLTYPE Release () override
	{
		const ULONG left = --references;
		if (left == 0)
			delete this;
		return left;
	}
	HRESULT STDMETHODCALLTYPE GetIids (ULONG*, IID**) override { return E_NOTIMPL; }
	HRESULT STDMETHODCALLTYPE GetRuntimeClassName (HSTRING*) override { return E_NOTIMPL; }
	HRESULT STDMETHODCALLTYPE GetTrustLevel (TrustLevel*) override { return E_NOTIMPL; }

	ULONG references = 1;

private:
	using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;

	template <typename Interface>
	bool answer (REFIID iid, void** object)
	{
		// Generic interfaces have ids derived from their type arguments: nobody asks for them.
		if constexpr (std::is_same_v<Interface, AsyncOperation> || std::is_same_v<Interface, SessionList>)
			return false;
		else if (iid == __uuidof(Interface))
			*object = static_cast<Interface*> (this);
		return *object != nullptr;
	}
};

// An asynchronous operation that completes after a number of status polls, or never.
class FakeOperation : public Fake<AsyncOperation, IAsyncInfo>
{
public:
	static constexpr int kNever = -1;

	FakeOperation (IInspectable* result, int pollsBeforeEnd = 0, AsyncStatus end = AsyncStatus::Completed)
	: result (result), pollsLeft (pollsBeforeEnd), end (end)
	{
		if (result)
			result->AddRef ();
	}
	~FakeOperation () override
	{
		if (result)
			result->Release ();
	}

	HRESULT STDMETHODCALLTYPE put_Completed (IUnknown*) override { return E_NOTIMPL; }
	HRESULT STDMETHODCALLTYPE get_Completed (IUnknown**) override { return E_NOTIMPL; }
	HRESULT STDMETHODCALLTYPE GetResults (IInspectable** out) override
	{
		*out = result;
		if (result)
			result->AddRef ();
		return S_OK;
	}
	HRESULT STDMETHODCALLTYPE get_Id (UINT32* id) override { return *id = 1, S_OK; }
	HRESULT STDMETHODCALLTYPE get_Status (AsyncStatus* status) override
	{
		++polls;
		if (pollsLeft == kNever || pollsLeft-- > 0)
			*status = AsyncStatus::Started;
		else
			*status = end;
		return S_OK;
	}
	HRESULT STDMETHODCALLTYPE get_ErrorCode (HRESULT* code) override { return *code = E_ACCESSDENIED, S_OK; }
	HRESULT STDMETHODCALLTYPE Cancel () override { return cancelled = true, S_OK; }
	HRESULT STDMETHODCALLTYPE Close () override { return S_OK; }

	IInspectable* result;
	int pollsLeft;
	AsyncStatus end;
	int polls = 0;
	bool cancelled = false;
};

class FakeProperties : public Fake<MediaProperties>
{
public:
	FakeProperties (const char16_t* title, const char16_t* artist) : title (title), artist (artist) {}

	HRESULT STDMETHODCALLTYPE get_Title (HSTRING* out) override { return *out = makeText (title), S_OK; }
	HRESULT STDMETHODCALLTYPE get_Subtitle (HSTRING* out) override { return *out = nullptr, S_OK; }
	HRESULT STDMETHODCALLTYPE get_AlbumArtist (HSTRING* out) override { return *out = nullptr, S_OK; }
	HRESULT STDMETHODCALLTYPE get_Artist (HSTRING* out) override { return *out = makeText (artist), S_OK; }

	const char16_t* title;
	const char16_t* artist;
};

class FakePlaybackInfo : public Fake<PlaybackInfo>
{
public:
	explicit FakePlaybackInfo (INT32 status) : status (status) {}
	HRESULT STDMETHODCALLTYPE get_Controls (IInspectable** out) override { return *out = nullptr, E_NOTIMPL; }
	HRESULT STDMETHODCALLTYPE get_PlaybackStatus (INT32* out) override { return *out = status, S_OK; }
	INT32 status;
};

class FakeSession : public Fake<Session>
{
public:
	FakeSession (const char16_t* app, INT32 status, FakeOperation* properties)
	: app (app), info (new FakePlaybackInfo (status)), properties (properties)
	{
	}
	~FakeSession () override
	{
		info->Release ();
		if (properties)
			properties->Release ();
	}

	HRESULT STDMETHODCALLTYPE get_SourceAppUserModelId (HSTRING* out) override
	{
		return *out = makeText (app), S_OK;
	}
	HRESULT STDMETHODCALLTYPE TryGetMediaPropertiesAsync (AsyncOperation** out) override
	{
		++propertyRequests;
		*out = properties;
		if (!properties)
			return E_FAIL;
		properties->AddRef ();
		return S_OK;
	}
	HRESULT STDMETHODCALLTYPE GetTimelineProperties (IInspectable** out) override
	{
		return *out = nullptr, E_NOTIMPL;
	}
	HRESULT STDMETHODCALLTYPE GetPlaybackInfo (PlaybackInfo** out) override
	{
		info->AddRef ();
		return *out = info, S_OK;
	}

	const char16_t* app;
	FakePlaybackInfo* info;
	FakeOperation* properties;
	int propertyRequests = 0;
};

// Holds its sessions; an index past them fails as the runtime does (E_BOUNDS).
class FakeSessionList : public Fake<SessionList>
{
public:
	~FakeSessionList () override
	{
		for (FakeSession* session : sessions)
			session->Release ();
	}
	HRESULT STDMETHODCALLTYPE GetAt (UINT32 index, Session** out) override
	{
		*out = nullptr;
		if (index >= sessions.size ())
			return kBoundsError;
		sessions[index]->AddRef ();
		*out = sessions[index];
		return S_OK;
	}
	HRESULT STDMETHODCALLTYPE get_Size (UINT32* size) override
	{
		return *size = static_cast<UINT32> (sessions.size ()), S_OK;
	}
	std::vector<FakeSession*> sessions;
};

class FakeManager : public Fake<Manager>
{
public:
	explicit FakeManager (FakeSessionList* list) : list (list) {}
	~FakeManager () override { list->Release (); }
	HRESULT STDMETHODCALLTYPE GetCurrentSession (Session** out) override { return *out = nullptr, E_NOTIMPL; }
	HRESULT STDMETHODCALLTYPE GetSessions (SessionList** out) override
	{
		list->AddRef ();
		return *out = list, S_OK;
	}
	FakeSessionList* list;
};

class FakeStatics : public Fake<ManagerStatics>
{
public:
	explicit FakeStatics (FakeOperation* request) : request (request) {}
	~FakeStatics () override { request->Release (); }
	HRESULT STDMETHODCALLTYPE RequestAsync (AsyncOperation** out) override
	{
		request->AddRef ();
		return *out = request, S_OK;
	}
	FakeOperation* request;
};

class MediaSessionReader : public ::testing::Test
{
protected:
	void SetUp () override { ASSERT_NE (platform::winRtFunctions (), nullptr); }

	// A manager request answered after a few polls, with these sessions.
	FakeStatics* statics (std::vector<FakeSession*> sessions, int polls = 2)
	{
		auto* list = new FakeSessionList;
		list->sessions = std::move (sessions);
		manager = new FakeManager (list);
		auto* request = new FakeOperation (manager, polls);
		manager->Release (); // the request holds it now
		return new FakeStatics (request);
	}

	static FakeOperation* propertiesOf (const char16_t* title, const char16_t* artist, int polls = 1)
	{
		auto* properties = new FakeProperties (title, artist);
		auto* operation = new FakeOperation (properties, polls);
		properties->Release ();
		return operation;
	}

	std::atomic<bool> running {true};
	FakeManager* manager = nullptr;
};

TEST_F (MediaSessionReader, ReadsEachSessionsAppStatusTitleAndArtist)
{
	auto* qq = new FakeSession (u"QQMusic.exe", 4, propertiesOf (u"稻香", u"周杰伦"));
	auto* anonymous = new FakeSession (nullptr, 5, propertiesOf (u"", u""));
	FakeStatics* source = statics ({qq, anonymous});
	{
		auto sessions = platform::openMediaSessionsFrom (source, &running);
		ASSERT_NE (sessions, nullptr);
		uint32_t n = 0;
		ASSERT_TRUE (sessions->count (n));
		EXPECT_EQ (n, 2u);

		std::u16string app, title, artist;
		int32_t status = 0;
		ASSERT_TRUE (sessions->appId (0, app));
		EXPECT_EQ (app, u"QQMusic.exe");
		ASSERT_TRUE (sessions->playbackStatus (0, status));
		EXPECT_EQ (status, 4);
		ASSERT_TRUE (sessions->title (0, title));
		ASSERT_TRUE (sessions->artist (0, artist));
		EXPECT_EQ (title, u"稻香");
		EXPECT_EQ (artist, u"周杰伦");
		EXPECT_EQ (qq->propertyRequests, 1) << "title and artist come from one fetch";

		ASSERT_TRUE (sessions->appId (1, app));
		EXPECT_EQ (app, u"") << "a session without an application id";
		ASSERT_TRUE (sessions->playbackStatus (1, status));
		EXPECT_EQ (status, 5);
		EXPECT_FALSE (sessions->appId (2, app)) << "past the end";
		EXPECT_TRUE (sessions->appId (0, app)) << "a failed session does not spoil the others";
	}
	// Everything the reader took is given back: the test holds the only references.
	EXPECT_EQ (source->references, 1u);
	EXPECT_EQ (manager->references, 1u);
	EXPECT_EQ (manager->list->references, 1u);
	EXPECT_EQ (qq->references, 1u);
	EXPECT_EQ (qq->info->references, 1u);
	EXPECT_EQ (qq->properties->references, 1u);
	source->Release ();
}

TEST_F (MediaSessionReader, AnOperationThatEndsBadlyFailsItsCall)
{
	struct Case
	{
		const char* label;
		AsyncStatus end;
		bool withResult;
	} cases[] = {
	    {"error", AsyncStatus::Error, true},
	    {"cancelled", AsyncStatus::Canceled, true},
	    {"completed without a result", AsyncStatus::Completed, false},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE (c.label);
		auto* properties = new FakeProperties (u"稻香", u"周杰伦");
		auto* operation = new FakeOperation (c.withResult ? properties : nullptr, 1, c.end);
		auto* session = new FakeSession (u"QQMusic.exe", 4, operation);
		FakeStatics* source = statics ({session});
		const ULONG held = properties->references;
		{
			auto sessions = platform::openMediaSessionsFrom (source, &running);
			ASSERT_NE (sessions, nullptr);
			std::u16string title = u"unchanged";
			EXPECT_FALSE (sessions->title (0, title));
			EXPECT_EQ (title, u"unchanged");
			std::u16string app;
			EXPECT_TRUE (sessions->appId (0, app)) << "the session itself stays readable";
		}
		EXPECT_EQ (properties->references, held);
		properties->Release ();
		source->Release ();
	}
	// A manager request that fails gives no list at all.
	auto* request = new FakeOperation (nullptr, 0, AsyncStatus::Error);
	auto* failing = new FakeStatics (request);
	EXPECT_EQ (platform::openMediaSessionsFrom (failing, &running), nullptr);
	failing->Release ();
}

TEST_F (MediaSessionReader, AResultThatNeverComesIsGivenUpAfterTwoSeconds)
{
	auto* never = new FakeOperation (nullptr, FakeOperation::kNever);
	auto* source = new FakeStatics (never);
	const auto start = Clock::now ();
	EXPECT_EQ (platform::openMediaSessionsFrom (source, &running), nullptr);
	const auto waited = Clock::now () - start;
	EXPECT_GE (waited, std::chrono::milliseconds (1990));
	EXPECT_LT (waited, std::chrono::milliseconds (2300));
	EXPECT_TRUE (never->cancelled);
	source->Release ();
}

TEST_F (MediaSessionReader, AWaitEndsSoonAfterTheDetectorStops)
{
	auto* session =
	    new FakeSession (u"cloudmusic.exe", 4, propertiesOf (u"夜曲", u"周杰伦", FakeOperation::kNever));
	FakeStatics* source = statics ({session});
	auto sessions = platform::openMediaSessionsFrom (source, &running);
	ASSERT_NE (sessions, nullptr);
	std::thread stopper ([this] {
		std::this_thread::sleep_for (std::chrono::milliseconds (100));
		running = false;
	});
	const auto start = Clock::now ();
	std::u16string title;
	EXPECT_FALSE (sessions->title (0, title));
	const auto waited = Clock::now () - start;
	stopper.join ();
	EXPECT_LT (waited, std::chrono::milliseconds (300));
	EXPECT_TRUE (session->properties->cancelled);
	sessions.reset ();
	source->Release ();
}

} // namespace
} // namespace cadora
