# Brings in the VST3 SDK and VSTGUI from the unpacked source in the cache folder.
# Only what the plug-in, its tests and the validator need is built (EXCLUDE_FROM_ALL).
# The MinGW cross build uses a patched copy of the tree (tools/deps/vst3sdk-mingw.sh)
# and the settings in cmake/mingw.cmake.

if(MINGW)
  set(sdk_default "${CMAKE_SOURCE_DIR}/.cache/vst3sdk-mingw")
else()
  set(sdk_default "${CMAKE_SOURCE_DIR}/.cache/vst3sdk")
endif()
set(CADORA_SDK_DIR "${sdk_default}" CACHE PATH "Unpacked VST3 SDK source")
if(NOT EXISTS "${CADORA_SDK_DIR}/CMakeLists.txt")
  message(FATAL_ERROR "VST3 SDK not found in ${CADORA_SDK_DIR}: run ./dev, which fetches it")
endif()

set(SMTG_ENABLE_VST3_PLUGIN_EXAMPLES OFF CACHE BOOL "" FORCE)
# The hosting examples give the editor tests the SDK's editorhost (built on request only).
set(SMTG_ENABLE_VST3_HOSTING_EXAMPLES ON CACHE BOOL "" FORCE)
set(SMTG_CREATE_PLUGIN_LINK OFF CACHE BOOL "" FORCE)
set(SMTG_RUN_VST_VALIDATOR OFF CACHE BOOL "" FORCE)
set(SMTG_ENABLE_VSTGUI_SUPPORT ON CACHE BOOL "" FORCE)

if(MINGW)
  include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
  cadora_mingw_before_sdk()
endif()

add_subdirectory("${CADORA_SDK_DIR}" "${CMAKE_BINARY_DIR}/vst3sdk" EXCLUDE_FROM_ALL)
smtg_enable_vst3_sdk()

# The SDK's headers are system headers to our code: our warnings (and -Werror) are about
# our own code, not about what its headers do.
function(cadora_mark_system_targets dir)
  get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "UTILITY")
      set_property(TARGET ${target} PROPERTY SYSTEM ON)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    cadora_mark_system_targets("${subdir}")
  endforeach()
endfunction()
cadora_mark_system_targets("${CADORA_SDK_DIR}")

# VSTGUIEditor registers module initialisers, whose registry this SDK build leaves out of
# its libraries; the plug-in's own entry points bring the toolkit up, so the registry is
# only linked, with the module handle it reads.
add_library(cadora_moduleglue STATIC
  "${CADORA_SDK_DIR}/public.sdk/source/main/moduleinit.cpp"
  "${CMAKE_SOURCE_DIR}/plugin/modulehandle.cpp")
target_link_libraries(cadora_moduleglue PUBLIC base)
target_link_libraries(vstgui_support PUBLIC cadora_moduleglue)

if(MINGW)
  cadora_mingw_after_sdk()
endif()
