// The floor that kesk -a is measured against: the same files, made with every check that
// kesk must make and no system call beyond them.
//
// Inputs are opened and outputs created through the same descriptor-level calls of the
// platform layer that kesk's streams stand on, so both make the same checks: inputs must be
// regular files and are opened without waiting, outputs are made without following a link,
// in a type directory made and opened once without following a link. Each present entry
// opens its volume file afresh, as kesk must, and takes one positioned read for the five
// header bytes and one for the data; each output is written once and closed. An entry is
// absent only when its three bytes are 0xFF, and every length from 1 up is taken.
// "object.new" and "words.txt" are written the same way from one read of their inputs.
//
// Only exact input names are opened: the floor is run on lower-case games, and the cost
// of finding names in another case is measured kesk against kesk. No messages are
// printed. POSIX only.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "converters/converters.h"
#include "platform/descriptors_posix.h"
#include "platform/platform.h"
#include "resources/resources.h"

namespace {

constexpr int kResourceHeaderSize = 5;

unsigned char resource[kMaxResourceLength];

[[noreturn]] void fail(const char* what, const char* name) {
  fprintf(stderr, "floor: cannot %s %s\n", what, name);
  _exit(1);
}

// The descriptor of the regular file `name`, opened as kesk opens its inputs.
int open_input(const char* name) {
  int file = open_regular_file(name);
  if (file < 0) {
    fail("open a regular file at", name);
  }
  return file;
}

// Creates the output as kesk does: never through a link, never waiting.
void write_file(int directory, const char* name, const void* data, size_t size) {
  int file = create_output_descriptor(directory, name);
  if (file < 0) {
    fail("create", name);
  }
  if (size > 0 && write(file, data, size) != static_cast<ssize_t>(size)) {
    fail("write", name);
  }
  close(file);
}

int open_type_directory(const char* name) {
  OutputDirectory directory = make_output_directory(name);
  if (directory.descriptor < 0) {
    fail("open the directory", name);
  }
  return directory.descriptor;
}

struct Contents {
  unsigned char* data;
  size_t size;
};

// The whole input in a heap buffer, with one read.
Contents read_file(const char* name) {
  int file = open_input(name);
  struct stat info;
  Contents contents = {nullptr, 0};
  if (fstat(file, &info) == 0 && info.st_size > 0) {
    contents.data = static_cast<unsigned char*>(malloc(static_cast<size_t>(info.st_size)));
    ssize_t got = read(file, contents.data, static_cast<size_t>(info.st_size));
    contents.size = got > 0 ? static_cast<size_t>(got) : 0;
  }
  close(file);
  return contents;
}

void extract_entry(int type, size_t index, const unsigned char* entry, int directory) {
  char volume_name[8];
  snprintf(volume_name, sizeof volume_name, "vol.%u", static_cast<unsigned>(entry[0] >> 4));
  off_t offset = static_cast<off_t>(((entry[0] & 0x0F) << 16) | (entry[1] << 8) | entry[2]);
  int volume = open_input(volume_name);
  unsigned char header[kResourceHeaderSize];
  int length = 0;
  if (pread(volume, header, sizeof header, offset) == static_cast<ssize_t>(sizeof header)) {
    length = header[3] | (header[4] << 8);
  }
  if (length >= 1) {
    ssize_t got = pread(volume, resource, static_cast<size_t>(length), offset + 5);
    size_t have = got > 0 ? static_cast<size_t>(got) : 0;
    memset(resource + have, 0, static_cast<size_t>(length) - have);
    char name[24];
    snprintf(name, sizeof name, "%s.%zu", resource_types.type_names[type], index);
    write_file(directory, name, resource, static_cast<size_t>(length));
  }
  close(volume);
}

void extract_type(int type) {
  Contents entries = read_file(resource_types.directory_files[type]);
  int directory = open_type_directory(resource_types.type_names[type]);
  for (size_t index = 0; index * 3 + 3 <= entries.size; ++index) {
    const unsigned char* entry = entries.data + index * 3;
    DirectoryEntry present = {{entry[0], entry[1], entry[2]}};
    if (!entry_is_absent(present)) {
      extract_entry(type, index, entry, directory);
    }
  }
  close(directory);
  free(entries.data);
}

void convert_object() {
  Contents object = read_file("object");
  xor_object_buffer(object.data, object.size);
  write_file(AT_FDCWD, "object.new", object.data, object.size);
  free(object.data);
}

// The listing of a well-formed vocabulary, decoded from memory. A record takes at least
// four bytes and gives a line of at most 58 characters, which bounds the listing.
void convert_words() {
  Contents tok = read_file("words.tok");
  const unsigned char* data = tok.data;
  size_t size = tok.size;
  char* listing = static_cast<char*>(malloc(26 * 6 + (size / 4 + 1) * 64));
  size_t length = 0;
  char word[52] = {};
  for (int letter = 0; letter < 26 && size >= 52; ++letter) {
    length += static_cast<size_t>(sprintf(listing + length, "*** %c\n", 'A' + letter));
    size_t position = static_cast<size_t>(data[letter * 2] << 8 | data[letter * 2 + 1]);
    if (position == 0 || position >= size) {
      continue;
    }
    int prefix = data[position++];
    while (true) {
      int byte = 0;
      do {
        byte = position < size ? data[position++] : 0xFF;
        if (prefix < 51) {
          word[prefix] = static_cast<char>((byte ^ 0x7F) & 0x7F);
        }
        ++prefix;
      } while ((byte & 0x80) == 0);
      word[prefix < 51 ? prefix : 51] = '\0';
      int group = position + 1 < size ? data[position] << 8 | data[position + 1] : 0;
      position += 2;
      length += static_cast<size_t>(sprintf(listing + length, "%03d %s\n", group, word));
      if (position >= size || data[position] == 0) {
        break;
      }
      prefix = data[position++];
    }
  }
  write_file(AT_FDCWD, "words.txt", listing, length);
  free(listing);
  free(tok.data);
}

}  // namespace

int main() {
  for (int type = 0; type < kResourceTypeCount; ++type) {
    extract_type(type);
  }
  convert_object();
  convert_words();
  return 0;
}
