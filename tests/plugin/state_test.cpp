#include "plugin/controller.h"
#include "plugin/parameters.h"
#include "testhost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace cadora {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using test::StreamBytes;
using test::streamOf;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN ();

// Six recognisable values, one per parameter.
const double kSaved[6] = {0.11, 0.22, 0.33, 0.44, 0.55, 0.66};

std::vector<char> processorBytes (const double (&values)[6])
{
	StreamBytes b;
	for (double v : values)
		b.f64 (v);
	return b.bytes;
}

std::vector<char> controllerBytes (int32 width, int32 height)
{
	StreamBytes b;
	b.f64 (kSaved[0]).f64 (kSaved[1]).f64 (kSaved[2]).f64 (kSaved[3]);
	b.i32 (width).i32 (height).f64 (kSaved[4]).f64 (kSaved[5]);
	return b.bytes;
}

TEST (ProcessorState, EveryStreamLength)
{
	for (size_t length = 0; length <= 48; ++length)
	{
		test::ProcessorUnderTest p;
		auto stream = streamOf (processorBytes (kSaved), length);
		const tresult result = p->setState (stream);
		const size_t whole = length / 8;
		if (length < 32)
		{
			EXPECT_EQ (kResultFalse, result) << length;
			for (size_t id = 0; id < whole; ++id)
				EXPECT_EQ (kSaved[id], p->parameter (ParamId (id))) << length;
			EXPECT_EQ (0.0, p->parameter (ParamId (whole))) << "failed read stores 0, length " << length;
			continue;
		}
		EXPECT_EQ (kResultOk, result) << length;
		for (int id = 0; id < 4; ++id)
			EXPECT_EQ (kSaved[id], p->parameter (ParamId (id)));
		EXPECT_EQ (length >= 40 ? kSaved[4] : 0.0, p->parameter (kParamMuteStrength)) << length;
		EXPECT_EQ (length >= 48 ? kSaved[5] : 0.5, p->parameter (kParamPitch)) << length;
	}
}

TEST (ProcessorState, RoundTripIsBitExact)
{
	test::ProcessorUnderTest source;
	const double odd[6] = {0.1 + 1e-17, 1.0 / 3.0, 0.0, 0.8, 2.0, -0.25};
	ASSERT_EQ (kResultOk, source->setState (streamOf (processorBytes (odd))));
	auto saved = owned (new MemoryStream);
	ASSERT_EQ (kResultOk, source->getState (saved));
	EXPECT_EQ (48, saved->getSize ());
	EXPECT_EQ (processorBytes (odd), test::bytesOf (*saved));

	test::ProcessorUnderTest copy;
	saved->seek (0, IBStream::kIBSeekSet, nullptr);
	ASSERT_EQ (kResultOk, copy->setState (saved));
	for (int id = 0; id < 6; ++id)
	{
		const double restored = copy->parameter (ParamId (id));
		EXPECT_EQ (0, std::memcmp (&odd[id], &restored, sizeof (double))) << id;
	}
}

TEST (ProcessorState, DamagedValuesAreStoredButDeriveSanely)
{
	test::ProcessorUnderTest p;
	const double damaged[6] = {kNaN, 0, 0, 0, kNaN, 5.0};
	ASSERT_EQ (kResultOk, p->setState (streamOf (processorBytes (damaged))));
	EXPECT_TRUE (std::isnan (p->parameter (kParamHardness)));
	EXPECT_EQ (5, semitonesFromPitch (p->parameter (kParamPitch)));
	EXPECT_EQ (0.0f, muteStrengthFromValue (p->parameter (kParamMuteStrength)));
	ASSERT_EQ (kResultOk, p->setActive (true));
	double pushed = -1;
	ASSERT_TRUE (p->workerChannel ().takeHardness (pushed));
	EXPECT_EQ (0.5, pushed);
}

class ControllerState : public ::testing::Test
{
protected:
	IPtr<VantoController> controller = owned (new VantoController);
	void SetUp () override { ASSERT_EQ (kResultOk, controller->initialize (nullptr)); }
	void TearDown () override { controller->terminate (); }

	void expectParameters (const double* values, double mute, double pitch)
	{
		for (int id = 0; id < 4; ++id)
			EXPECT_EQ (values[id], controller->getParamNormalized (id)) << id;
		EXPECT_EQ (mute, controller->getParamNormalized (kParamMuteStrength));
		EXPECT_EQ (pitch, controller->getParamNormalized (kParamPitch));
	}
	std::pair<int32, int32> size ()
	{
		int32 w = 0, h = 0;
		controller->getEditorSize (w, h);
		return {w, h};
	}
};

