# Brings in the VST3 SDK and VSTGUI from the unpacked source in the cache folder.
# Only what the plug-in, its tests and the validator need is built (EXCLUDE_FROM_ALL).

set(CADORA_SDK_DIR "${CMAKE_SOURCE_DIR}/.cache/vst3sdk" CACHE PATH "Unpacked VST3 SDK source")
if(NOT EXISTS "${CADORA_SDK_DIR}/CMakeLists.txt")
  message(FATAL_ERROR "VST3 SDK not found in ${CADORA_SDK_DIR}: run ./dev, which fetches it")
endif()

set(SMTG_ENABLE_VST3_PLUGIN_EXAMPLES OFF CACHE BOOL "" FORCE)
set(SMTG_ENABLE_VST3_HOSTING_EXAMPLES OFF CACHE BOOL "" FORCE)
set(SMTG_CREATE_PLUGIN_LINK OFF CACHE BOOL "" FORCE)
set(SMTG_RUN_VST_VALIDATOR OFF CACHE BOOL "" FORCE)
set(SMTG_ENABLE_VSTGUI_SUPPORT ON CACHE BOOL "" FORCE)

add_subdirectory("${CADORA_SDK_DIR}" "${CMAKE_BINARY_DIR}/vst3sdk" EXCLUDE_FROM_ALL)
smtg_enable_vst3_sdk()
