// The long options: --help, --version, and the formats --png, --text, --midi and --wav, any
// of them in one run, then at most one type option. Their errors go to standard error with
// exit status 2, as a Unix tool's usage errors do, and nothing is written.
#include <climits>
#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "cli/outputs.h"

namespace {

constexpr int kUsageErrorStatus = 2;

constexpr char help_lines[][100] = {
    "Usage: kesk -l number         copy logic resource number into logic.number\n",
    "       kesk -p number         copy picture resource number into picture.number\n",
    "       kesk -v number         copy view resource number into view.number\n",
    "       kesk -s number         copy sound resource number into sound.number\n",
    "       kesk -l ALL            copy every logic resource into logic/\n",
    "       kesk -p ALL            copy every picture resource into picture/\n",
    "       kesk -v ALL            copy every view resource into view/\n",
    "       kesk -s ALL            copy every sound resource into sound/\n",
    "       kesk -o                convert object into object.new\n",
    "       kesk -w                decode words.tok into words.txt\n",
    "       kesk -a                every type with ALL, then -o, then -w\n",
    "       kesk --png -p number   draw picture.number.png and picture.number.priority.png\n",
    "       kesk --png -v number   draw view.number.png, every cel of the view\n",
    "       kesk --png -p ALL      draw every picture into picture/\n",
    "       kesk --png -v ALL      draw every view into view/\n",
    "       kesk --png             draw every picture, then every view\n",
    "       kesk --text -l number  write logic number as source text into logic.number.txt\n",
    "       kesk --text -l ALL     write every logic as source text into logic/\n",
    "       kesk --text            every logic as text, then the items into objects.txt\n",
    "       kesk --midi -s number  convert sound number into the MIDI file sound.number.mid\n",
    "       kesk --midi -s ALL     convert every sound into a MIDI file in sound/\n",
    "       kesk --midi            the same as --midi -s ALL\n",
    "       kesk --wav -s number   play sound number into the WAV file sound.number.wav\n",
    "       kesk --wav -s ALL      play every sound into a WAV file in sound/\n",
    "       kesk --wav             the same as --wav -s ALL\n",
    "       kesk --png --text --midi --wav   several formats in one run, in the order named,\n",
    "                              each once, with at most one type option after them\n",
    "       kesk --help            print this text\n",
    "       kesk --version         print the version\n",
};

// The type options, by type index.
constexpr char type_options[kResourceTypeCount][3] = {"-l", "-p", "-v", "-s"};

bool is_long_option(const char* argument) {
  return argument[0] == '-' && argument[1] == '-';
}

int usage_error(const char* format, const char* argument) {
  fprintf(stderr, "kesk: ");
  fprintf(stderr, format, argument);
  fprintf(stderr, "\nTry 'kesk --help' for more information.\n");
  return kUsageErrorStatus;
}

// A resource number of the long options: digits only, up to the largest int; -1 otherwise.
int read_resource_number(const char* text) {
  if (*text == '\0') {
    return -1;
  }
  long long value = 0;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') {
      return -1;
    }
    value = value * 10 + (*text - '0');
    if (value > INT_MAX) {
      return -1;
    }
  }
  return static_cast<int>(value);
}

int find_format(const char* option) {
  for (int format = 0; format < kOutputFormatCount; ++format) {
    if (strcmp(option, output_formats[format].option) == 0) {
      return format;
    }
  }
  return -1;
}

int find_type_option(const char* option) {
  for (int type = 0; type < kResourceTypeCount; ++type) {
    if (strcmp(option, type_options[type]) == 0) {
      return type;
    }
  }
  return -1;
}

// The formats named at the start of the command line, in order.
struct FormatList {
  int formats[kOutputFormatCount];
  int count;
};

int run_help_or_version(int argc, const char* option) {
  if (argc > 2) {
    return usage_error("%s takes no arguments", option);
  }
  if (strcmp(option, "--help") == 0) {
    for (const char* line : help_lines) {
      fputs(line, stdout);
    }
  } else {
    printf("kesk %s\n", KESK_VERSION);
  }
  return 0;
}

// Reads the long options from argv[1] on into `list`; returns the index of the first other
// argument, or -1 after a usage error (its status in `status`).
int read_formats(int argc, char** argv, FormatList* list, int* status) {
  list->count = 0;
  int next = 1;
  for (; next < argc && is_long_option(argv[next]); ++next) {
    int format = find_format(argv[next]);
    if (format < 0) {
      bool lone = strcmp(argv[next], "--help") == 0 || strcmp(argv[next], "--version") == 0;
      *status = usage_error(lone ? "%s takes no other options" : "unknown option '%s'", argv[next]);
      return -1;
    }
    for (int i = 0; i < list->count; ++i) {
      if (list->formats[i] == format) {
        *status = usage_error("%s is named more than once", argv[next]);
        return -1;
      }
    }
    list->formats[list->count++] = format;
  }
  return next;
}

// Checks the type option and its number after the formats; the type index, or -1 after a
// usage error (its status in `status`). `*number` is -1 for ALL.
int read_type_option(int argc, char** argv, int first, const FormatList& list, int* number,
                     int* status) {
  for (int i = first; i < argc; ++i) {
    if (is_long_option(argv[i])) {
      *status = usage_error("the long option '%s' must come before the type option", argv[i]);
      return -1;
    }
  }
  const char* option = argv[first];
  int type = find_type_option(option);
  for (int i = 0; i < list.count; ++i) {
    const OutputFormatRow& row = output_formats[list.formats[i]];
    if (type < 0 || !row.takes_type[type]) {
      char format[96];
      snprintf(format, sizeof format, "%s %s, not '%%s'", row.option, row.what_it_takes);
      *status = usage_error(format, option);
      return -1;
    }
  }
  if (first + 1 >= argc) {
    *status = usage_error("%s needs a resource number or ALL after it", option);
    return -1;
  }
  if (first + 2 < argc) {
    *status = usage_error("too many arguments after '%s'", argv[first + 1]);
    return -1;
  }
  const char* number_text = argv[first + 1];
  *number = strcmp(number_text, "ALL") == 0 ? -1 : read_resource_number(number_text);
  if (*number < 0 && strcmp(number_text, "ALL") != 0) {
    *status = usage_error("'%s' is not a resource number (digits only) or ALL", number_text);
    return -1;
  }
  return type;
}

}  // namespace

bool has_long_option(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (is_long_option(argv[i])) {
      return true;
    }
  }
  return false;
}

int run_long_options(int argc, char** argv) {
  const char* option = argv[1];
  if (!is_long_option(option)) {
    for (int i = 2; i < argc; ++i) {
      if (is_long_option(argv[i])) {
        return usage_error("the long option '%s' must come first", argv[i]);
      }
    }
  }
  if (strcmp(option, "--help") == 0 || strcmp(option, "--version") == 0) {
    return run_help_or_version(argc, option);
  }
  FormatList list;
  int status = 0;
  int first = read_formats(argc, argv, &list, &status);
  if (first < 0) {
    return status;
  }
  if (first == argc) {
    for (int i = 0; i < list.count; ++i) {
      convert_everything(list.formats[i]);
    }
    return 0;
  }
  int number;
  int type = read_type_option(argc, argv, first, list, &number, &status);
  if (type < 0) {
    return status;
  }
  for (int i = 0; i < list.count; ++i) {
    if (number < 0) {
      convert_resource_type(list.formats[i], type);
    } else {
      convert_resource(list.formats[i], type, number);
    }
  }
  return 0;
}
