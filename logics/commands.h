// The commands of the logic bytecode: names and argument kinds of the actions and tests.
// Internal to the library.
#ifndef KESK_LOGICS_COMMANDS_H
#define KESK_LOGICS_COMMANDS_H

#include <cstdint>

// The last action byte; bytes above it up to FB start no unit.
constexpr int kLastAction = 0xB5;
// The tests run from 01 to this byte.
constexpr int kLastTest = 0x12;
constexpr int kSaidTest = 0x0E;

// A command's name and one letter for each of its arguments' kinds: n a number, v a variable,
// f a flag, m a message, o a screen object, i an item, s a string, w a word of the input line,
// c a controller.
struct Command {
  const char* name;
  const char* arguments;
  uint8_t name_length;
  uint8_t argument_count;
  // The lengths are worked out when the tables are compiled, so that writing a command never
  // measures a string.
  constexpr Command(const char* command, const char* kinds)
      : name(command),
        arguments(kinds),
        name_length(length_of(command)),
        argument_count(length_of(kinds)) {}
  static constexpr uint8_t length_of(const char* text) {
    uint8_t length = 0;
    while (text[length] != '\0') {
      ++length;
    }
    return length;
  }
};

extern const Command kActions[kLastAction + 1];
extern const Command kTests[kLastTest + 1];

#endif  // KESK_LOGICS_COMMANDS_H
