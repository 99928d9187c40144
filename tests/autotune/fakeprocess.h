// A process of the test's making for the auto-tune link: a module list it can change,
// a factory that hands out fixture controllers, and an arena of memory standing for the
// host's private memory, in which live controllers and decoys are placed.
#pragma once

#include "autotune/hostprocess.h"
#include "fixture/fixturecontroller.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace cadora::test {

// Hands out FixtureControllers for one row; the vendor and class name are settable.
class FakeFactory : public Steinberg::IPluginFactory
{
public:
	int row = 0;
	std::string vendor = "cadora tests";
	std::string className = "AutoTunePro Controller";
	const char* category = kVstComponentControllerClass;
	int created = 0;

	Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID, void** obj) override
	{
		*obj = nullptr;
		return Steinberg::kNoInterface;
	}
	Steinberg::uint32 PLUGIN_API addRef () override { return 1; }
	Steinberg::uint32 PLUGIN_API release () override { return 1; }
	Steinberg::tresult PLUGIN_API getFactoryInfo (Steinberg::PFactoryInfo* info) override
	{
		// As strncpy would: zero-padded, and unterminated when the name fills the field.
		std::memset (info->vendor, 0, sizeof info->vendor);
		std::memcpy (info->vendor, vendor.data (), std::min (vendor.size (), sizeof info->vendor));
		return Steinberg::kResultOk;
	}
	Steinberg::int32 PLUGIN_API countClasses () override { return 1; }
	Steinberg::tresult PLUGIN_API getClassInfo (Steinberg::int32 index, Steinberg::PClassInfo* info) override
	{
		if (index != 0)
			return Steinberg::kInvalidArgument;
		std::strncpy (info->category, category, sizeof info->category - 1);
		std::strncpy (info->name, className.c_str (), sizeof info->name - 1);
		return Steinberg::kResultOk;
	}
	Steinberg::tresult PLUGIN_API createInstance (Steinberg::FIDString, Steinberg::FIDString,
	                                              void** obj) override
	{
		++created;
		*obj = static_cast<Steinberg::Vst::IEditController*> (new FixtureController (row));
		return Steinberg::kResultOk;
	}
};

class FakeProcess : public HostProcess
{
public:
	static constexpr size_t kArenaBytes = 64 * 1024;

	std::vector<platform::ModuleInfo> moduleList;
	FakeFactory factory;
	bool snapshotWorks = true;
	int snapshots = 0;
	int factoryRequests = 0;
	alignas (64) unsigned char arena[kArenaBytes] {};

	FakeProcess ()
	{
		moduleList.push_back ({"host", "/usr/bin/host", 0x400000, 0x10000});
		moduleList.push_back (
		    {"Auto-Tune Pro.so", "/vst3/Auto-Tune Pro.vst3/Auto-Tune Pro.so", 0x7000000, 0x20000});
	}

	bool modules (std::vector<platform::ModuleInfo>& out) override
	{
		++snapshots;
		out = snapshotWorks ? moduleList : std::vector<platform::ModuleInfo> {};
		return snapshotWorks;
	}
	Steinberg::IPluginFactory* pluginFactory (const platform::ModuleInfo&) override
	{
		++factoryRequests;
		return &factory;
	}
	void walkRegions (const platform::RegionVisitor& visit) override
	{
		visit ({reinterpret_cast<uintptr_t> (arena), kArenaBytes, platform::kReadable | platform::kWritable});
	}

	// Places an initialised fixture controller at `offset` in the arena.
	FixtureController* placeController (size_t offset, int row = 0)
	{
		auto* c = new (arena + offset) FixtureController (row);
		c->initialize (nullptr);
		return c;
	}
	void destroyController (FixtureController* c)
	{
		c->terminate ();
		c->~FixtureController ();
		std::memset (static_cast<void*> (c), 0, sizeof (FixtureController));
	}
};

} // namespace cadora::test
