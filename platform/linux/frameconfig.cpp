// The host's Linux::IRunLoop seen as VSTGUI's X11::IRunLoop: every X11 event handler and
// timer of the frame is wrapped in a VST3 handler object and registered with the host.
#include "platform/frameconfig.h"

#include "base/source/fobject.h"
#include "pluginterfaces/gui/iplugview.h"
#include "vstgui/lib/platform/platform_x11.h"

#include <algorithm>
#include <vector>

namespace cadora::platform {

namespace {

using namespace Steinberg;

class HostRunLoop : public VSTGUI::X11::IRunLoop,
                    public VSTGUI::AtomicReferenceCounted
{
public:
	explicit HostRunLoop (Linux::IRunLoop* host) : host (host) {}

	bool registerEventHandler (int fd, VSTGUI::X11::IEventHandler* handler) override
	{
		auto wrapper = owned (new EventHandler (handler));
		if (host->registerEventHandler (wrapper, fd) != kResultTrue)
			return false;
		events.push_back (wrapper);
		return true;
	}

	bool unregisterEventHandler (VSTGUI::X11::IEventHandler* handler) override
	{
		return unregister (events, handler,
		                   [this] (Linux::IEventHandler* h) { host->unregisterEventHandler (h); });
	}

	bool registerTimer (uint64_t interval, VSTGUI::X11::ITimerHandler* handler) override
	{
		auto wrapper = owned (new TimerHandler (handler));
		if (host->registerTimer (wrapper, interval) != kResultTrue)
			return false;
		timers.push_back (wrapper);
		return true;
	}

	bool unregisterTimer (VSTGUI::X11::ITimerHandler* handler) override
	{
		return unregister (timers, handler, [this] (Linux::ITimerHandler* h) { host->unregisterTimer (h); });
	}

private:
	struct EventHandler : public Linux::IEventHandler,
	                      public FObject
	{
		explicit EventHandler (VSTGUI::X11::IEventHandler* target) : target (target) {}
		void PLUGIN_API onFDIsSet (Linux::FileDescriptor) override { target->onEvent (); }
		VSTGUI::X11::IEventHandler* target;
		DELEGATE_REFCOUNT (FObject)
		DEFINE_INTERFACES
		DEF_INTERFACE (Linux::IEventHandler)
		END_DEFINE_INTERFACES (FObject)
	};

	struct TimerHandler : public Linux::ITimerHandler,
	                      public FObject
	{
		explicit TimerHandler (VSTGUI::X11::ITimerHandler* target) : target (target) {}
		void PLUGIN_API onTimer () override { target->onTimer (); }
		VSTGUI::X11::ITimerHandler* target;
		DELEGATE_REFCOUNT (FObject)
		DEFINE_INTERFACES
		DEF_INTERFACE (Linux::ITimerHandler)
		END_DEFINE_INTERFACES (FObject)
	};

	template <typename List, typename Target, typename Release>
	static bool unregister (List& list, Target* target, Release release)
	{
		auto it =
		    std::find_if (list.begin (), list.end (), [&] (const auto& h) { return h->target == target; });
		if (it == list.end ())
			return false;
		release (it->get ());
		list.erase (it);
		return true;
	}

	FUnknownPtr<Linux::IRunLoop> host;
	std::vector<IPtr<EventHandler>> events;
	std::vector<IPtr<TimerHandler>> timers;
};

} // namespace

bool makeFrameConfig (IPlugFrame* plugFrame, std::unique_ptr<VSTGUI::IPlatformFrameConfig>& config)
{
	FUnknownPtr<Linux::IRunLoop> host (plugFrame);
	if (!host)
		return false;
	auto x11 = std::make_unique<VSTGUI::X11::FrameConfig> ();
	x11->runLoop = VSTGUI::makeOwned<HostRunLoop> (host);
	config = std::move (x11);
	return true;
}

} // namespace cadora::platform