TEST_F (ControllerState, EveryStreamLength)
{
	const double defaults[4] = {0.5, 0, 0, 0};
	for (size_t length = 0; length <= 56; ++length)
	{
		IPtr<VantoController> fresh = owned (new VantoController);
		fresh->initialize (nullptr);
		std::swap (controller, fresh);
		const tresult result = controller->setState (streamOf (controllerBytes (640, 480), length));
		if (length < 40)
		{
			EXPECT_EQ (kResultFalse, result) << length;
			expectParameters (defaults, 0.0, 0.5);
			EXPECT_EQ (std::make_pair (500, 535), size ());
		}
		else
		{
			EXPECT_EQ (kResultOk, result) << length;
			expectParameters (kSaved, length >= 48 ? kSaved[4] : 0.0, length >= 56 ? kSaved[5] : 0.5);
			EXPECT_EQ (std::make_pair (640, 685), size ());
		}
		std::swap (controller, fresh);
		fresh->terminate ();
	}
}

TEST_F (ControllerState, ComponentStateEveryLength)
{
	for (size_t length = 0; length <= 48; ++length)
	{
		IPtr<VantoController> c = owned (new VantoController);
		c->initialize (nullptr);
		const tresult result = c->setComponentState (streamOf (processorBytes (kSaved), length));
		if (length < 40)
		{
			EXPECT_EQ (kResultFalse, result) << length;
			EXPECT_EQ (0.5, c->getParamNormalized (kParamHardness));
		}
		else
		{
			EXPECT_EQ (kResultOk, result) << length;
			EXPECT_EQ (kSaved[4], c->getParamNormalized (kParamMuteStrength));
			EXPECT_EQ (length >= 48 ? kSaved[5] : 0.5, c->getParamNormalized (kParamPitch));
		}
		c->terminate ();
	}
}

TEST_F (ControllerState, ComponentStateClampsAndReplacesDamagedValues)
{
	const double damaged[6] = {kNaN, -1.0, 2.0, std::numeric_limits<double>::infinity (), 0.3, 5.0};
	ASSERT_EQ (kResultOk, controller->setComponentState (streamOf (processorBytes (damaged))));
	EXPECT_EQ (0.5, controller->getParamNormalized (kParamHardness));
	EXPECT_EQ (0.0, controller->getParamNormalized (kParamRoot));
	EXPECT_EQ (1.0, controller->getParamNormalized (kParamMinor));
	EXPECT_EQ (0.0, controller->getParamNormalized (kParamPlayerSource));
	EXPECT_EQ (1.0, controller->getParamNormalized (kParamPitch));
}

TEST_F (ControllerState, RoundTripReproducesParametersAndSize)
{
	for (ParamID id = 0; id < 6; ++id)
		controller->setParamNormalized (id, kSaved[id]);
	controller->setEditorSize (777, 1);
	auto saved = owned (new MemoryStream);
	ASSERT_EQ (kResultOk, controller->getState (saved));
	EXPECT_EQ (56, saved->getSize ());
	EXPECT_EQ (controllerBytes (777, 831), test::bytesOf (*saved));

	IPtr<VantoController> copy = owned (new VantoController);
	copy->initialize (nullptr);
	saved->seek (0, IBStream::kIBSeekSet, nullptr);
	ASSERT_EQ (kResultOk, copy->setState (saved));
	for (ParamID id = 0; id < 6; ++id)
		EXPECT_EQ (kSaved[id], copy->getParamNormalized (id));
	int32 w = 0, h = 0;
	copy->getEditorSize (w, h);
	EXPECT_EQ (777, w);
	EXPECT_EQ (831, h);
	copy->terminate ();
}

TEST_F (ControllerState, EditorSizeRule)
{
	const int32 cases[][4] = {
	    {2000, 10, 1000, 1070}, {480, 900, 500, 535}, {750, 0, 750, 803},
	    {-5, -5, 500, 535},     {500, 535, 500, 535}, {1000, 1, 1000, 1070},
	};
	for (const auto& c : cases)
	{
		controller->setEditorSize (c[0], c[1]);
		EXPECT_EQ (std::make_pair (c[2], c[3]), size ()) << c[0] << "x" << c[1];
	}
}

TEST_F (ControllerState, ViewOnlyForEditorName)
{
	EXPECT_EQ (nullptr, controller->createView (nullptr));
	EXPECT_EQ (nullptr, controller->createView ("something"));
}

} // namespace
} // namespace cadora
