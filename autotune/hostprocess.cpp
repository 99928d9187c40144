#include "autotune/hostprocess.h"

#include "platform/faultguard.h"
#include "platform/moduleexport.h"

namespace cadora {

namespace {

using GetFactoryFunction = Steinberg::IPluginFactory*(PLUGIN_API*)();

class CurrentProcess : public HostProcess
{
public:
	bool modules (std::vector<platform::ModuleInfo>& out) override { return platform::snapshotModules (out); }

	Steinberg::IPluginFactory* pluginFactory (const platform::ModuleInfo& module) override
	{
		auto getFactory =
		    reinterpret_cast<GetFactoryFunction> (platform::findModuleExport (module, "GetPluginFactory"));
		if (!getFactory)
			return nullptr;
		Steinberg::IPluginFactory* factory = nullptr;
		if (!platform::guarded ([&] { factory = getFactory (); }))
			return nullptr;
		return factory;
	}

	void walkRegions (const platform::RegionVisitor& visit) override
	{
		platform::walkWritableRegions (visit);
	}
};

} // namespace

HostProcess& currentProcess ()
{
	static CurrentProcess process;
	return process;
}

} // namespace cadora
