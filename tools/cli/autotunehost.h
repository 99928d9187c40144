// Loads an auto-tune module into this process and creates its edit controller as a host
// does, so that `analyze --autotune` can show what the link writes into it.
#pragma once

#include "platform/loadablemodule.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <string>

namespace cadora::cli {

class AutoTuneHost
{
public:
	AutoTuneHost () = default;
	~AutoTuneHost ();
	AutoTuneHost (const AutoTuneHost&) = delete;
	AutoTuneHost& operator= (const AutoTuneHost&) = delete;

	// `path` is a module file or a .vst3 bundle folder; false with a one-line error.
	bool load (const std::string& path, std::string& error);
	Steinberg::Vst::IEditController* controller () const { return editController; }
	// Current normalised value of one of the controller's parameters.
	double value (Steinberg::Vst::ParamID id) const;
	// Row of the known auto-tunes whose token the loaded controller carries.
	int row () const { return knownRow; }

private:
	platform::LoadableModule module; // unloaded after the destructor released the controller
	Steinberg::Vst::IEditController* editController = nullptr;
	int knownRow = 0;
};

} // namespace cadora::cli
