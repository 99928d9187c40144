// The module handle the SDK's module glue reads (getPlatformModuleHandle); the entry
// points set it. It lives apart from them, with the SDK's initialiser registry
// (cmake/vst3sdk.cmake), so that programs linking the plug-in's code without its entry
// points (tests, tools) link too.
void* moduleHandle = nullptr;
