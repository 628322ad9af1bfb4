// The platform layer: how input files are found and opened and read by position, how output
// files and directories are created and files written whole, and 64-bit file positions. Both
// subsystems reach files only through it; its POSIX and Windows parts live in files of their
// own.
#ifndef KESK_PLATFORM_PLATFORM_H
#define KESK_PLATFORM_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

// --- Inputs ------------------------------------------------------------------------------

// Opens a file of the working directory for binary reading. Only a regular file is an
// input, reached through symbolic links or not: a directory, FIFO, socket or device in its
// place cannot be opened, and opening one never waits. Where file names are case-sensitive,
// a name with no file of that exact name is looked for in any ASCII letter case; of several
// such names the first in byte order is opened ("LOGDIR" before "LogDir").
// Null when the file cannot be opened.
FILE* open_input_file(const char* name);

// An input read only by position, such as a volume file, held without a stream's buffer.
// The POSIX part reads it through `descriptor` (-1 when closed), the Windows part through
// `stream` (null when closed); each leaves the other field unused.
struct PositionedInput {
  int descriptor;
  FILE* stream;
};

// Opens an input by the rules of open_input_file for reads by position only. False when it
// cannot be opened.
bool open_positioned_input(const char* name, PositionedInput* input);

// Reads up to `size` bytes at `position` from the start of the file and returns how many
// were delivered: fewer only at the end of the file or on a read error, exactly as a block
// read after a seek would give.
size_t read_at(const PositionedInput& input, int64_t position, void* buffer, size_t size);

void close_positioned_input(PositionedInput* input);

// fseek with a 64-bit position; returns 0 on success.
int seek_file(FILE* stream, int64_t position, int origin);

// ftell with a 64-bit position; -1 on failure.
int64_t tell_file(FILE* stream);

// The stream's size, found by seeking to its end and back to its start; -1 on failure.
int64_t measure_file(FILE* stream);

// --- Outputs -----------------------------------------------------------------------------

// A directory that output files are created in. `descriptor` is what the POSIX part
// creates files through (-1 when the directory could not be opened); `name` is the
// directory's name, empty for the working directory, through which the Windows part does,
// and by which messages name the files in it.
struct OutputDirectory {
  int descriptor;
  char name[16];
};

// The working directory, for outputs named without a directory.
OutputDirectory working_directory();

// Creates the directory `name` in the working directory (mode 0755 where the platform takes
// modes) and opens it for creating files in. The outcome is not reported: a directory that
// could not be made or opened, or a symbolic link in its place, which is never followed,
// shows up when a file in it cannot be created.
OutputDirectory make_output_directory(const char* name);

void close_output_directory(OutputDirectory* directory);

// Creates `name` in `directory`, or truncates it, for binary writing. Never writes through a
// link: a symbolic link, or a regular file with other hard links, is removed and a new
// regular file made in its place, leaving the link's target untouched. Anything else but a
// regular file (a directory, FIFO, socket or device) cannot be created, and is never waited
// on. Null when the file cannot be created.
FILE* create_output_file(const OutputDirectory& directory, const char* name);

// How write_whole_file ended.
enum class WholeFileWrite { kWritten, kNotCreated, kNotWritten };

// Creates `name` in `directory` by the rules of create_output_file, writes the `size` bytes
// at `data` into it as one block and closes it. kNotCreated when the file cannot be created,
// kNotWritten when any of the bytes or the close failed; the file is then left as far as it
// got.
WholeFileWrite write_whole_file(const OutputDirectory& directory, const char* name,
                                const void* data, size_t size);

// Closes a stream written to; nonzero when its last buffered bytes could not be written or
// the close failed.
int close_output_file(FILE* stream);

#endif  // KESK_PLATFORM_PLATFORM_H
