# What the SDK and VSTGUI need to build with MinGW-w64, besides the source patches in
# cmake/mingw/patches: mixed-case header names, a missing DirectComposition interface,
# the libraries MSVC would take from #pragma comment, and wide-character entry points.

macro(cadora_mingw_before_sdk)
  # Header shims, searched before MinGW's own headers.
  include_directories(BEFORE SYSTEM "${CMAKE_SOURCE_DIR}/cmake/mingw/include")
  # The tools are Windows programs: moduleinfo.json is made under Wine by the plug-in's
  # own build step, and the bundle's folder attributes have no meaning here.
  set(SMTG_CREATE_MODULE_INFO OFF CACHE BOOL "" FORCE)
  set(SMTG_ATTRIB_COMMAND "${CMAKE_COMMAND}" -E true)
endmacro()

macro(cadora_mingw_after_sdk)
  # The SDK expects a multi-configuration generator on Windows and puts programs straight
  # into bin/; the project's own programs and modules go to bin/Release as on Linux.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin/${CMAKE_BUILD_TYPE}")
  set(CMAKE_LIBRARY_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/lib/${CMAKE_BUILD_TYPE}")
  set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/lib/${CMAKE_BUILD_TYPE}")
  # GCC ignores #pragma comment(lib, ...).
  target_link_libraries(vstgui PUBLIC
    windowscodecs d2d1 dwrite dwmapi d3d11 dxgi dcomp shlwapi opengl32 glu32
    ole32 oleaut32 uuid comdlg32 imm32 winmm usp10 gdi32 user32 shell32)
  # Both tools start at wmain.
  foreach(tool validator moduleinfotool)
    if(TARGET ${tool})
      target_link_options(${tool} PRIVATE -municode)
    endif()
  endforeach()
endmacro()
