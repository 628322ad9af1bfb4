#include <dirent.h>

#include <cstring>

#include "platform/input_names.h"

namespace {

// The spellings found so far. A run asks for the same few inputs over and over (the bulk
// walk opens a volume file afresh for every entry), and looking through the directory each
// time, or even failing on the exact name first, would cost far more than the open itself.
constexpr int kRememberedNames = 32;
constexpr size_t kRememberedNameSize = 16;

struct FoundName {
  char wanted[kRememberedNameSize];
  char found[kRememberedNameSize];
};

FoundName found_names[kRememberedNames];
int found_name_count = 0;

char fold_case(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_apart_from_case(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (fold_case(*a) != fold_case(*b)) {
      return false;
    }
  }
  return *a == *b;
}

FoundName* remembered(const char* name) {
  for (int i = 0; i < found_name_count; ++i) {
    if (strcmp(found_names[i].wanted, name) == 0) {
      return &found_names[i];
    }
  }
  return nullptr;
}

void remember(const char* name, const char* found) {
  size_t length = strlen(name);
  if (length >= kRememberedNameSize) {
    return;
  }
  FoundName* slot = remembered(name);
  if (slot == nullptr) {
    if (found_name_count == kRememberedNames) {
      return;
    }
    slot = &found_names[found_name_count++];
  }
  memcpy(slot->wanted, name, length + 1);
  memcpy(slot->found, found, length + 1);
}

// Names equal apart from case have the same length, so `found` always has room.
bool look_through_directory(const char* name, char* found) {
  DIR* directory = opendir(".");
  if (directory == nullptr) {
    return false;
  }
  bool any = false;
  while (const dirent* item = readdir(directory)) {
    if (same_apart_from_case(item->d_name, name) && (!any || strcmp(item->d_name, found) < 0)) {
      strcpy(found, item->d_name);
      any = true;
    }
  }
  closedir(directory);
  return any;
}

}  // namespace

bool find_name_in_any_case(const char* name, char* found) {
  if (strlen(name) > kLongestInputName || !look_through_directory(name, found)) {
    return false;
  }
  remember(name, found);
  return true;
}

bool remembered_spelling(const char* name, char* found) {
  const FoundName* known = remembered(name);
  if (known == nullptr) {
    return false;
  }
  strcpy(found, known->found);
  return true;
}

void forget_spelling(const char* name) {
  // The last spelling takes the place of the one forgotten.
  FoundName* known = remembered(name);
  *known = found_names[--found_name_count];
}
