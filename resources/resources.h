// Resource extraction: the resource type table, directory entries, volume files, the
// reading of resources into memory, and the single and bulk extraction operations.
#ifndef KESK_RESOURCES_RESOURCES_H
#define KESK_RESOURCES_RESOURCES_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/platform.h"

constexpr int kResourceTypeCount = 4;

// The largest length the two-byte length field holds; every length from 0 (the single
// extraction) or 1 (the bulk walk) up to it is accepted.
constexpr int kMaxResourceLength = 65535;

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

// Three 0xFF bytes mark an absent resource; an entry with only one or two of them is a
// location like any other.
bool entry_is_absent(const DirectoryEntry& entry);

VolumeFileName volume_file_name(unsigned volume);

// Reads the little-endian length at offset + 3 of the volume file. A byte beyond the end of
// the file reads as -1 and the high byte is used unmasked, so a file that ends inside the
// field gives a negative length: -1 with both bytes missing, -256 plus the low byte with only
// the high one.
int read_resource_length(const PositionedInput& volume, uint32_t offset);

// A resource read into memory: exactly its declared length, with the bytes a short volume
// file does not hold as zeros. `bytes` is heap memory (null for length 0).
struct ResourceData {
  unsigned char* bytes;
  size_t length;
};

// Frees the bytes and leaves an empty resource.
void release_resource(ResourceData* data);

// Reads resource `number` of the type into memory: the steps of a single extraction up to
// the data. Opens the type's directory file, prints `progress` formatted with the type name
// and the number, reads the entry, opens the volume file and reads the length and the data.
// Ends the process with status 1 when the directory file cannot be opened ("Cannot open
// %s\n", before the progress), the entry is absent or lies beyond the end ("Error!\nFile
// doesn't exist.\n"), the volume file cannot be opened ("Error!\nCannot open %s.", no line
// end) or the buffer cannot be allocated ("Error!\nNot enough memory!\n"). A negative length,
// from a volume file that ends inside the length field, is refused with "Error!\n %s.%d -
// file too big!\n" and gives false, with `data` left empty.
bool load_resource(int type, int number, const char* progress, ResourceData* data);

// A walk over every present entry of a type's directory file, as the bulk extraction makes.
struct ResourceWalk {
  FILE* directory;     // the directory file, read entry after entry
  int64_t size;        // its size when the walk started
  int64_t next_index;  // the entry read next
  int type;
};

// Opens the type's directory file (else "Cannot open %s." with no line end, and exit status
// 1) and prints `progress` formatted with the type name.
void start_resource_walk(int type, const char* progress, ResourceWalk* walk);

// Reads the next present entry's resource into memory and stores its entry index: entries
// of three 0xFF bytes, and a trailing partial entry, are passed over; a length below 1 is
// reported ("\nError! %s.%d - extreme filesize (%d bytes)!\n") and its entry passed over.
// False, with `data` left empty, when the entries have run out. A volume file that cannot be
// opened ("Error!\nCannot open %s.") and a buffer that cannot be allocated ("Error!\nNot
// enough memory!\n") end the process with status 1. Each resource given is the caller's to
// release.
bool next_walk_resource(ResourceWalk* walk, int* index, ResourceData* data);

// Closes the directory file.
void finish_resource_walk(ResourceWalk* walk);

// Report an output file that cannot be created ("Error!\nCannot open %s.\n", naming it
// "%s/%s" inside a type directory) or written ("Error!\nWrite error!\n"), and end the
// process with status 1: the endings of every output made from resources.
[[noreturn]] void fail_to_create_output(const OutputDirectory& directory, const char* name);
[[noreturn]] void fail_to_write_output();

// Report memory that cannot be had for a resource or for the work of turning it into its
// outputs ("Error!\nNot enough memory!\n"), and end the process with status 1.
[[noreturn]] void fail_to_allocate();

// Copies resource `number` of the type into "%s.%d" in the working directory.
// Ends the process with status 1 on every fatal failure.
void extract_resource(int type, int number);

// Copies every present resource of the type into "%s/%s.%d", numbered by entry index.
// Ends the process with status 1 on every fatal failure.
void extract_resource_type(int type);

#endif  // KESK_RESOURCES_RESOURCES_H
