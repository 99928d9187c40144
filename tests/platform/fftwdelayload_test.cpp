// The Windows delay-load hook's path rule: FFTW is taken from the folder of the module
// holding the hook; no folder in the path means no path.
#include "platform/win32/fftwdelayload.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

using cadora::platform::loadBesideOwnModule;
using cadora::platform::replaceFileName;

TEST (FftwDelayLoad, ReplacesTheFileNameAfterTheLastBackslash)
{
	struct Case
	{
		const wchar_t* path;
		size_t capacity;
		const wchar_t* expected; // null: refused, path unchanged
	};
	const Case cases[] = {
	    {L"C:\\Program Files\\Common Files\\VST3\\a.vst3\\Contents\\x86_64-win\\a.vst3", MAX_PATH,
	     L"C:\\Program Files\\Common Files\\VST3\\a.vst3\\Contents\\x86_64-win\\libfftw3-3.dll"},
	    {L"C:\\folder\\", MAX_PATH, L"C:\\folder\\libfftw3-3.dll"},
	    {L"module.vst3", MAX_PATH, nullptr},
	    {L"", MAX_PATH, nullptr},
	    {L"C:\\dir/with/slashes/m.dll", MAX_PATH, L"C:\\libfftw3-3.dll"},
	    // "C:\" plus 14 characters plus the terminator: 18 fit exactly, 17 do not.
	    {L"C:\\m.vst3", 18, L"C:\\libfftw3-3.dll"},
	    {L"C:\\m.vst3", 17, nullptr},
	};
	for (const auto& each : cases)
	{
		wchar_t buffer[MAX_PATH] = {};
		std::wcscpy (buffer, each.path);
		const bool replaced = replaceFileName (buffer, each.capacity, L"libfftw3-3.dll");
		EXPECT_EQ (replaced, each.expected != nullptr);
		const std::wstring expected = each.expected ? each.expected : each.path;
		EXPECT_TRUE (expected == buffer);
	}
}

TEST (FftwDelayLoad, LoadsOnlyFromTheOwnFolder)
{
	// The build puts libfftw3-3.dll beside this program, nothing else.
	HMODULE fftw = loadBesideOwnModule (L"libfftw3-3.dll");
	ASSERT_NE (fftw, nullptr);
	EXPECT_NE (GetProcAddress (fftw, "fftw_plan_dft_r2c_1d"), nullptr);
	FreeLibrary (fftw);
	// kernel32.dll is loaded and on every search path, but not in this folder.
	EXPECT_EQ (loadBesideOwnModule (L"kernel32.dll"), nullptr);
}
