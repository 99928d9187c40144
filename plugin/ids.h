// Identities of the plug-in: class ids, names, vendor and parameter ids.
#pragma once

#include "plugin/version.h"

#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/vst/vsttypes.h"

namespace cadora {

inline const Steinberg::FUID kProcessorUID (0xD9A1B2C3, 0xE4F56789, 0xABCDEF01, 0x23456789);
inline const Steinberg::FUID kControllerUID (0xD9A1B2C4, 0xE4F56789, 0xABCDEF01, 0x23456789);

constexpr const char* kVendor = "solvane";
constexpr const char* kVendorUrl = "https://solvane.com";
constexpr const char* kVendorEmail = "";
constexpr const char* kProcessorName = "vanto-cadora";
constexpr const char* kControllerName = "vanto-cadora Controller";

enum ParamId : Steinberg::Vst::ParamID
{
	kParamHardness = 0,
	kParamRoot = 1,
	kParamMinor = 2,
	kParamPlayerSource = 3,
	kParamMuteStrength = 4,
	kParamPitch = 5,
	kParamCount = 6
};

} // namespace cadora
