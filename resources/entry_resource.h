// Internal to the resource reading: the steps that the single extraction and the bulk walk
// share once they have a present entry.
#ifndef KESK_RESOURCES_ENTRY_RESOURCE_H
#define KESK_RESOURCES_ENTRY_RESOURCE_H

#include <cstdint>

#include "platform/platform.h"
#include "resources/resources.h"

// The resource an entry locates: its volume file, open, and its declared length.
struct EntryResource {
  PositionedInput volume;
  uint32_t offset;
  int length;
};

// Decodes the entry, opens its volume file and reads the resource's length. Ends the process
// with status 1 when the volume file cannot be opened ("Error!\nCannot open %s.", no line
// end).
EntryResource open_entry_resource(const DirectoryEntry& entry);

// Reads the data of an accepted length (0 to kMaxResourceLength) into `data` and closes the
// volume file. Ends the process with status 1 when the buffer cannot be allocated
// ("Error!\nNot enough memory!\n").
void read_entry_resource(EntryResource* resource, ResourceData* data);

// Closes the volume file of a resource whose length was refused.
void close_entry_resource(EntryResource* resource);

#endif  // KESK_RESOURCES_ENTRY_RESOURCE_H
