#include "editor/pluginsource.h"

#include "editor/logos.h"
#include "platform/clock.h"
#include "platform/openurl.h"
#include "players/songdetector.h"
#include "plugin/sharedstatus.h"

namespace cadora {

StatusReading PluginDashboardSource::status ()
{
	StatusReading r;
	r.linkConnected = shared.linkConnected.load (std::memory_order_relaxed);
	r.linkedHardness = shared.linkedHardness.load (std::memory_order_relaxed);
	r.detectedKey = shared.detectedKey.load (std::memory_order_relaxed);
	r.linkedKey = shared.linkedKey.load (std::memory_order_relaxed);
	r.musicPresent = shared.musicPresent.load (std::memory_order_relaxed);
	r.tempoBpm = shared.tempoBpm.load (std::memory_order_relaxed);
	for (size_t i = 0; i < r.bandLevels.size (); ++i)
		r.bandLevels[i] = shared.bandLevels[i].load (std::memory_order_relaxed);
	return r;
}

void PluginDashboardSource::requestRedetect ()
{
	shared.redetectRequested.store (true);
	shared.detectedKey.store (-1);
}

void PluginDashboardSource::song (SongInfo& out)
{
	if (detector)
		detector->snapshot (out);
	else
		out = initialSongInfo ();
}

int64_t PluginDashboardSource::nowNs ()
{
	return platform::steadyNowNs ();
}

ByteSpan PluginDashboardSource::logo (const char* resourceName)
{
	return logoBytes (resourceName);
}

void PluginDashboardSource::openWebPage (const char* url)
{
	platform::openUrl (url);
}

} // namespace cadora
