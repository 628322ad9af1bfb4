// The floor that kesk -a is measured against: the same files written with the fewest
// system calls. Each volume file is opened once for the whole run; each resource takes one
// positioned read for its header, one for its data, and one create, write and close for its
// output file. "object.new" and "words.txt" are written too, each with one read of its input
// and one write. No messages are printed. POSIX only.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "converters/converters.h"
#include "resources/resources.h"

namespace {

constexpr int kVolumeCount = 16;

int volume_files[kVolumeCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
unsigned char resource[kMaxResourceLength];

struct Contents {
  unsigned char* data;
  size_t size;
};

// The whole file in a heap buffer (empty when it cannot be read), with one read.
Contents read_file(const char* name) {
  Contents contents = {nullptr, 0};
  int file = open(name, O_RDONLY);
  struct stat info;
  if (file >= 0 && fstat(file, &info) == 0 && info.st_size > 0) {
    contents.data = static_cast<unsigned char*>(malloc(static_cast<size_t>(info.st_size)));
    ssize_t got = read(file, contents.data, static_cast<size_t>(info.st_size));
    contents.size = got > 0 ? static_cast<size_t>(got) : 0;
  }
  if (file >= 0) {
    close(file);
  }
  return contents;
}

void write_file(const char* path, const void* data, size_t size) {
  int file = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (file < 0) {
    fprintf(stderr, "floor: cannot create %s\n", path);
    _exit(1);
  }
  if (size > 0 && write(file, data, size) != static_cast<ssize_t>(size)) {
    fprintf(stderr, "floor: cannot write %s\n", path);
    _exit(1);
  }
  close(file);
}

int volume_file(unsigned volume) {
  if (volume_files[volume] < 0) {
    char name[8];
    snprintf(name, sizeof name, "vol.%u", volume);
    volume_files[volume] = open(name, O_RDONLY);
    if (volume_files[volume] < 0) {
      fprintf(stderr, "floor: cannot open %s\n", name);
      _exit(1);
    }
  }
  return volume_files[volume];
}

void extract_entry(int type, size_t index, const unsigned char* entry) {
  unsigned volume = entry[0] >> 4;
  off_t offset = static_cast<off_t>(((entry[0] & 0x0F) << 16) | (entry[1] << 8) | entry[2]);
  int file = volume_file(volume);
  unsigned char header[5];
  if (pread(file, header, sizeof header, offset) != static_cast<ssize_t>(sizeof header)) {
    return;
  }
  int length = header[3] | (header[4] << 8);
  if (length < 1 || length > kMaxResourceLength) {
    return;
  }
  ssize_t got = pread(file, resource, static_cast<size_t>(length), offset + 5);
  size_t have = got > 0 ? static_cast<size_t>(got) : 0;
  memset(resource + have, 0, static_cast<size_t>(length) - have);
  char path[40];
  snprintf(path, sizeof path, "%s/%s.%zu", resource_types.type_names[type],
           resource_types.type_names[type], index);
  write_file(path, resource, static_cast<size_t>(length));
}

void extract_type(int type) {
  Contents directory = read_file(resource_types.directory_files[type]);
  mkdir(resource_types.type_names[type], 0755);
  for (size_t index = 0; index * 3 + 3 <= directory.size; ++index) {
    const unsigned char* entry = directory.data + index * 3;
    if (entry[0] != 0xFF && entry[1] != 0xFF && entry[2] != 0xFF) {
      extract_entry(type, index, entry);
    }
  }
  free(directory.data);
}

void convert_object() {
  Contents object = read_file("object");
  xor_object_buffer(object.data, object.size);
  write_file("object.new", object.data, object.size);
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
  write_file("words.txt", listing, length);
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
  for (int file : volume_files) {
    if (file >= 0) {
      close(file);
    }
  }
  return 0;
}
