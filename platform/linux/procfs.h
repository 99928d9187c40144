// Processes of this machine through /proc: image paths, the process list and a
// process's locale. A Windows program run by Wine shows Wine's loader as its executable;
// such a process is named by the Windows program on its command line, as Windows would
// name it. A process that is gone or not ours to inspect simply yields nothing.
#pragma once

#include "platform/desktop.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cadora::platform {

// The image path: /proc/PID/exe, or for a Wine process its Windows program's path.
bool processImagePathOf (uint32_t pid, std::u16string& path);

// Every process with its executable's file name (the Windows program's for Wine).
bool listProcesses (std::vector<ProcessEntry>& out);

// The ANSI code page Wine gives the process, from the locale of its environment.
uint32_t codePageOfProcess (uint32_t pid);

// The Windows program a Wine process runs, from its command line's arguments: the first
// that names an .exe file; empty when there is none.
std::string windowsProgramOf (const std::vector<std::string>& commandLine);

// The file name after the last '/' or '\'.
std::string fileNameOf (const std::string& path);

} // namespace cadora::platform
