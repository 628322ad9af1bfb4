#include <climits>
#include <cstdlib>

#include "platform/platform.h"
#include "resources/copy_resource.h"
#include "resources/resources.h"

// Reads the next entry as one block. Bytes that a short read does not deliver stay 0xFF,
// so a trailing partial entry is always skipped. Returns false when the read delivers
// nothing at all, which ends the walk even if the measured size promised more.
static bool read_next_entry(FILE* directory, DirectoryEntry* entry) {
  entry->bytes[0] = entry->bytes[1] = entry->bytes[2] = 0xFF;
  return fread(entry->bytes, 1, sizeof entry->bytes, directory) > 0;
}

static bool entry_has_absent_byte(const DirectoryEntry& entry) {
  return entry.bytes[0] == 0xFF || entry.bytes[1] == 0xFF || entry.bytes[2] == 0xFF;
}

static void extract_entry(int type, int index, const DirectoryEntry& entry,
                          const OutputDirectory& type_directory) {
  const char* type_name = resource_types.type_names[type];
  uint32_t offset = 0;
  FILE* volume = open_entry_volume(entry, &offset);
  int length = read_resource_length(volume, offset);
  if (length < 1 || length > kMaxResourceLength) {
    printf("\nError! %s.%d - extreme filesize (%d bytes)!\n", type_name, index, length);
  } else {
    char output_name[24];
    snprintf(output_name, sizeof output_name, "%s.%d", type_name, index);
    copy_resource(volume, offset, length, type_directory, output_name);
  }
  fclose(volume);
}

void extract_resource_type(int type) {
  const char* directory_name = resource_types.directory_files[type];
  const char* type_name = resource_types.type_names[type];

  FILE* directory = open_input_file(directory_name);
  if (directory == nullptr) {
    printf("Cannot open %s.", directory_name);
    exit(1);
  }
  printf("Extracting %s files... ", type_name);
  OutputDirectory type_directory = make_output_directory(type_name);
  int64_t size = measure_file(directory);
  DirectoryEntry entry;
  // Entry numbers are printed with %d, so the walk stops at the largest int.
  for (int64_t index = 0; index * 3 < size && index <= INT_MAX; ++index) {
    if (!read_next_entry(directory, &entry)) {
      break;
    }
    if (!entry_has_absent_byte(entry)) {
      extract_entry(type, static_cast<int>(index), entry, type_directory);
    }
  }
  printf("Done.\n");
  close_output_directory(&type_directory);
  fclose(directory);
}
