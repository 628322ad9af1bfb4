// The stream operations that need nothing of a platform's own.
#include "platform/platform.h"

int64_t measure_file(FILE* stream) {
  if (seek_file(stream, 0, SEEK_END) != 0) {
    return -1;
  }
  int64_t size = tell_file(stream);
  if (seek_file(stream, 0, SEEK_SET) != 0) {
    return -1;
  }
  return size;
}

int close_output_file(FILE* stream) {
  // Flushed on its own first: not every runtime's fclose reports a failed final flush
  // (Wine's msvcrt does not).
  int flushed = fflush(stream);
  int closed = fclose(stream);
  return flushed != 0 || closed != 0 ? EOF : 0;
}
