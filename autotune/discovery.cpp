// AutoTuneLink, connection half: module candidates, throw-away instances that reveal the
// controller's interface-table word, the scan of private writable memory for a live
// controller carrying that word, and the schedule that decides when to search.
#include "autotune/autotunelink.h"

#include "platform/faultguard.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <cstring>

namespace cadora {

using namespace Steinberg;
using Steinberg::Vst::IEditController;

namespace {

// Interface-table words are kept only masked in this process's memory, so that the
// memory scan cannot mistake the link's own bookkeeping for an object.
constexpr uintptr_t kWordMask = static_cast<uintptr_t> (0x5A3C96E1D2B4F087ULL);

constexpr int64_t kRevalidateNs = 3'000'000'000;
constexpr int64_t kModuleCheckNs = 300'000'000;
constexpr int64_t kForcedRescanNs = 5'000'000'000;
constexpr uint64_t kFingerprintSeed = 0x14650FB0739D0383ULL;
constexpr uint64_t kFingerprintPrime = 0x100000001B3ULL;

bool insideImage (uintptr_t address, const platform::ModuleInfo& module)
{
	return address >= module.base && address - module.base < module.size;
}

// Looks for the first slot in [from, end) whose word matches a throw-away's word.
struct SlotSearch
{
	const volatile uintptr_t* from;
	const volatile uintptr_t* end;
	const std::vector<uintptr_t>* maskedWords;
	const volatile uintptr_t* hit = nullptr;

