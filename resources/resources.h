// Resource extraction: the resource type table, directory entries, volume files,
// and the single and bulk extraction operations.
#ifndef KESK_RESOURCES_RESOURCES_H
#define KESK_RESOURCES_RESOURCES_H

#include <cstdint>
#include <cstdio>

constexpr int kResourceTypeCount = 4;

// The largest resource length that either extraction accepts.
constexpr int kMaxResourceLength = 30000;

// Rows indexed by the resource type index: 0 logic, 1 picture, 2 view, 3 sound.
// Directory file names and type names are parallel arrays of fixed-width strings.
struct ResourceTypeTable {
  char directory_files[kResourceTypeCount][8];
  char type_names[kResourceTypeCount][9];
};

extern const ResourceTypeTable resource_types;

// One three-byte record of a directory file, as stored.
struct DirectoryEntry {
  uint8_t bytes[3];
};

// Where a resource lies: a volume number (0 to 15) and a 20-bit byte offset.
struct ResourceLocation {
  unsigned volume;
  uint32_t offset;
};

// "vol.0" to "vol.15" and its terminator.
struct VolumeFileName {
  char text[8];
};

// The high four bits of b0 give the volume; the other twenty bits give the offset.
ResourceLocation decode_directory_entry(uint8_t b0, uint8_t b1, uint8_t b2);

VolumeFileName volume_file_name(unsigned volume);

// Reads the little-endian length at offset + 3 of the volume stream. The high byte's read
// result is used unmasked, so a file that ends inside the field gives a negative length.
int read_resource_length(FILE* volume, uint32_t offset);

// Copies resource `number` of the type into "%s.%d" in the working directory.
// Ends the process with status 1 on every fatal failure.
void extract_resource(int type, int number);

// Copies every present resource of the type into "%s/%s.%d", numbered by entry index.
// Ends the process with status 1 on every fatal failure.
void extract_resource_type(int type);

#endif  // KESK_RESOURCES_RESOURCES_H
