// The POSIX part of the platform layer. Every check is made on the descriptor that was
// opened, never on a path looked at before: a name can change between a look and an open.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "platform/descriptors_posix.h"
#include "platform/input_names.h"
#include "platform/platform.h"

namespace {

// Inputs follow links. O_NONBLOCK keeps the open of a FIFO from waiting for a writer (a
// regular file reads the same with it); O_NOCTTY keeps a terminal from becoming the
// process's own.
constexpr int kInputFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// O_EXCL with O_CREAT makes a new file or fails, and never follows a link at the name.
constexpr int kNewFileFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
constexpr int kExistingFileFlags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// A directory opened only to create files in needs no read permission where O_PATH exists.
#ifdef O_PATH
constexpr int kDirectoryAccess = O_PATH;
#else
constexpr int kDirectoryAccess = O_RDONLY;
#endif
constexpr int kDirectoryFlags = kDirectoryAccess | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The descriptor of the input `name`: the file of that exact name, or when there is none,
// the first of the same name in another letter case. A spelling found earlier in the run is
// opened at once, without a failed open of the exact name first, so that a game in upper case
// costs no more than one in lower case. When that spelling has gone, the exact name is tried
// again and the directory looked through afresh. The price of the shortcut: a file of the
// exact name made during the run, beside a spelling found before it, is not seen.
int open_input_descriptor(const char* name) {
  char found[kLongestInputName + 1];
  if (remembered_spelling(name, found)) {
    int descriptor = open_regular_file(found);
    if (descriptor >= 0 || errno != ENOENT) {
      return descriptor;
    }
    forget_spelling(name);
  }
  int descriptor = open_regular_file(name);
  if (descriptor >= 0 || errno != ENOENT) {
    return descriptor;
  }
  return find_name_in_any_case(name, found) ? open_regular_file(found) : -1;
}

// Opens the existing regular file `name` for rewriting and empties it, or gives -1 when
// what was opened is anything else or has other links.
int rewrite_existing_file(int directory, const char* name) {
  int descriptor = openat(directory, name, kExistingFileFlags);
  if (descriptor < 0) {
    return -1;
  }
  struct stat info;
  if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1 ||
      ftruncate(descriptor, 0) != 0) {
    close(descriptor);
    return -1;
  }
  return descriptor;
}

FILE* stream_over(int descriptor, const char* mode) {
  if (descriptor < 0) {
    return nullptr;
  }
  FILE* stream = fdopen(descriptor, mode);
  if (stream == nullptr) {
    close(descriptor);
  }
  return stream;
}

}  // namespace

int open_regular_file(const char* name) {
  int descriptor = open(name, kInputFlags);
  if (descriptor < 0) {
    return -1;
  }
  struct stat info;
  if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(descriptor);
    errno = EINVAL;
    return -1;
  }
  return descriptor;
}

int create_output_descriptor(int directory, const char* name) {
  int descriptor = openat(directory, name, kNewFileFlags, 0666);
  if (descriptor >= 0 || errno != EEXIST) {
    return descriptor;
  }
  struct stat info;
  if (fstatat(directory, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
    return -1;
  }
  // A link is replaced by a new file, so that its target is never written.
  if (S_ISLNK(info.st_mode) || (S_ISREG(info.st_mode) && info.st_nlink > 1)) {
    if (unlinkat(directory, name, 0) != 0) {
      return -1;
    }
    return openat(directory, name, kNewFileFlags, 0666);
  }
  // A directory, FIFO, socket or device is never opened, so never waited on.
  if (!S_ISREG(info.st_mode)) {
    return -1;
  }
  return rewrite_existing_file(directory, name);
}

int seek_file(FILE* stream, int64_t position, int origin) {
  return fseeko(stream, static_cast<off_t>(position), origin);
}

int64_t tell_file(FILE* stream) {
  return static_cast<int64_t>(ftello(stream));
}

FILE* open_input_file(const char* name) {
  return stream_over(open_input_descriptor(name), "rb");
}

// A volume file is read only by position, so it needs no stream: a stream over the
// descriptor would cost two more system calls per open to learn the descriptor's flags.
bool open_positioned_input(const char* name, PositionedInput* input) {
  input->stream = nullptr;
  input->descriptor = open_input_descriptor(name);
  return input->descriptor >= 0;
}

size_t read_at(const PositionedInput& input, int64_t position, void* buffer, size_t size) {
  unsigned char* bytes = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    ssize_t got = pread(input.descriptor, bytes + done, size - done,
                        static_cast<off_t>(position + static_cast<int64_t>(done)));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      break;
    }
    done += static_cast<size_t>(got);
  }
  return done;
}

void close_positioned_input(PositionedInput* input) {
  if (input->descriptor >= 0) {
    close(input->descriptor);
  }
  input->descriptor = -1;
}

OutputDirectory working_directory() {
  OutputDirectory directory = {AT_FDCWD, ""};
  return directory;
}

OutputDirectory make_output_directory(const char* name) {
  OutputDirectory directory = {-1, ""};
  snprintf(directory.name, sizeof directory.name, "%s", name);
  mkdir(name, 0755);
  // O_DIRECTORY with O_NOFOLLOW opens a directory itself or nothing.
  directory.descriptor = open(name, kDirectoryFlags);
  return directory;
}

void close_output_directory(OutputDirectory* directory) {
  if (directory->descriptor >= 0) {
    close(directory->descriptor);
  }
  directory->descriptor = -1;
}

FILE* create_output_file(const OutputDirectory& directory, const char* name) {
  return stream_over(create_output_descriptor(directory.descriptor, name), "wb");
}

WholeFileWrite write_whole_file(const OutputDirectory& directory, const char* name,
                                const void* data, size_t size) {
  int descriptor = create_output_descriptor(directory.descriptor, name);
  if (descriptor < 0) {
    return WholeFileWrite::kNotCreated;
  }
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  size_t done = 0;
  // One write normally takes the whole block; one that takes less is followed by another
  // for the rest, which reports why the first fell short (a full disk, a size limit).
  while (done < size) {
    ssize_t put = write(descriptor, bytes + done, size - done);
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put <= 0) {
      break;
    }
    done += static_cast<size_t>(put);
  }
  bool closed = close(descriptor) == 0;
  return done == size && closed ? WholeFileWrite::kWritten : WholeFileWrite::kNotWritten;
}
