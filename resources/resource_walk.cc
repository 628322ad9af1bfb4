#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "resources/entry_resource.h"
#include "resources/resources.h"

void start_resource_walk(int type, const char* progress, ResourceWalk* walk) {
  const char* directory_name = resource_types.directory_files[type];
  walk->directory = open_input_file(directory_name);
  if (walk->directory == nullptr) {
    printf("Cannot open %s.", directory_name);
    exit(1);
  }
  printf(progress, resource_types.type_names[type]);
  walk->size = measure_file(walk->directory);
  walk->next_index = 0;
  walk->type = type;
}

bool next_walk_resource(ResourceWalk* walk, int* index, ResourceData* data) {
  const char* type_name = resource_types.type_names[walk->type];
  *data = ResourceData{nullptr, 0};
  // Entry numbers are printed with %d, so the walk stops at the largest int.
  while (walk->next_index * 3 < walk->size && walk->next_index <= INT_MAX) {
    int entry_index = static_cast<int>(walk->next_index++);
    DirectoryEntry entry;
    // A short read is a trailing partial entry, which is passed over, or a file that has
    // shrunk since it was measured: either way there are no entries after it.
    if (fread(entry.bytes, 1, sizeof entry.bytes, walk->directory) < sizeof entry.bytes) {
      break;
    }
    if (entry_is_absent(entry)) {
      continue;
    }
    // Every length the field holds, up to kMaxResourceLength, is taken but 0; a negative one
    // comes from a volume file that ends inside the field.
    EntryResource resource = open_entry_resource(entry);
    if (resource.length < 1) {
      printf("\nError! %s.%d - extreme filesize (%d bytes)!\n", type_name, entry_index,
             resource.length);
      close_entry_resource(&resource);
      continue;
    }
    read_entry_resource(&resource, data);
    *index = entry_index;
    return true;
  }
  return false;
}

void finish_resource_walk(ResourceWalk* walk) {
  fclose(walk->directory);
  walk->directory = nullptr;
}
