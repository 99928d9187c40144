#include "tools/cli/autotunehost.h"

#include "autotune/knownautotunes.h"

#include "pluginterfaces/base/ipluginbase.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstring>

namespace cadora::cli {

using namespace Steinberg;

namespace {

using GetFactoryFunction = IPluginFactory* (PLUGIN_API*) ();

// The module file inside a bundle folder, or the path itself.
std::string moduleFile (const std::string& path)
{
	struct stat info {};
	if (stat (path.c_str (), &info) != 0 || !S_ISDIR (info.st_mode))
		return path;
	std::string name = path;
	while (!name.empty () && name.back () == '/')
		name.pop_back ();
	name = name.substr (name.rfind ('/') + 1);
	name = name.substr (0, name.rfind ('.'));
	return path + "/Contents/x86_64-linux/" + name + ".so";
}

// The first controller class of the factory whose name or vendor carries a known token.
bool findControllerClass (IPluginFactory* factory, TUID cid, int& row)
{
	PFactoryInfo factoryInfo {};
	factory->getFactoryInfo (&factoryInfo);
	for (int32 i = 0; i < factory->countClasses (); ++i)
	{
		PClassInfo info {};
		if (factory->getClassInfo (i, &info) != kResultOk ||
		    std::strcmp (info.category, kVstComponentControllerClass) != 0)
			continue;
		row = findAutoTuneRow (info.name);
		if (row < 0)
			row = findAutoTuneRow (factoryInfo.vendor);
		if (row >= 0)
		{
			std::memcpy (cid, info.cid, sizeof (TUID));
			return true;
		}
	}
	return false;
}

} // namespace

AutoTuneHost::~AutoTuneHost ()
{
	if (editController)
	{
		editController->terminate ();
		editController->release ();
	}
	if (handle)
		dlclose (handle);
}

bool AutoTuneHost::load (const std::string& path, std::string& error)
{
	const std::string file = moduleFile (path);
	handle = dlopen (file.c_str (), RTLD_NOW | RTLD_LOCAL);
	if (!handle)
	{
		error = "cannot load auto-tune module '" + file + "'";
		return false;
	}
	auto getFactory = reinterpret_cast<GetFactoryFunction> (dlsym (handle, "GetPluginFactory"));
	IPluginFactory* factory = getFactory ? getFactory () : nullptr;
	TUID cid {};
	if (!factory || !findControllerClass (factory, cid, knownRow))
	{
		error = "'" + file + "' offers no supported auto-tune controller";
		return false;
	}
	void* object = nullptr;
	factory->createInstance (cid, Vst::IEditController::iid, &object);
	editController = static_cast<Vst::IEditController*> (object);
	if (!editController || editController->initialize (nullptr) != kResultOk)
	{
		error = "the auto-tune controller of '" + file + "' could not be created";
		return false;
	}
	return true;
}

double AutoTuneHost::value (Vst::ParamID id) const
{
	return editController ? editController->getParamNormalized (id) : -1.0;
}

} // namespace cadora::cli
