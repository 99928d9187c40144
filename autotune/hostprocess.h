// What the auto-tune link asks of the process it runs in: the loaded modules, a
// module's plug-in factory, and the private writable memory where live objects lie.
// Tests put a process of their own making in its place.
#pragma once

#include "platform/memoryregions.h"
#include "platform/modules.h"

#include "pluginterfaces/base/ipluginbase.h"

#include <vector>

namespace cadora {

class HostProcess
{
public:
	virtual ~HostProcess () = default;
	// The loaded modules in the system's order; false when no snapshot could be taken.
	virtual bool modules (std::vector<platform::ModuleInfo>& out) = 0;
	// The module's exported plug-in factory (called under the fault guard), or null.
	virtual Steinberg::IPluginFactory* pluginFactory (const platform::ModuleInfo& module) = 0;
	// Private, committed, readable and writable regions in rising address order.
	virtual void walkRegions (const platform::RegionVisitor& visit) = 0;
};

// The process this code runs in.
HostProcess& currentProcess ();

} // namespace cadora
