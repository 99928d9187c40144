# FFTW 3 (double precision) as the target cadora_fftw, for key detection, on both
# platforms. Linking it also brings platform::fftwAvailable.
#   Linux:   the system's libfftw3 (pkg-config); the module finds it by its run path.
#   Windows: libfftw3-3.dll cross-built into the cache folder by tools/deps/fftw-win.sh,
#            linked through a delay-load import library and bound on first use by the
#            hook in platform/win32/fftwdelayload.cpp. Programs that link cadora_fftw
#            get the DLL copied beside them by cadora_copy_fftw_dll.

set(CADORA_FFTW_WIN_DIR "${CMAKE_SOURCE_DIR}/.cache/fftw-win" CACHE PATH
    "FFTW cross-built for Windows (tools/deps/fftw-win.sh)")

# cadora_add_fftw_target(LINUX_SOURCE WINDOWS_SOURCE): sources of the binding, relative to
# the calling directory. The binding is an object library so that its delay-load hook is
# always linked: the loader helper in the C runtime would otherwise take its own empty one.
function(cadora_add_fftw_target linux_source windows_source)
  add_library(cadora_fftw INTERFACE)
  if(WIN32)
    if(NOT EXISTS "${CADORA_FFTW_WIN_DIR}/bin/libfftw3-3.dll")
      message(FATAL_ERROR "FFTW for Windows missing in ${CADORA_FFTW_WIN_DIR}: run ./dev, which builds it")
    endif()
    add_library(cadora_fftw_binding OBJECT ${windows_source})
    target_include_directories(cadora_fftw INTERFACE "${CADORA_FFTW_WIN_DIR}/include")
    target_link_libraries(cadora_fftw INTERFACE
      cadora_fftw_binding $<TARGET_OBJECTS:cadora_fftw_binding> "${CADORA_FFTW_WIN_DIR}/lib/libfftw3-3.delay.a")
  else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(FFTW3 REQUIRED IMPORTED_TARGET fftw3)
    add_library(cadora_fftw_binding OBJECT ${linux_source})
    target_link_libraries(cadora_fftw INTERFACE
      cadora_fftw_binding $<TARGET_OBJECTS:cadora_fftw_binding> PkgConfig::FFTW3)
  endif()
  target_include_directories(cadora_fftw_binding PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()

# cadora_copy_fftw_dll(TARGET): on Windows, copies libfftw3-3.dll beside the program or
# module TARGET builds, where the delay-load hook looks for it.
function(cadora_copy_fftw_dll target)
  if(WIN32)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different "${CADORA_FFTW_WIN_DIR}/bin/libfftw3-3.dll" "$<TARGET_FILE_DIR:${target}>"
      VERBATIM)
  endif()
endfunction()
