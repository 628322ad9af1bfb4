// Internal to the POSIX part of the platform layer: input names in any letter case.
#ifndef KESK_PLATFORM_INPUT_NAMES_H
#define KESK_PLATFORM_INPUT_NAMES_H

#include <cstddef>

// The longest input name that is looked for in any letter case.
constexpr size_t kLongestInputName = 255;

// Finds a name in the working directory equal to `name` apart from the case of ASCII
// letters (`name` itself included), the first of them in byte order, and copies it into
// `found`, which has room for strlen(name) + 1 bytes. A spelling found earlier in the run
// is given again without looking, unless `look_again` is set. False when there is none.
bool find_name_in_any_case(const char* name, char* found, bool look_again);

#endif  // KESK_PLATFORM_INPUT_NAMES_H
