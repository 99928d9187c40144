// The editor's size rule, one for the controller's stored size and the window alike:
// width 500..1000, height tied to the width by the factor 1.07.
#pragma once

#include <cstdint>

namespace cadora {

constexpr int32_t kEditorMinWidth = 500;
constexpr int32_t kEditorMaxWidth = 1000;
constexpr double kEditorAspect = 1.07; // height over width

struct EditorSize
{
	int32_t width;
	int32_t height;
	bool operator== (const EditorSize& other) const { return width == other.width && height == other.height; }
};

// The width clamped to 500..1000 and the height lround (width x 1.07): 500 gives
// 500 x 535, 999 gives 999 x 1069, anything from 1000 up 1000 x 1070.
EditorSize editorSizeForWidth (int64_t width);

} // namespace cadora
