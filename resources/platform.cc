#include "resources/platform.h"

#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#include <sys/types.h>
#endif

int seek_file(FILE* stream, int64_t position, int origin) {
#ifdef _WIN32
  int result = _fseeki64(stream, position, origin);
  // A successful seek ends an end-of-file condition, but not every runtime's _fseeki64
  // clears the indicator (Wine's msvcrt keeps it). The error indicator goes with it;
  // nothing reads that of an input stream.
  if (result == 0) {
    clearerr(stream);
  }
  return result;
#else
  return fseeko(stream, static_cast<off_t>(position), origin);
#endif
}

int64_t tell_file(FILE* stream) {
#ifdef _WIN32
  return _ftelli64(stream);
#else
  return static_cast<int64_t>(ftello(stream));
#endif
}

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

void make_directory(const char* name) {
#ifdef _WIN32
  _mkdir(name);
#else
  mkdir(name, 0755);
#endif
}
