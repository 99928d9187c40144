// Looking up an exported function of a module that is already loaded in the own process.
#pragma once

#include "platform/modules.h"

namespace cadora::platform {

// Address of the export `name` of `module`, or null. Never loads a module that is not
// loaded already, and leaves the module's load count as it was.
void* findModuleExport (const ModuleInfo& module, const char* name);

} // namespace cadora::platform
