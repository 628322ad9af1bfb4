#include "cli/commands.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "converters/converters.h"
#include "resources/resources.h"

namespace {

enum class Command { kExtractEverything, kConvertObjectFile, kConvertVocabulary };

// The one-argument form: the option's second character names the command.
struct CommandRow {
  char letter;
  Command command;
};

constexpr CommandRow one_argument_commands[] = {
    {'a', Command::kExtractEverything},
    {'o', Command::kConvertObjectFile},
    {'w', Command::kConvertVocabulary},
};

// The two-argument forms: the option's second character selects a resource type index.
constexpr char type_letters[kResourceTypeCount] = {'l', 'p', 'v', 's'};

constexpr char usage_lines[][64] = {
    "Usage: kesk -l logicnumber\n",
    "       kesk -s soundnumber\n",
    "       kesk -v viewnumber\n",
    "       kesk -p picturenumber\n",
    "       kesk -o\n",
    "       kesk -w\n",
    "       kesk -a\n\n",
    "You can use \"ALL\" instead of number to extract all files..\n",
};

void print_usage() {
  for (const char* line : usage_lines) {
    fputs(line, stdout);
  }
}

// The type index for the second character of an option that starts with "-", or -1. A
// lone "-" has only its terminator there, which matches no letter.
int find_resource_type(const char* option) {
  for (int type = 0; type < kResourceTypeCount; ++type) {
    if (option[1] == type_letters[type]) {
      return type;
    }
  }
  return -1;
}

void run_command(Command command) {
  switch (command) {
    case Command::kExtractEverything:
      extract_everything();
      break;
    case Command::kConvertObjectFile:
      convert_object_file();
      break;
    case Command::kConvertVocabulary:
      convert_vocabulary();
      break;
  }
}

void run_one_argument(const char* option) {
  if (option[0] != '\0') {
    for (const CommandRow& row : one_argument_commands) {
      if (option[1] == row.letter) {
        run_command(row.command);
        return;
      }
    }
  }
  printf("Unknown option: %s", option);
}

void run_option_and_number(const char* option, const char* number_text) {
  if (option[0] != '-') {
    printf("Invalid option : %s\n", option);
    return;
  }
  int number = read_number_argument(number_text);
  bool all = strcmp(number_text, "ALL") == 0;
  if (number >= 0 && !all) {
    int type = find_resource_type(option);
    if (type < 0) {
      printf("Invalid option : %s\n", option);
    } else {
      extract_resource(type, number);
    }
  } else if (!all) {
    printf("File number must be a postive number\n");
  } else {
    int type = find_resource_type(option);
    if (type < 0) {
      printf("Invalid option : %s\n", option);
    } else {
      extract_resource_type(type);
    }
  }
}

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int read_number_argument(const char* text) {
  while (is_space(*text)) {
    ++text;
  }
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') {
    ++text;
  }
  // Accumulated as a magnitude up to one past INT_MAX, the magnitude of INT_MIN.
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  long long magnitude = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    magnitude = magnitude * 10 + (*text - '0');
    if (magnitude > limit) {
      magnitude = limit;
    }
  }
  return static_cast<int>(negative ? -magnitude : magnitude);
}

int run_command_line(int argc, char** argv) {
  printf("KESK - AGI system extractor\n\n");
  if (has_long_option(argc, argv)) {
    return run_long_options(argc, argv);
  }
  if (argc > 3) {
    return 0;
  }
  if (argc <= 1) {
    print_usage();
  } else if (argc == 2) {
    run_one_argument(argv[1]);
  } else {
    run_option_and_number(argv[1], argv[2]);
  }
  return 0;
}
