#include "plugin/moduleinit.h"

#include <gtest/gtest.h>

namespace cadora {
namespace {

int inits = 0;
int exits = 0;
void* seenHandle = nullptr;

bool countInit (void* handle)
{
	++inits;
	seenHandle = handle;
	return true;
}
void countExit ()
{
	++exits;
}

TEST (ModuleUseCounter, RunsInitialisersAndTerminatorsOnce)
{
	inits = exits = 0;
	ModuleUseCounter counter (&countInit, &countExit);
	int handle = 0;
	EXPECT_TRUE (counter.enter (&handle));
	EXPECT_TRUE (counter.enter (nullptr));
	EXPECT_EQ (1, inits);
	EXPECT_EQ (&handle, seenHandle);
	EXPECT_TRUE (counter.leave ());
	EXPECT_EQ (0, exits);
	EXPECT_TRUE (counter.leave ());
	EXPECT_EQ (1, exits);
	EXPECT_FALSE (counter.leave ());
	EXPECT_EQ (1, exits);
}

TEST (ModuleUseCounter, StartsAgainAfterFullShutDown)
{
	inits = exits = 0;
	ModuleUseCounter counter (&countInit, &countExit);
	counter.enter (nullptr);
	counter.leave ();
	counter.enter (nullptr);
	EXPECT_EQ (2, inits);
	EXPECT_EQ (1, exits);
}

struct PathCase
{
	const char* modulePath;
	char separator;
	const char* expected;
};

TEST (ResourcePath, CutsFileAndFolderThenAppendsResources)
{
	const PathCase cases[] = {
	    {"C:\\Program Files\\Common Files\\VST3\\vanto-cadora.vst3\\Contents\\x86_64-win\\vanto-cadora.vst3",
	     '\\', "C:\\Program Files\\Common Files\\VST3\\vanto-cadora.vst3\\Contents\\Resources"},
	    {"/home/u/.vst3/vanto-cadora.vst3/Contents/x86_64-linux/vanto-cadora.so", '/',
	     "/home/u/.vst3/vanto-cadora.vst3/Contents/Resources"},
	    {"C:\\plugin.vst3", '\\', ""},
	    {"plugin.vst3", '\\', ""},
	    {"", '\\', ""},
	    {"\\x\\m.dll", '\\', "\\Resources"},
	};
	for (const PathCase& c : cases)
		EXPECT_EQ (c.expected, resourcePathFromModulePath (c.modulePath, c.separator)) << c.modulePath;
}

} // namespace
} // namespace cadora
