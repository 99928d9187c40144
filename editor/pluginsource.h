// The dashboard's source inside the plug-in: the module's shared status, the editor's
// song detector, the platform clock, the module's logo resources and the browser.
#pragma once

#include "editor/dashboardsource.h"

namespace cadora {

class SongDetector;
struct SharedStatus;

class PluginDashboardSource : public DashboardSource
{
public:
	// detector may be null (the song card then shows the detector's start-up record).
	PluginDashboardSource (SharedStatus& status, SongDetector* detector)
	: shared (status), detector (detector)
	{
	}

	StatusReading status () override;
	void requestRedetect () override;
	void song (SongInfo& out) override;
	int64_t nowNs () override;
	ByteSpan logo (const char* resourceName) override;
	void openWebPage (const char* url) override;

private:
	SharedStatus& shared;
	SongDetector* detector;
};

} // namespace cadora
