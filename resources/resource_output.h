// Internal to the resource extractions: writing a resource read into memory to its file.
#ifndef KESK_RESOURCES_RESOURCE_OUTPUT_H
#define KESK_RESOURCES_RESOURCE_OUTPUT_H

#include "platform/platform.h"
#include "resources/resources.h"

// Writes the resource into a new file `name` in `directory` as one block and releases it.
// Ends the process with status 1 when the file cannot be created ("Error!\nCannot open
// %s.\n", naming it "%s/%s" inside a type directory) or the write fails ("Error!\nWrite
// error!\n").
void write_resource_file(const OutputDirectory& directory, const char* name, ResourceData* data);

#endif  // KESK_RESOURCES_RESOURCE_OUTPUT_H
