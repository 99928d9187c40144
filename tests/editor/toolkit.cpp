// Brings the GUI toolkit up once for the whole test program, as the module does at load.
#include "vstgui/lib/vstguiinit.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <objbase.h>
#include <windows.h>
#endif

namespace {

class Toolkit : public ::testing::Environment
{
public:
	void SetUp () override
	{
#if defined(_WIN32)
		// A Windows host's UI thread has COM; the toolkit's image decoder needs it.
		CoInitializeEx (nullptr, COINIT_APARTMENTTHREADED);
		VSTGUI::init (GetModuleHandleW (nullptr));
#else
		VSTGUI::init (nullptr);
#endif
	}
	void TearDown () override
	{
		VSTGUI::exit ();
	}
};

const auto* const toolkit = ::testing::AddGlobalTestEnvironment (new Toolkit);

} // namespace
