// The fixture module as a real host sees it: a processor class that passes stereo through
// and names the controller class, and a controller whose calls land in the log that
// tests in a real host read.
#include "fixturemodule.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace cadora {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

void setLogVariable (const std::string& value)
{
#if defined(_WIN32)
	_putenv_s ("CADORA_FIXTURE_LOG", value.c_str ());
#else
	setenv ("CADORA_FIXTURE_LOG", value.c_str (), 1);
#endif
}

std::vector<std::string> linesOf (const std::string& path)
{
	std::ifstream file (path);
	std::vector<std::string> lines;
	for (std::string line; std::getline (file, line);)
		lines.push_back (line);
	return lines;
}

class FixtureAsPlugIn : public ::testing::Test
{
protected:
	test::FixtureModule module;
	std::string logPath = ::testing::TempDir () + "fixture_calls.log";

	void SetUp () override
	{
		ASSERT_TRUE (module.loaded ());
		setLogVariable ("");
		std::remove (logPath.c_str ());
	}
	void TearDown () override
	{
		setLogVariable ("");
		std::remove (logPath.c_str ());
	}
};

TEST_F (FixtureAsPlugIn, ProcessorPassesStereoThroughAndNamesTheController)
{
	IComponent* component = module.createProcessor ();
	ASSERT_NE (nullptr, component);
	// A host creates the controller from the class id the processor names.
	TUID controllerId {};
	ASSERT_EQ (kResultOk, component->getControllerClassId (controllerId));
	void* controller = nullptr;
	EXPECT_EQ (kResultOk,
	           module.pluginFactory ()->createInstance (controllerId, IEditController::iid, &controller));
	ASSERT_NE (nullptr, controller);
	static_cast<IEditController*> (controller)->release ();

	FUnknownPtr<IAudioProcessor> processor (component);
	ASSERT_TRUE (processor);

	ProcessSetup setup {kRealtime, kSample32, 64, 44100.0};
	ASSERT_EQ (kResultOk, processor->setupProcessing (setup));
	ASSERT_EQ (kResultOk, component->setActive (true));
	std::vector<float> left (64), right (64), outLeft (64, 9.0f), outRight (64, 9.0f);
	for (size_t i = 0; i < left.size (); ++i)
	{
		left[i] = 0.01f * static_cast<float> (i);
		right[i] = -0.02f * static_cast<float> (i);
	}
	float* inputs[] = {left.data (), right.data ()};
	float* outputs[] = {outLeft.data (), outRight.data ()};
	AudioBusBuffers inBus {};
	inBus.numChannels = 2;
	inBus.channelBuffers32 = inputs;
	AudioBusBuffers outBus {};
	outBus.numChannels = 2;
	outBus.channelBuffers32 = outputs;
	ProcessData data {};
	data.numSamples = 64;
	data.symbolicSampleSize = kSample32;
	data.numInputs = 1;
	data.numOutputs = 1;
	data.inputs = &inBus;
	data.outputs = &outBus;
	EXPECT_EQ (kResultOk, processor->process (data));
	EXPECT_EQ (left, outLeft);
	EXPECT_EQ (right, outRight);

	component->setActive (false);
	component->terminate ();
	component->release ();
}

TEST_F (FixtureAsPlugIn, LogsEveryWriteAndReadWithTheCallingModule)
{
	IEditController* controller = module.createController ();
	ASSERT_NE (nullptr, controller);

	controller->setParamNormalized (2, 0.25);
	EXPECT_TRUE (linesOf (logPath).empty ()) << "nothing is logged without the variable";

	setLogVariable (logPath);
	controller->setParamNormalized (2, 7.0 / 11);
	controller->setParamNormalized (1, 1.0 / 28);
	const double key = controller->getParamNormalized (2);
	test::FixtureModule::destroyController (controller);

	const auto lines = linesOf (logPath);
	ASSERT_EQ (3u, lines.size ());
	struct Expected
	{
		const char* what;
		unsigned id;
		double value;
	} expected[] = {{"write", 2, 7.0 / 11}, {"write", 1, 1.0 / 28}, {"read", 2, key}};
	for (size_t i = 0; i < lines.size (); ++i)
	{
		std::istringstream line (lines[i]);
		std::string what, caller;
		unsigned id = 0;
		double value = -1;
		line >> what >> id >> value >> caller;
		EXPECT_EQ (expected[i].what, what) << lines[i];
		EXPECT_EQ (expected[i].id, id) << lines[i];
		EXPECT_DOUBLE_EQ (expected[i].value, value) << lines[i];
		// The calls came from this test program, not from the fixture module itself.
		EXPECT_EQ (0u, caller.rfind ("autotune_tests", 0)) << lines[i];
	}
	EXPECT_DOUBLE_EQ (7.0 / 11, key);
}

} // namespace
} // namespace cadora
