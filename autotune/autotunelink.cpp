// AutoTuneLink, control half: pending values written with minimum spacing, and the
// read-backs of retune, key and scale. Every call into the auto-tune is fault-guarded;
// a fault drops the link instead of harming the host.
#include "autotune/autotunelink.h"

#include "platform/faultguard.h"

#include <algorithm>
#include <cmath>

namespace cadora {

using Steinberg::Vst::ParamValue;

namespace {
constexpr int64_t kHardnessWriteSpacingNs = 10'000'000;
constexpr int64_t kKeyWriteSpacingNs = 100'000'000;
constexpr int64_t kHardnessReadSpacingNs = 100'000'000;

bool inUnitRange (double v)
{
	return v >= 0.0 && v <= 1.0;
}
} // namespace

AutoTuneLink::AutoTuneLink (SteadyClock& clock, HostProcess& process) : clock (clock), process (process) {}

void AutoTuneLink::tick ()
{
	runSchedule (clock.nowNs ());
	apply ();
}

bool AutoTuneLink::answering ()
{
	return controller && row >= 0 && probeParameterCount (controller, controllerMaskedWord) > 0;
}

void AutoTuneLink::setHardness (double value)
{
	pendingHardness = value > 1.0 ? 1.0 : value >= 0.0 ? value : 0.0;
}

void AutoTuneLink::setKey (int32_t root, bool minor)
{
	if (root < 0 || root > 11)
		return;
	if (root != pendingRoot || minor != pendingMinor)
	{
		pendingRoot = root;
		pendingMinor = minor;
	}
}

void AutoTuneLink::apply ()
{
	if (!answering ())
		return;
	const int64_t now = clock.nowNs ();
	const KnownAutoTune& known = kKnownAutoTunes[row];
	Steinberg::Vst::IEditController* target = controller;
	if (pendingHardness >= 0.0 && now - lastHardnessWrite >= kHardnessWriteSpacingNs)
	{
		const double value = pendingHardness;
		pendingHardness = -1.0;
		if (!platform::guarded ([&] { target->setParamNormalized (known.retuneParamId, value); }))
		{
			resetLink ();
			return;
		}
		lastHardnessWrite = now;
	}
	if (pendingRoot >= 0 && now - lastKeyWrite >= kKeyWriteSpacingNs)
	{
		const double keyValue = keyValueForRoot (pendingRoot);
		const double scaleValue = scaleValueFor (known, pendingMinor);
		pendingRoot = -1;
		if (!platform::guarded ([&] {
			    target->setParamNormalized (known.keyParamId, keyValue);
			    target->setParamNormalized (known.scaleParamId, scaleValue);
		    }))
		{
			resetLink ();
			return;
		}
		lastKeyWrite = now;
	}
}

bool AutoTuneLink::readHardness (double& value)
{
	const int64_t now = clock.nowNs ();
	if (now - lastHardnessRead < kHardnessReadSpacingNs)
		return false;
	lastHardnessRead = now;
	if (!answering ())
		return false;
	const auto id = kKnownAutoTunes[row].retuneParamId;
	Steinberg::Vst::IEditController* target = controller;
	ParamValue v = -1.0;
	if (!platform::guarded ([&] { v = target->getParamNormalized (id); }))
	{
		resetLink ();
		return false;
	}
	if (!inUnitRange (v))
		return false;
	value = v;
	return true;
}

bool AutoTuneLink::readKey (int32_t& root, bool& minor)
{
	if (!answering ())
		return false;
	const KnownAutoTune& known = kKnownAutoTunes[row];
	Steinberg::Vst::IEditController* target = controller;
	ParamValue key = -1.0;
	ParamValue scale = -1.0;
	if (!platform::guarded ([&] {
		    key = target->getParamNormalized (known.keyParamId);
		    scale = target->getParamNormalized (known.scaleParamId);
	    }))
	{
		resetLink ();
		return false;
	}
	if (!inUnitRange (key) || !inUnitRange (scale))
		return false;
	root = rootFromKeyValue (key);
	minor = scaleValueIsMinor (known, scale);
	return true;
}

} // namespace cadora
