#include "standinprocess.h"

#include "standin/scenes.h"

#include <sstream>
#include <thread>

namespace cadora::desktoptest {

namespace {

constexpr DWORD kReadyTimeoutMs = 30000;

std::wstring widen (const std::string& text)
{
	return std::wstring (text.begin (), text.end ());
}

} // namespace

std::wstring ownFolder ()
{
	wchar_t path[MAX_PATH] {};
	const DWORD length = GetModuleFileNameW (nullptr, path, MAX_PATH);
	std::wstring folder (path, length);
	return folder.substr (0, folder.find_last_of (L'\\') + 1);
}

std::wstring windowsPathOf (const std::string& path)
{
	std::wstring result = widen (path);
	if (result.empty () || result[0] != L'/')
		return result;
	for (wchar_t& c : result)
		if (c == L'/')
			c = L'\\';
	return L"Z:" + result;
}

StandIn::StandIn (const std::wstring& exeName, const std::string& scene, unsigned extraHeapMib)
: exePath (ownFolder () + L"standins\\" + exeName)
{
	isReady = start (scene, extraHeapMib);
	if (!isReady)
		stop ();
}

StandIn::~StandIn ()
{
	stop ();
}

bool StandIn::start (const std::string& scene, unsigned extraHeapMib)
{
	SECURITY_ATTRIBUTES inherit {sizeof (SECURITY_ATTRIBUTES), nullptr, TRUE};
	HANDLE readEnd = nullptr, writeEnd = nullptr;
	if (!CreatePipe (&readEnd, &writeEnd, &inherit, 0))
		return failure = "CreatePipe failed", false;
	SetHandleInformation (readEnd, HANDLE_FLAG_INHERIT, 0);

	std::wstring commandLine = L"\"" + exePath + L"\" " + std::to_wstring (GetCurrentProcessId ()) + L" " +
	                           widen (scene) + L" " + std::to_wstring (extraHeapMib);
	STARTUPINFOW startup {};
	startup.cb = sizeof (startup);
	startup.dwFlags = STARTF_USESTDHANDLES;
	startup.hStdOutput = writeEnd;
	startup.hStdError = writeEnd;
	startup.hStdInput = GetStdHandle (STD_INPUT_HANDLE);
	const BOOL started = CreateProcessW (exePath.c_str (), commandLine.data (), nullptr, nullptr, TRUE, 0,
	                                     nullptr, nullptr, &startup, &process);
	CloseHandle (writeEnd);
	if (!started)
	{
		CloseHandle (readEnd);
		failure = "CreateProcessW failed: " + std::to_string (GetLastError ());
		return false;
	}
	processId = process.dwProcessId;
	// A stand-in that hangs before it is ready is ended, which ends the read.
	HANDLE done = CreateEventW (nullptr, TRUE, FALSE, nullptr);
	HANDLE child = process.hProcess;
	std::thread watchdog ([done, child] {
		if (WaitForSingleObject (done, kReadyTimeoutMs) == WAIT_TIMEOUT)
			TerminateProcess (child, 1);
	});
	const bool ok = readReport (readEnd);
	SetEvent (done);
	watchdog.join ();
	CloseHandle (done);
	CloseHandle (readEnd);
	return ok;
}

bool StandIn::readReport (HANDLE output)
{
	std::string pending;
	char buffer[512];
	DWORD got = 0;
	while (ReadFile (output, buffer, sizeof (buffer), &got, nullptr) && got > 0)
	{
		pending.append (buffer, got);
		for (size_t end; (end = pending.find ('\n')) != std::string::npos;)
		{
			std::string line = pending.substr (0, end);
			pending.erase (0, end + 1);
			if (!line.empty () && line.back () == '\r')
				line.pop_back ();
			if (line == standin::kReadyLine)
				return true;
			lines.push_back (line);
		}
	}
	failure = "the stand-in ended without being ready:";
	for (const std::string& line : lines)
		failure += " " + line;
	failure += pending;
	return false;
}

std::map<std::string, std::vector<uint64_t>> StandIn::reported (const std::string& kind) const
{
	std::map<std::string, std::vector<uint64_t>> result;
	for (const std::string& line : lines)
	{
		std::istringstream words (line);
		std::string lineKind, name;
		words >> lineKind >> name;
		if (lineKind != kind)
			continue;
		std::vector<uint64_t>& numbers = result[name];
		for (uint64_t value; words >> std::hex >> value;)
			numbers.push_back (value);
	}
	return result;
}

void StandIn::stop ()
{
	if (!process.hProcess)
		return;
	TerminateProcess (process.hProcess, 0);
	WaitForSingleObject (process.hProcess, 10000);
	CloseHandle (process.hProcess);
	CloseHandle (process.hThread);
	process = {};
}

} // namespace cadora::desktoptest
