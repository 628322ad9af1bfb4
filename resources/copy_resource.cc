#include "resources/copy_resource.h"

#include <cstdlib>
#include <cstring>

#include "resources/resources.h"

// The data follows three skipped bytes and the two length bytes.
constexpr int64_t kResourceHeaderSize = 5;

FILE* open_entry_volume(const DirectoryEntry& entry, uint32_t* offset) {
  ResourceLocation location =
      decode_directory_entry(entry.bytes[0], entry.bytes[1], entry.bytes[2]);
  VolumeFileName volume_name = volume_file_name(location.volume);
  FILE* volume = open_input_file(volume_name.text);
  if (volume == nullptr) {
    printf("Error!\nCannot open %s.", volume_name.text);
    exit(1);
  }
  // Only the length and the data are read, by position, from a volume opened afresh for
  // each resource: a stream buffer would cost a read-ahead per resource and a copy of
  // every byte through it.
  setvbuf(volume, nullptr, _IONBF, 0);
  *offset = location.offset;
  return volume;
}

// The output as messages name it: "%s/%s" inside a type directory.
static void print_cannot_create(const OutputDirectory& directory, const char* name) {
  if (directory.name[0] != '\0') {
    printf("Error!\nCannot open %s/%s.\n", directory.name, name);
  } else {
    printf("Error!\nCannot open %s.\n", name);
  }
}

void copy_resource(FILE* volume, uint32_t offset, int length, const OutputDirectory& directory,
                   const char* name) {
  size_t size = static_cast<size_t>(length);
  // An empty resource needs no buffer; a null result then is no failure.
  unsigned char* buffer = size > 0 ? static_cast<unsigned char*>(malloc(size)) : nullptr;
  if (size > 0 && buffer == nullptr) {
    printf("Error!\nNot enough memory!\n");
    exit(1);
  }
  FILE* output = create_output_file(directory, name);
  if (output == nullptr) {
    print_cannot_create(directory, name);
    free(buffer);
    exit(1);
  }
  // Unbuffered, the resource goes out in one write straight from its buffer.
  setvbuf(output, nullptr, _IONBF, 0);
  size_t got = size > 0 ? read_at(volume, offset + kResourceHeaderSize, buffer, size) : 0;
  // A volume file that ends early still gives the declared length, padded with zeros.
  if (got < size) {
    memset(buffer + got, 0, size - got);
  }
  bool written = size == 0 || fwrite(buffer, 1, size, output) == size;
  free(buffer);
  // The close is checked too, for a runtime that buffers anyway.
  if (close_output_file(output) != 0 || !written) {
    printf("Error!\nWrite error!\n");
    exit(1);
  }
}
