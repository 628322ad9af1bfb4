#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "resources/entry_resource.h"
#include "resources/resources.h"

namespace {

// Reads the entry of resource `number` with single-byte reads. A read that meets the end
// of the file stores 0xFF, so an entry beyond the end reads as 0xFF 0xFF 0xFF.
DirectoryEntry read_entry_by_number(FILE* directory, int number) {
  DirectoryEntry entry = {{0xFF, 0xFF, 0xFF}};
  // 3 x number in 64 bits never overflows; a position the stream cannot reach is
  // beyond its end.
  if (seek_file(directory, static_cast<int64_t>(number) * 3, SEEK_SET) != 0) {
    return entry;
  }
  for (uint8_t& byte : entry.bytes) {
    byte = static_cast<uint8_t>(fgetc(directory));
  }
  return entry;
}

}  // namespace

void release_resource(ResourceData* data) {
  free(data->bytes);
  *data = ResourceData{nullptr, 0};
}

bool load_resource(int type, int number, const char* progress, ResourceData* data) {
  const char* directory_name = resource_types.directory_files[type];
  const char* type_name = resource_types.type_names[type];
  *data = ResourceData{nullptr, 0};

  FILE* directory = open_input_file(directory_name);
  if (directory == nullptr) {
    printf("Cannot open %s\n", directory_name);
    exit(1);
  }
  printf(progress, type_name, number);
  DirectoryEntry entry = read_entry_by_number(directory, number);
  fclose(directory);
  if (entry_is_absent(entry)) {
    printf("Error!\nFile doesn't exist.\n");
    exit(1);
  }

  EntryResource resource = open_entry_resource(entry);
  // The field holds no more than kMaxResourceLength, so only a volume file that ends inside
  // it, which gives a negative length, is refused; a length of 0 is accepted.
  if (resource.length < 0) {
    printf("Error!\n %s.%d - file too big!\n", type_name, number);
    close_entry_resource(&resource);
    return false;
  }
  read_entry_resource(&resource, data);
  return true;
}
