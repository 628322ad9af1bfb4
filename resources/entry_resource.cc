#include "resources/entry_resource.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// The data follows three skipped bytes and the two length bytes.
constexpr int64_t kResourceHeaderSize = 5;

EntryResource open_entry_resource(const DirectoryEntry& entry) {
  ResourceLocation location =
      decode_directory_entry(entry.bytes[0], entry.bytes[1], entry.bytes[2]);
  VolumeFileName volume_name = volume_file_name(location.volume);
  EntryResource resource;
  // A volume file is opened afresh for each resource and read only by position.
  if (!open_positioned_input(volume_name.text, &resource.volume)) {
    printf("Error!\nCannot open %s.", volume_name.text);
    exit(1);
  }
  resource.offset = location.offset;
  resource.length = read_resource_length(resource.volume, location.offset);
  return resource;
}

void read_entry_resource(EntryResource* resource, ResourceData* data) {
  size_t size = static_cast<size_t>(resource->length);
  // An empty resource needs no buffer; a null result then is no failure.
  unsigned char* bytes = size > 0 ? static_cast<unsigned char*>(malloc(size)) : nullptr;
  if (size > 0 && bytes == nullptr) {
    fail_to_allocate();
  }
  size_t got =
      size > 0 ? read_at(resource->volume, resource->offset + kResourceHeaderSize, bytes, size) : 0;
  // A volume file that ends early still gives the declared length, padded with zeros.
  if (got < size) {
    memset(bytes + got, 0, size - got);
  }
  close_positioned_input(&resource->volume);
  data->bytes = bytes;
  data->length = size;
}

void close_entry_resource(EntryResource* resource) {
  close_positioned_input(&resource->volume);
}
