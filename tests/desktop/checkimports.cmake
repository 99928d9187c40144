# Fails when a Windows binary imports a DLL outside ALLOWED (lower case, ';'-separated):
# the plug-in must load on every supported Windows, so functions of newer DLLs (the
# Windows Runtime's api-ms-win-core-winrt-*, combase) are looked up at run time instead.
#   cmake -DOBJDUMP=... -DBINARIES="a.exe|b.dll" -DALLOWED="kernel32.dll|..." -P checkimports.cmake
cmake_minimum_required(VERSION 3.19)
string(REPLACE "|" ";" BINARIES "${BINARIES}")
string(REPLACE "|" ";" ALLOWED "${ALLOWED}")
foreach(binary IN LISTS BINARIES)
  execute_process(COMMAND "${OBJDUMP}" -p "${binary}" OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${OBJDUMP} -p ${binary} failed")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
  if(NOT imports)
    message(FATAL_ERROR "${binary}: no imports found")
  endif()
  foreach(line IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST ALLOWED)
      message(SEND_ERROR "${binary} imports ${dll}")
    endif()
  endforeach()
endforeach()
