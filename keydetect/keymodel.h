// The key numbering used everywhere in the plug-in: key index 0..23 (0 = A major,
// 1 = A minor, 2 = Bb major, ...; even = major, odd = minor), -1 = no key, its display
// names, and the conversions between a key index and (root, minor) with C = root 0.
#pragma once

#include <cstdint>

namespace cadora {

constexpr int32_t kNoKey = -1;
constexpr int32_t kKeyCount = 24;
constexpr int32_t kRootCount = 12;

// Root (semitones above C) of every key index.
extern const int32_t kKeyIndexToRoot[kKeyCount];
// Index of the major key on every root, root 0 (C) first.
extern const int32_t kRootToMajorKeyIndex[kRootCount];
// UTF-8 display names, indexed by key index.
extern const char* const kKeyNames[kKeyCount];

// Root of key index k; defined for k in 0..23.
int32_t keyIndexToRoot (int32_t k);
// True for a minor key; defined for k in 0..23.
bool keyIndexIsMinor (int32_t k);
// Key index of (root, minor); defined for root in 0..11.
int32_t keyIndexFromRoot (int32_t root, bool minor);
// Display name of k, or nullptr when k is not a key index (the caller shows a placeholder).
const char* keyName (int32_t k);

} // namespace cadora
