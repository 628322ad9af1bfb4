// The Windows part of the platform layer, over the C runtime. Its file names ignore letter
// case already, and making links needs rights that games never come with, so inputs and
// outputs are opened as they are named.
#include <direct.h>

#include "platform/platform.h"

int seek_file(FILE* stream, int64_t position, int origin) {
  int result = _fseeki64(stream, position, origin);
  // A successful seek ends an end-of-file condition, but not every runtime's _fseeki64
  // clears the indicator (Wine's msvcrt keeps it). The error indicator goes with it;
  // nothing reads that of an input stream.
  if (result == 0) {
    clearerr(stream);
  }
  return result;
}

int64_t tell_file(FILE* stream) {
  return _ftelli64(stream);
}

FILE* open_input_file(const char* name) {
  return fopen(name, "rb");
}

// The volume files are read through the C runtime's streams here, without a buffer: each
// read by position is one seek and one block read.
bool open_positioned_input(const char* name, PositionedInput* input) {
  input->descriptor = -1;
  input->stream = fopen(name, "rb");
  if (input->stream == nullptr) {
    return false;
  }
  setvbuf(input->stream, nullptr, _IONBF, 0);
  return true;
}

size_t read_at(const PositionedInput& input, int64_t position, void* buffer, size_t size) {
  if (seek_file(input.stream, position, SEEK_SET) != 0) {
    return 0;
  }
  return fread(buffer, 1, size, input.stream);
}

void close_positioned_input(PositionedInput* input) {
  if (input->stream != nullptr) {
    fclose(input->stream);
  }
  input->stream = nullptr;
}

OutputDirectory working_directory() {
  OutputDirectory directory = {0, ""};
  return directory;
}

OutputDirectory make_output_directory(const char* name) {
  OutputDirectory directory = {0, ""};
  _mkdir(name);
  snprintf(directory.name, sizeof directory.name, "%s", name);
  return directory;
}

void close_output_directory(OutputDirectory* directory) {
  directory->name[0] = '\0';
}

FILE* create_output_file(const OutputDirectory& directory, const char* name) {
  char path[64];
  if (directory.name[0] == '\0') {
    return fopen(name, "wb");
  }
  snprintf(path, sizeof path, "%s/%s", directory.name, name);
  return fopen(path, "wb");
}

WholeFileWrite write_whole_file(const OutputDirectory& directory, const char* name,
                                const void* data, size_t size) {
  FILE* output = create_output_file(directory, name);
  if (output == nullptr) {
    return WholeFileWrite::kNotCreated;
  }
  // Unbuffered, the block goes out in one write straight from `data`.
  setvbuf(output, nullptr, _IONBF, 0);
  bool written = size == 0 || fwrite(data, 1, size, output) == size;
  // The close is checked too, for a runtime that buffers anyway.
  bool closed = close_output_file(output) == 0;
  return written && closed ? WholeFileWrite::kWritten : WholeFileWrite::kNotWritten;
}
