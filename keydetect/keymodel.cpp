#include "keydetect/keymodel.h"

namespace cadora {

const int32_t kKeyIndexToRoot[kKeyCount] = {9, 9, 10, 10, 11, 11, 0, 0, 1, 1, 2, 2,
                                            3, 3, 4,  4,  5,  5,  6, 6, 7, 7, 8, 8};

const int32_t kRootToMajorKeyIndex[kRootCount] = {6, 8, 10, 12, 14, 16, 18, 20, 22, 0, 2, 4};

const char* const kKeyNames[kKeyCount] = {
    "A 大调",  "A 小调",  "Bb 大调", "Bb 小调", "B 大调",  "B 小调",  "C 大调",  "C 小调",
    "Db 大调", "Db 小调", "D 大调",  "D 小调",  "Eb 大调", "Eb 小调", "E 大调",  "E 小调",
    "F 大调",  "F 小调",  "F# 大调", "F# 小调", "G 大调",  "G 小调",  "Ab 大调", "Ab 小调",
};

int32_t keyIndexToRoot (int32_t k)
{
	return kKeyIndexToRoot[k];
}

bool keyIndexIsMinor (int32_t k)
{
	return (k & 1) == 1;
}

int32_t keyIndexFromRoot (int32_t root, bool minor)
{
	return kRootToMajorKeyIndex[root] + (minor ? 1 : 0);
}

const char* keyName (int32_t k)
{
	if (k < 0 || k >= kKeyCount)
		return nullptr;
	return kKeyNames[k];
}

} // namespace cadora
