#include "platform/linux/busproperties.h"

#include <cstring>

namespace cadora::platform {

namespace {

// The type the variant at the read position holds ("s", "as", "a{sv}", ...), or empty.
std::string_view variantContents (const SdBusApi& api, sd_bus_message* message)
{
	char type = 0;
	const char* contents = nullptr;
	if (api.peekType (message, &type, &contents) <= 0 || type != 'v' || !contents)
		return {};
	return contents;
}

bool readStrings (const SdBusApi& api, sd_bus_message* message, std::vector<std::string>& values)
{
	if (api.enterContainer (message, 'a', "s") <= 0)
		return false;
	const char* text = nullptr;
	while (api.readBasic (message, 's', &text) > 0)
		values.emplace_back (text ? text : "");
	return api.exitContainer (message) >= 0;
}

} // namespace

bool forEachProperty (const SdBusApi& api, sd_bus_message* message,
                      const std::function<bool (std::string_view key)>& take)
{
	if (api.enterContainer (message, 'a', "{sv}") <= 0)
		return false;
	while (api.enterContainer (message, 'e', "sv") > 0)
	{
		const char* key = nullptr;
		if (api.readBasic (message, 's', &key) <= 0)
			return false;
		if (!take (key ? key : "") && api.skip (message, "v") < 0)
			return false;
		if (api.exitContainer (message) < 0)
			return false;
	}
	return api.exitContainer (message) >= 0;
}

bool readStringVariant (const SdBusApi& api, sd_bus_message* message, std::string& value)
{
	if (variantContents (api, message) != "s" || api.enterContainer (message, 'v', "s") <= 0)
		return false;
	const char* text = nullptr;
	const bool read = api.readBasic (message, 's', &text) > 0;
	value = read && text ? text : "";
	return api.exitContainer (message) >= 0 && read;
}

bool readStringListVariant (const SdBusApi& api, sd_bus_message* message, std::vector<std::string>& values)
{
	values.clear ();
	const std::string_view contents = variantContents (api, message);
	if (contents == "s")
	{
		values.emplace_back ();
		return readStringVariant (api, message, values.back ());
	}
	if (contents != "as" || api.enterContainer (message, 'v', "as") <= 0)
		return false;
	const bool read = readStrings (api, message, values);
	return api.exitContainer (message) >= 0 && read;
}

bool forEachPropertyInVariant (const SdBusApi& api, sd_bus_message* message,
                               const std::function<bool (std::string_view key)>& take)
{
	if (variantContents (api, message) != "a{sv}" || api.enterContainer (message, 'v', "a{sv}") <= 0)
		return false;
	const bool read = forEachProperty (api, message, take);
	return api.exitContainer (message) >= 0 && read;
}

} // namespace cadora::platform
