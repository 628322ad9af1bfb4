#include "resources/resource_output.h"

#include <cstdio>
#include <cstdlib>

void fail_to_create_output(const OutputDirectory& directory, const char* name) {
  if (directory.name[0] != '\0') {
    printf("Error!\nCannot open %s/%s.\n", directory.name, name);
  } else {
    printf("Error!\nCannot open %s.\n", name);
  }
  exit(1);
}

void fail_to_write_output() {
  printf("Error!\nWrite error!\n");
  exit(1);
}

void fail_to_allocate() {
  printf("Error!\nNot enough memory!\n");
  exit(1);
}

void write_resource_file(const OutputDirectory& directory, const char* name, ResourceData* data) {
  WholeFileWrite result = write_whole_file(directory, name, data->bytes, data->length);
  release_resource(data);
  if (result == WholeFileWrite::kNotCreated) {
    fail_to_create_output(directory, name);
  }
  if (result == WholeFileWrite::kNotWritten) {
    fail_to_write_output();
  }
}
