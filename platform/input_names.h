// Internal to the POSIX part of the platform layer: input names in any letter case.
#ifndef KESK_PLATFORM_INPUT_NAMES_H
#define KESK_PLATFORM_INPUT_NAMES_H

#include <cstddef>

// The longest input name that is looked for in any letter case.
constexpr size_t kLongestInputName = 255;

// Looks through the working directory for a name equal to `name` apart from the case of
// ASCII letters (`name` itself included), the first of them in byte order, and copies it
// into `found`, which has room for strlen(name) + 1 bytes. The spelling is remembered for
// the rest of the run. False when there is none.
bool find_name_in_any_case(const char* name, char* found);

// The spelling last found for `name` in this run, copied into `found` as above, without
// looking; false when none is remembered.
bool remembered_spelling(const char* name, char* found);

// Forgets the spelling remembered for `name`, which must have one, once it has gone.
void forget_spelling(const char* name);

#endif  // KESK_PLATFORM_INPUT_NAMES_H
