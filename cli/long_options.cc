// The long options: --help, --version and --png. Their errors go to standard error with
// exit status 2, as a Unix tool's usage errors do, and nothing is written.
#include <climits>
#include <cstdio>
#include <cstring>

#include "cli/commands.h"

namespace {

constexpr int kUsageErrorStatus = 2;

constexpr char help_lines[][96] = {
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
    "       kesk --help            print this text\n",
    "       kesk --version         print the version\n",
};

bool is_long_option(const char* argument) {
  return argument[0] == '-' && argument[1] == '-';
}

int usage_error(const char* format, const char* argument) {
  fprintf(stderr, "kesk: ");
  fprintf(stderr, format, argument);
  fprintf(stderr, "\nTry 'kesk --help' for more information.\n");
  return kUsageErrorStatus;
}

// A resource number of --png: digits only, up to the largest int; -1 otherwise.
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

// "--png -p N", "--png -v ALL" and the like.
int run_png_form(const char* option, const char* number_text) {
  int type;
  if (strcmp(option, "-p") == 0) {
    type = 1;
  } else if (strcmp(option, "-v") == 0) {
    type = 2;
  } else {
    return usage_error("--png draws pictures (-p) and views (-v) only, not '%s'", option);
  }
  if (number_text == nullptr) {
    return usage_error("%s needs a resource number or ALL after it", option);
  }
  if (strcmp(number_text, "ALL") == 0) {
    draw_resource_type(type);
    return 0;
  }
  int number = read_resource_number(number_text);
  if (number < 0) {
    return usage_error("'%s' is not a resource number (digits only) or ALL", number_text);
  }
  draw_resource(type, number);
  return 0;
}

int run_png(int argc, char** argv) {
  if (argc == 2) {
    draw_everything();
    return 0;
  }
  if (argc > 4) {
    return usage_error("too many arguments after '%s'", argv[3]);
  }
  return run_png_form(argv[2], argc == 4 ? argv[3] : nullptr);
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
  if (strcmp(option, "--png") == 0) {
    return run_png(argc, argv);
  }
  bool help = strcmp(option, "--help") == 0;
  if (!help && strcmp(option, "--version") != 0) {
    return usage_error("unknown option '%s'", option);
  }
  if (argc > 2) {
    return usage_error("%s takes no arguments", option);
  }
  if (help) {
    for (const char* line : help_lines) {
      fputs(line, stdout);
    }
  } else {
    printf("kesk %s\n", KESK_VERSION);
  }
  return 0;
}