	// Not instrumented by the sanitizers: it reads, under the fault guard, every word of
	// memory owned by the host and its other plug-ins, which may be unallocated as far as
	// the allocator knows and written by other threads as we read.
	__attribute__ ((no_sanitize ("address", "undefined", "thread"))) void operator() ()
	{
		const uintptr_t* words = maskedWords->data ();
		const size_t count = maskedWords->size ();
		for (const volatile uintptr_t* p = from; p < end; ++p)
		{
			const uintptr_t value = *p ^ kWordMask;
			for (size_t i = 0; i < count; ++i)
			{
				if (value == words[i])
				{
					hit = p;
					return;
				}
			}
		}
	}
};

} // namespace

int32_t probeParameterCount (IEditController* object, uintptr_t maskedWord)
{
	uintptr_t first = 0;
	if (!object || !platform::guardedCopy (&first, object, sizeof first))
		return -1;
	if ((first ^ kWordMask) != maskedWord)
		return -1;
	int32 count = -1;
	if (!platform::guarded ([&] { count = object->getParameterCount (); }))
		return -1;
	return count;
}

void AutoTuneLink::resetLink ()
{
	controller = nullptr;
	controllerMaskedWord = 0;
	row = -1;
	connected = false;
}

uint64_t AutoTuneLink::moduleFingerprint () const
{
	std::vector<platform::ModuleInfo> modules;
	if (!process.modules (modules))
		return 0;
	uint64_t h = kFingerprintSeed;
	for (const auto& module : modules)
	{
		h = (h ^ static_cast<uint64_t> (module.base)) * kFingerprintPrime;
		h = (h ^ static_cast<uint64_t> (static_cast<uint32_t> (module.size))) * kFingerprintPrime;
	}
	return h;
}

void AutoTuneLink::runSchedule (int64_t now)
{
	if (connected)
	{
		if (now >= nextValidateTime)
		{
			nextValidateTime = now + kRevalidateNs;
			discover ();
		}
		return;
	}
	if (now < nextModuleCheckTime)
		return;
	nextModuleCheckTime = now + kModuleCheckNs;
	const uint64_t fingerprint = moduleFingerprint ();
	const bool changed = fingerprint != lastFingerprint;
	lastFingerprint = fingerprint;
	if (forceRescan || changed || now >= nextForcedRescanTime)
	{
		nextForcedRescanTime = now + kForcedRescanNs;
		forceRescan = false;
		discover ();
	}
}

std::vector<AutoTuneLink::Candidate> AutoTuneLink::findCandidates ()
{
	std::vector<Candidate> candidates;
	std::vector<platform::ModuleInfo> modules;
	if (!process.modules (modules))
		return candidates;
	for (auto& module : modules)
	{
		if (module.path.empty ())
			continue;
		const int32_t found = findAutoTuneRow (module.path.c_str ());
		if (found >= 0)
			candidates.push_back ({std::move (module), found});
	}
	return candidates;
}

void AutoTuneLink::createThrowAways (const Candidate& candidate, std::vector<ThrowAway>& out)
{
	IPluginFactory* factory = process.pluginFactory (candidate.module);
	if (!factory)
		return;
	const KnownAutoTune& known = kKnownAutoTunes[candidate.row];
	PFactoryInfo factoryInfo; // zeroed by its constructor
	int32 classCount = 0;
	if (!platform::guarded ([&] {
		    factory->getFactoryInfo (&factoryInfo);
		    classCount = factory->countClasses ();
	    }))
		return;
	factoryInfo.vendor[sizeof factoryInfo.vendor - 1] = 0;

	IEditController* instance = nullptr;
	for (int32 i = 0; i < classCount && !instance; ++i)
	{
		PClassInfo info; // zeroed by its constructor
		tresult result = kResultFalse;
		if (!platform::guarded ([&] { result = factory->getClassInfo (i, &info); }))
			continue;
		info.name[sizeof info.name - 1] = 0;
		info.category[sizeof info.category - 1] = 0;
		if (result != kResultOk || std::strcmp (info.category, kVstComponentControllerClass) != 0)
			continue;
		if (!matchesToken (known, info.name) && !matchesToken (known, factoryInfo.vendor))
			continue;
		void* object = nullptr;
		if (!platform::guarded ([&] { factory->createInstance (info.cid, IEditController::iid, &object); }))
			continue;
		instance = static_cast<IEditController*> (object);
	}
	uintptr_t word = 0;
	if (instance && platform::guardedCopy (&word, instance, sizeof word))
		out.push_back ({word ^ kWordMask, candidate.row, instance});
}

bool AutoTuneLink::acceptHit (uintptr_t slot, const std::vector<ThrowAway>& throwAways)
{
	uintptr_t word = 0;
	if (!platform::guardedCopy (&word, reinterpret_cast<const void*> (slot), sizeof word))
		return false;
	const uintptr_t masked = word ^ kWordMask;
	const ThrowAway* first = nullptr;
	for (const ThrowAway& t : throwAways)
	{
		if (reinterpret_cast<uintptr_t> (t.instance) == slot)
			return false;
		if (!first && t.maskedWord == masked)
			first = &t;
	}
	auto* object = reinterpret_cast<IEditController*> (slot);
	if (!first || probeParameterCount (object, masked) <= 0)
		return false;
	controller = object;
	controllerMaskedWord = masked;
	row = first->row;
	connected = true;
	return true;
}

bool AutoTuneLink::scanRegion (uintptr_t base, size_t size, const std::vector<ThrowAway>& throwAways)
{
	if (size < 2 * sizeof (uintptr_t))
		return false;
	std::vector<uintptr_t> words;
	for (const ThrowAway& t : throwAways)
		words.push_back (t.maskedWord);
	const auto* end = reinterpret_cast<const volatile uintptr_t*> (base + size - sizeof (uintptr_t));
	SlotSearch search {reinterpret_cast<const volatile uintptr_t*> (base), end, &words};
	while (search.from < end)
	{
		search.hit = nullptr;
		// A region that stops being readable part-way is left for the next search.
		if (!platform::guarded ([&] { search (); }) || !search.hit)
			return false;
		if (acceptHit (reinterpret_cast<uintptr_t> (search.hit), throwAways))
			return true;
		search.from = search.hit + 1;
	}
	return false;
}

bool AutoTuneLink::scanForController (const std::vector<Candidate>& candidates,
                                      const std::vector<ThrowAway>& throwAways)
{
	// The worker's own stack may hold stale copies of the words it compared: never scan it.
	int marker = 0;
	const auto ownStack = reinterpret_cast<uintptr_t> (&marker);
	bool found = false;
	process.walkRegions ([&] (const platform::MemoryRegion& region) {
		if (ownStack >= region.base && ownStack - region.base < region.size)
			return true;
		for (const Candidate& c : candidates)
		{
			if (insideImage (region.base, c.module))
				return true;
		}
		found = scanRegion (region.base, region.size, throwAways);
		return !found;
	});
	return found;
}

void AutoTuneLink::discover ()
{
	if (controller && row >= 0 && probeParameterCount (controller, controllerMaskedWord) > 0)
	{
		connected = true;
		return;
	}
	resetLink ();
	const std::vector<Candidate> candidates = findCandidates ();
	if (candidates.empty ())
		return;
	std::vector<ThrowAway> throwAways;
	for (const Candidate& candidate : candidates)
		createThrowAways (candidate, throwAways);
	if (!throwAways.empty ())
		scanForController (candidates, throwAways);
	for (const ThrowAway& t : throwAways)
		platform::guarded ([&] { t.instance->release (); });
}

} // namespace cadora
