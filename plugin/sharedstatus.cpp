#include "plugin/sharedstatus.h"

#include "keydetect/keydetector.h"

namespace cadora {

void SharedStatus::clearBandLevels ()
{
	for (auto& level : bandLevels)
		level.store (0.0f, std::memory_order_relaxed);
}

void SharedStatus::resetAll ()
{
	detectedKey.store (-1);
	linkedKey.store (-1);
	linkedHardness.store (-1.0);
	linkConnected.store (false);
	tempoBpm.store (0);
	musicPresent.store (false);
	redetectRequested.store (false);
	clearBandLevels ();
}

void SharedStatus::publish (const DetectionResult& found)
{
	if (found.musicPresent)
		musicPresent.store (*found.musicPresent, std::memory_order_relaxed);
	if (found.tempoBpm)
		tempoBpm.store (*found.tempoBpm, std::memory_order_relaxed);
	if (found.key)
		detectedKey.store (*found.key, std::memory_order_relaxed);
}

SharedStatus& sharedStatus ()
{
	static SharedStatus status;
	return status;
}

} // namespace cadora
