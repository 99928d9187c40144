// The module's class factory: a static object that hands out the processor and the
// controller. Its reference count is not kept.
#pragma once

#include "pluginterfaces/base/ipluginbase.h"

namespace cadora {

class CadoraFactory : public Steinberg::IPluginFactory2
{
public:
	Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
	Steinberg::uint32 PLUGIN_API addRef () override { return 1000; }
	Steinberg::uint32 PLUGIN_API release () override { return 1000; }

	Steinberg::tresult PLUGIN_API getFactoryInfo (Steinberg::PFactoryInfo* info) override;
	Steinberg::int32 PLUGIN_API countClasses () override;
	Steinberg::tresult PLUGIN_API getClassInfo (Steinberg::int32 index, Steinberg::PClassInfo* info) override;
	Steinberg::tresult PLUGIN_API createInstance (Steinberg::FIDString cid, Steinberg::FIDString iid,
	                                              void** obj) override;
	Steinberg::tresult PLUGIN_API getClassInfo2 (Steinberg::int32 index,
	                                             Steinberg::PClassInfo2* info) override;
};

// The one factory of the module, created on first use and never destroyed.
CadoraFactory* pluginFactory ();

} // namespace cadora
