// The few calls that differ between platforms: 64-bit file positions and
// directory creation.
#ifndef KESK_RESOURCES_PLATFORM_H
#define KESK_RESOURCES_PLATFORM_H

#include <cstdint>
#include <cstdio>

// fseek with a 64-bit position; returns 0 on success.
int seek_file(FILE* stream, int64_t position, int origin);

// ftell with a 64-bit position; -1 on failure.
int64_t tell_file(FILE* stream);

// The stream's size, found by seeking to its end and back to its start; -1 on failure.
int64_t measure_file(FILE* stream);

// Closes a stream written to; nonzero when its last buffered bytes could not be written or
// the close failed.
int close_output_file(FILE* stream);

// Creates a directory (mode 0755 where the platform takes modes). The outcome is not
// reported: a directory that could not be made shows up when a file in it cannot be created.
void make_directory(const char* name);

#endif  // KESK_RESOURCES_PLATFORM_H
