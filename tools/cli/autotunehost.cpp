#include "tools/cli/autotunehost.h"

#include "autotune/knownautotunes.h"

#include "pluginterfaces/base/ipluginbase.h"

#include <cstring>
#include <filesystem>

namespace cadora::cli {

using namespace Steinberg;

namespace {

using GetFactoryFunction = IPluginFactory*(PLUGIN_API*)();

// The module file inside a bundle folder, or the path itself.
std::string moduleFile (const std::string& path)
{
	namespace fs = std::filesystem;
	fs::path bundle = fs::u8path (path);
	std::error_code ignored;
	if (!fs::is_directory (bundle, ignored))
		return path;
	if (!bundle.has_filename ())
		bundle = bundle.parent_path (); // a trailing separator
	const fs::path module = bundle / "Contents" / platform::kBundleBinaryFolder /
	                        (bundle.stem ().u8string () + platform::kModuleFileEnding);
	return module.u8string ();
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
}

bool AutoTuneHost::load (const std::string& path, std::string& error)
{
	const std::string file = moduleFile (path);
	if (!module.open (file))
	{
		error = "cannot load auto-tune module '" + file + "'";
		return false;
	}
	auto getFactory = reinterpret_cast<GetFactoryFunction> (module.symbol ("GetPluginFactory"));
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
