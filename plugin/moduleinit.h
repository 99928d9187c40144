// Module start-up and shut-down: the use counter behind the entry points, and the
// initialisers that bring up the GUI toolkit with the bundle's resource folder.
#pragma once

#include <string>

namespace cadora {

class ModuleUseCounter
{
public:
	using InitFunction = bool (*) (void* handle);
	using ExitFunction = void (*) ();

	ModuleUseCounter (InitFunction init, ExitFunction exit) : init (init), exit (exit) {}

	// 0 -> 1 runs the initialisers and returns their result; otherwise true.
	bool enter (void* handle);
	// 1 -> 0 runs the terminators; true while the count stays >= 0, false below.
	bool leave ();
	int count () const { return uses; }

private:
	InitFunction init;
	ExitFunction exit;
	int uses = 0;
};

// The bundle's Resources folder for a module path: the file name and the folder
// holding the module are cut off and "Resources" appended. Empty when either cut
// finds no separator.
std::string resourcePathFromModulePath (const std::string& modulePath, char separator);

// The module's own initialisers and terminators (GUI toolkit).
bool initModule (void* handle);
void exitModule ();

// The counter used by the exported entry points.
ModuleUseCounter& moduleUseCounter ();

} // namespace cadora
