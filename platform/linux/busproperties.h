// Reading D-Bus property dictionaries (a{sv}, as Properties.GetAll and MPRIS Metadata
// carry them) from an sd-bus message. A value of an unexpected type is skipped, never
// misread: players put artists as a string or as an array of strings.
#pragma once

#include "platform/linux/sdbusapi.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cadora::platform {

// Calls take (key) for every entry of the dictionary at the message's read position;
// take reads the entry's variant and returns true, or returns false to have it skipped.
bool forEachProperty (const SdBusApi& api, sd_bus_message* message,
                      const std::function<bool (std::string_view key)>& take);

// Reads a variant holding a string; false (nothing read) for any other type.
bool readStringVariant (const SdBusApi& api, sd_bus_message* message, std::string& value);

// Reads a variant holding an array of strings, or one string; false for any other type.
bool readStringListVariant (const SdBusApi& api, sd_bus_message* message, std::vector<std::string>& values);

// Enters a variant holding a dictionary and walks it as forEachProperty does.
bool forEachPropertyInVariant (const SdBusApi& api, sd_bus_message* message,
                               const std::function<bool (std::string_view key)>& take);

} // namespace cadora::platform
