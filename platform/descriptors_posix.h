// The POSIX part of the platform layer at the level of descriptors, under the streams of
// platform.h. The benchmark's floor opens and creates its files through these too, so that
// it makes exactly the checks kesk makes.
#ifndef KESK_PLATFORM_DESCRIPTORS_POSIX_H
#define KESK_PLATFORM_DESCRIPTORS_POSIX_H

// The descriptor of the regular file `name`, reached through links or not, opened for
// reading without waiting; -1 with errno set otherwise, ENOENT only when nothing of that
// exact name exists. Other letter cases are not looked for.
int open_regular_file(const char* name);

// A descriptor for writing a new or emptied regular file `name` in the directory open as
// `directory` (AT_FDCWD for the working directory), never written through a link, with
// the rules of create_output_file; -1 when it cannot be created.
int create_output_descriptor(int directory, const char* name);

#endif  // KESK_PLATFORM_DESCRIPTORS_POSIX_H
