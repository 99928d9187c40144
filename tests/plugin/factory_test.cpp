#include "plugin/factory.h"
#include "plugin/ids.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/vsttypes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace cadora {
namespace {

using namespace Steinberg;

class Factory : public ::testing::Test
{
protected:
	CadoraFactory* factory = pluginFactory ();
};

TEST_F (Factory, IsOneStaticObjectWithoutReferenceCounting)
{
	EXPECT_EQ (factory, pluginFactory ());
	EXPECT_EQ (1000u, factory->addRef ());
	EXPECT_EQ (1000u, factory->release ());
	EXPECT_EQ (1000u, factory->release ());
}

TEST_F (Factory, AnswersForItsOwnInterfacesOnly)
{
	void* obj = nullptr;
	for (const FUID* iid : {&FUnknown::iid, &IPluginFactory::iid, &IPluginFactory2::iid})
	{
		obj = nullptr;
		EXPECT_EQ (kResultOk, factory->queryInterface (*iid, &obj));
		EXPECT_EQ (static_cast<IPluginFactory2*> (factory), obj);
	}
	obj = &obj;
	EXPECT_EQ (kNoInterface, factory->queryInterface (IPluginFactory3::iid, &obj));
	EXPECT_EQ (nullptr, obj);
	EXPECT_EQ (kInvalidArgument, factory->queryInterface (IPluginFactory::iid, nullptr));
}

TEST_F (Factory, FactoryInfo)
{
	PFactoryInfo info;
	ASSERT_EQ (kResultOk, factory->getFactoryInfo (&info));
	EXPECT_STREQ ("solvane", info.vendor);
	EXPECT_STREQ ("", info.email);
	EXPECT_NE (0u, std::strlen (info.url));
	EXPECT_EQ (0x10, info.flags);
	EXPECT_EQ (kInvalidArgument, factory->getFactoryInfo (nullptr));
	EXPECT_EQ (2, factory->countClasses ());
}

struct ClassRow
{
	int index;
	unsigned char tuid[16];
	const char* category;
	const char* name;
	uint32 flags;
	const char* subCategories;
};

// Windows uses the COM byte order of a class id; other platforms keep the four words big-endian.
#if defined(_WIN32)
const ClassRow kRows[] = {
    {0,
     {0xC3, 0xB2, 0xA1, 0xD9, 0xF5, 0xE4, 0x89, 0x67, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67, 0x89},
     "Audio Module Class",
     "vanto-cadora",
     1,
     "Fx"},
    {1,
     {0xC4, 0xB2, 0xA1, 0xD9, 0xF5, 0xE4, 0x89, 0x67, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67, 0x89},
     "Component Controller Class",
     "vanto-cadora Controller",
     0,
     ""},
};
#else
const ClassRow kRows[] = {
    {0,
     {0xD9, 0xA1, 0xB2, 0xC3, 0xE4, 0xF5, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67, 0x89},
     "Audio Module Class",
     "vanto-cadora",
     1,
     "Fx"},
    {1,
     {0xD9, 0xA1, 0xB2, 0xC4, 0xE4, 0xF5, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67, 0x89},
     "Component Controller Class",
     "vanto-cadora Controller",
     0,
     ""},
};
#endif

TEST_F (Factory, ClassTableMatchesRegistration)
{
	for (const ClassRow& row : kRows)
	{
		PClassInfo info;
		ASSERT_EQ (kResultOk, factory->getClassInfo (row.index, &info));
		EXPECT_EQ (0, std::memcmp (row.tuid, info.cid, 16)) << row.name;
		EXPECT_EQ (0x7FFFFFFF, info.cardinality);
		EXPECT_STREQ (row.category, info.category);
		EXPECT_STREQ (row.name, info.name);

		PClassInfo2 info2;
		ASSERT_EQ (kResultOk, factory->getClassInfo2 (row.index, &info2));
		EXPECT_EQ (0, std::memcmp (row.tuid, info2.cid, 16));
		EXPECT_EQ (row.flags, info2.classFlags);
		EXPECT_STREQ (row.subCategories, info2.subCategories);
		EXPECT_STREQ ("", info2.vendor);
		EXPECT_STREQ ("9.9.0", info2.version);
		EXPECT_STREQ (kVstVersionString, info2.sdkVersion);
	}
}

TEST_F (Factory, ClassInfoRejectsBadIndexAndNull)
{
	PClassInfo info;
	PClassInfo2 info2;
	EXPECT_EQ (kInvalidArgument, factory->getClassInfo (2, &info));
	EXPECT_EQ (kInvalidArgument, factory->getClassInfo (-1, &info));
	EXPECT_EQ (kInvalidArgument, factory->getClassInfo (0, nullptr));
	EXPECT_EQ (kInvalidArgument, factory->getClassInfo2 (-1, &info2));
	EXPECT_EQ (kInvalidArgument, factory->getClassInfo2 (2, &info2));
	EXPECT_EQ (kInvalidArgument, factory->getClassInfo2 (1, nullptr));
}

TEST_F (Factory, CreatesProcessorThatNamesItsController)
{
	TUID cid;
	kProcessorUID.toTUID (cid);
	void* obj = nullptr;
	ASSERT_EQ (kResultOk, factory->createInstance (cid, Vst::IAudioProcessor::iid, &obj));
	auto* processor = static_cast<Vst::IAudioProcessor*> (obj);
	Vst::IComponent* component = nullptr;
	ASSERT_EQ (kResultOk,
	           processor->queryInterface (Vst::IComponent::iid, reinterpret_cast<void**> (&component)));
	TUID controller;
	ASSERT_EQ (kResultOk, component->getControllerClassId (controller));
	EXPECT_TRUE (FUID::fromTUID (controller) == kControllerUID);
	component->release ();
	EXPECT_EQ (0u, processor->release ());
}

TEST_F (Factory, CreatesController)
{
	TUID cid;
	kControllerUID.toTUID (cid);
	void* obj = nullptr;
	ASSERT_EQ (kResultOk, factory->createInstance (cid, Vst::IEditController::iid, &obj));
	EXPECT_EQ (0u, static_cast<Vst::IEditController*> (obj)->release ());
}

TEST_F (Factory, RefusesUnknownClassOrInterface)
{
	const FUID unknown (0x11111111, 0x22222222, 0x33333333, 0x44444444);
	TUID cid;
	unknown.toTUID (cid);
	void* obj = &obj;
	EXPECT_EQ (kNoInterface, factory->createInstance (cid, Vst::IAudioProcessor::iid, &obj));
	EXPECT_EQ (nullptr, obj);

	kControllerUID.toTUID (cid);
	obj = &obj;
	EXPECT_EQ (kNoInterface, factory->createInstance (cid, Vst::IAudioProcessor::iid, &obj));
	EXPECT_EQ (nullptr, obj);

	EXPECT_EQ (kInvalidArgument, factory->createInstance (cid, Vst::IEditController::iid, nullptr));
}

} // namespace
} // namespace cadora
