#include "plugin/factory.h"

#include "plugin/controller.h"
#include "plugin/ids.h"
#include "plugin/processor.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/vsttypes.h"

#include <cstring>

namespace cadora {

using namespace Steinberg;

namespace {

using CreateFunction = FUnknown* (*)(void*);

struct ClassEntry
{
	const FUID* cid;
	const char* category;
	const char* name;
	int32 classFlags;
	const char* subCategories;
	CreateFunction create;
};

const ClassEntry kClasses[] = {
    {&kProcessorUID, kVstAudioEffectClass, kProcessorName, Vst::kDistributable, "Fx",
     &VantoProcessor::createInstance},
    {&kControllerUID, kVstComponentControllerClass, kControllerName, 0, "", &VantoController::createInstance},
};
constexpr int32 kClassCount = 2;

template <size_t N>
void copyText (char8 (&target)[N], const char* text)
{
	std::strncpy (target, text, N - 1);
	target[N - 1] = 0;
}

// The fields that PClassInfo and PClassInfo2 share.
template <typename Info>
void fillCommonFields (const ClassEntry& entry, Info& info)
{
	info = Info ();
	entry.cid->toTUID (info.cid);
	info.cardinality = PClassInfo::kManyInstances;
	copyText (info.category, entry.category);
	copyText (info.name, entry.name);
}

void fillClassInfo2 (const ClassEntry& entry, PClassInfo2& info)
{
	fillCommonFields (entry, info);
	info.classFlags = static_cast<uint32> (entry.classFlags);
	copyText (info.subCategories, entry.subCategories);
	copyText (info.vendor, "");
	copyText (info.version, kPluginVersion);
	copyText (info.sdkVersion, kVstVersionString);
}

bool validIndex (int32 index)
{
	return index >= 0 && index < kClassCount;
}

} // namespace

tresult PLUGIN_API CadoraFactory::queryInterface (const TUID iid, void** obj)
{
	if (!obj)
		return kInvalidArgument;
	if (iid && (FUnknownPrivate::iidEqual (iid, FUnknown::iid) ||
	            FUnknownPrivate::iidEqual (iid, IPluginFactory::iid) ||
	            FUnknownPrivate::iidEqual (iid, IPluginFactory2::iid)))
	{
		*obj = static_cast<IPluginFactory2*> (this);
		return kResultOk;
	}
	*obj = nullptr;
	return kNoInterface;
}

tresult PLUGIN_API CadoraFactory::getFactoryInfo (PFactoryInfo* info)
{
	if (!info)
		return kInvalidArgument;
	*info = PFactoryInfo ();
	copyText (info->vendor, kVendor);
	copyText (info->url, kVendorUrl);
	copyText (info->email, kVendorEmail);
	info->flags = PFactoryInfo::kUnicode;
	return kResultOk;
}

int32 PLUGIN_API CadoraFactory::countClasses ()
{
	return kClassCount;
}

tresult PLUGIN_API CadoraFactory::getClassInfo (int32 index, PClassInfo* info)
{
	if (!info || !validIndex (index))
		return kInvalidArgument;
	fillCommonFields (kClasses[index], *info);
	return kResultOk;
}

tresult PLUGIN_API CadoraFactory::getClassInfo2 (int32 index, PClassInfo2* info)
{
	if (!info || !validIndex (index))
		return kInvalidArgument;
	fillClassInfo2 (kClasses[index], *info);
	return kResultOk;
}

tresult PLUGIN_API CadoraFactory::createInstance (FIDString cid, FIDString iid, void** obj)
{
	if (!obj)
		return kInvalidArgument;
	*obj = nullptr;
	if (!cid || !iid)
		return kInvalidArgument;
	for (const ClassEntry& entry : kClasses)
	{
		TUID entryId;
		entry.cid->toTUID (entryId);
		if (std::memcmp (entryId, cid, sizeof (TUID)) != 0)
			continue;
		FUnknown* instance = entry.create (nullptr);
		if (!instance)
			continue;
		const tresult result = instance->queryInterface (iid, obj);
		instance->release ();
		if (result == kResultOk)
			return kResultOk;
	}
	*obj = nullptr;
	return kNoInterface;
}

CadoraFactory* pluginFactory ()
{
	static CadoraFactory* factory = new CadoraFactory;
	return factory;
}

} // namespace cadora
