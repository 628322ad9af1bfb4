#include "resources/resource_output.h"

#include <cstdio>
#include <cstdlib>

void write_resource_file(const OutputDirectory& directory, const char* name, ResourceData* data) {
  WholeFileWrite result = write_whole_file(directory, name, data->bytes, data->length);
  release_resource(data);
  if (result == WholeFileWrite::kNotCreated) {
    // The output as messages name it: "%s/%s" inside a type directory.
    if (directory.name[0] != '\0') {
      printf("Error!\nCannot open %s/%s.\n", directory.name, name);
    } else {
      printf("Error!\nCannot open %s.\n", name);
    }
    exit(1);
  }
  if (result == WholeFileWrite::kNotWritten) {
    printf("Error!\nWrite error!\n");
    exit(1);
  }
}
