// The pieces of the FFTW delay-load binding on Windows, for the hook and for tests.
#pragma once

#include <windows.h>

#include <cstddef>

namespace cadora::platform {

constexpr char kFftwModuleName[] = "libfftw3-3.dll";

// Replaces everything after the last backslash of the zero-terminated path (capacity
// wide characters, terminator included) with fileName. False, and path unchanged, when
// the path has no backslash or the result does not fit.
bool replaceFileName (wchar_t* path, size_t capacity, const wchar_t* fileName);

// Loads fileName from the folder of the module that holds this code, also searching
// that folder for its dependencies; null when that fails.
HMODULE loadBesideOwnModule (const wchar_t* fileName);

} // namespace cadora::platform
