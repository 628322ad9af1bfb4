// Internal to the resource extractions: the steps that the single and the bulk
// extraction share once they have a present entry.
#ifndef KESK_RESOURCES_COPY_RESOURCE_H
#define KESK_RESOURCES_COPY_RESOURCE_H

#include <cstdint>
#include <cstdio>

#include "platform/platform.h"

struct DirectoryEntry;

// Decodes the entry and opens its volume file for unbuffered reading, storing the
// resource's offset.
// Ends the process with status 1 when the volume file cannot be opened
// ("Error!\nCannot open %s.", no line end).
FILE* open_entry_volume(const DirectoryEntry& entry, uint32_t* offset);

// Copies `length` bytes (0 to kMaxResourceLength) of the resource at `offset` in the volume
// (its data starts after the five header bytes) into a new file `name` in `directory`.
// Ends the process with status 1 when the buffer
// cannot be allocated ("Error!\nNot enough memory!\n"), the file cannot be created
// ("Error!\nCannot open %s.\n") or the write fails ("Error!\nWrite error!\n").
// Bytes the volume file does not hold are written as zeros.
void copy_resource(FILE* volume, uint32_t offset, int length, const OutputDirectory& directory,
                   const char* name);

#endif  // KESK_RESOURCES_COPY_RESOURCE_H
