// Logics written as source text, and the item list objects.txt. "words.tok" and "object"
// are read once per run; a missing or unreadable one leaves numbers in the texts.
#include <cstdio>
#include <cstdlib>

#include "cli/outputs.h"
#include "logics/logics.h"
#include "platform/platform.h"

namespace {

// A side file held whole; `bytes` is null when the file could not be read.
struct SideFile {
  unsigned char* bytes;
  size_t length;
};

struct SideFiles {
  bool read;
  SideFile words;
  SideFile object;
  const LogicSideFiles* tables;  // null when the tables' memory could not be had
};

SideFiles side_files;
char text_block[kLogicTextBlockSize];

// Reads a whole input into heap memory. An empty file is read, with a length of 0.
SideFile read_side_file(const char* name) {
  SideFile file = {nullptr, 0};
  FILE* input = open_input_file(name);
  if (input == nullptr) {
    return file;
  }
  int64_t length = measure_file(input);
  // One byte more than the file, so that an empty file still has its (empty) bytes.
  unsigned char* bytes =
      length < 0 ? nullptr : static_cast<unsigned char*>(malloc(static_cast<size_t>(length) + 1));
  if (bytes != nullptr &&
      fread(bytes, 1, static_cast<size_t>(length), input) == static_cast<size_t>(length)) {
    file = SideFile{bytes, static_cast<size_t>(length)};
  } else {
    free(bytes);
  }
  fclose(input);
  return file;
}

LogicText* logic_text() {
  static LogicText* text = nullptr;
  if (text == nullptr) {
    text = static_cast<LogicText*>(allocate_work_area(logic_text_size()));
  }
  return text;
}

// Reads "words.tok" and "object" for the logic texts and the item list, once per run.
void read_side_files() {
  if (side_files.read) {
    return;
  }
  side_files.read = true;
  side_files.words = read_side_file("words.tok");
  side_files.object = read_side_file("object");
  void* memory = malloc(logic_side_files_size(side_files.words.length, side_files.object.length));
  if (memory != nullptr) {
    side_files.tables =
        read_logic_side_files(side_files.words.bytes, side_files.words.length,
                              side_files.object.bytes, side_files.object.length, memory);
  }
}

}  // namespace

void write_logic_text(const ResourceData& data, int number, const OutputDirectory& directory) {
  char name[40];
  snprintf(name, sizeof name, "logic.%d.txt", number);
  read_side_files();
  LogicText* text = logic_text();
  FILE* file = create_output(directory, name);
  start_logic_text(data.bytes, data.length, side_files.tables, text);
  for (size_t size = next_logic_text(text, text_block, sizeof text_block); size > 0;
       size = next_logic_text(text, text_block, sizeof text_block)) {
    write_output(file, text_block, size);
  }
  finish_output(file);
}

void write_object_listing() {
  read_side_files();
  if (side_files.object.bytes == nullptr) {
    printf("Couldn't open file: object\n");
    return;
  }
  printf("Listing object in objects.txt... ");
  FILE* file = create_output(working_directory(), "objects.txt");
  ObjectListing listing;
  start_object_listing(side_files.object.bytes, side_files.object.length, &listing);
  for (size_t size = next_object_listing(&listing, text_block, sizeof text_block); size > 0;
       size = next_object_listing(&listing, text_block, sizeof text_block)) {
    write_output(file, text_block, size);
  }
  finish_output(file);
  printf("Done.\n");
}
