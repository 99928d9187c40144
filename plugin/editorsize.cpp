#include "plugin/editorsize.h"

#include <algorithm>
#include <cmath>

namespace cadora {

EditorSize editorSizeForWidth (int64_t width)
{
	const auto w = static_cast<int32_t> (std::clamp<int64_t> (width, kEditorMinWidth, kEditorMaxWidth));
	return {w, static_cast<int32_t> (std::lround (w * kEditorAspect))};
}

} // namespace cadora
