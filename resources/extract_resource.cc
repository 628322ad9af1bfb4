#include <cstdio>

#include "platform/platform.h"
#include "resources/resource_output.h"
#include "resources/resources.h"

void extract_resource(int type, int number) {
  ResourceData data;
  if (load_resource(type, number, "Extracting %s.%d... ", &data)) {
    char output_name[32];
    snprintf(output_name, sizeof output_name, "%s.%d", resource_types.type_names[type], number);
    write_resource_file(working_directory(), output_name, &data);
  }
  printf("Done.\n");
}
