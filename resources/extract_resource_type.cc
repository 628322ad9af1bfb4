#include <cstdio>

#include "platform/platform.h"
#include "resources/resource_output.h"
#include "resources/resources.h"

void extract_resource_type(int type) {
  const char* type_name = resource_types.type_names[type];
  ResourceWalk walk;
  start_resource_walk(type, "Extracting %s files... ", &walk);
  OutputDirectory type_directory = make_output_directory(type_name);
  int index = 0;
  ResourceData data;
  while (next_walk_resource(&walk, &index, &data)) {
    char output_name[24];
    snprintf(output_name, sizeof output_name, "%s.%d", type_name, index);
    write_resource_file(type_directory, output_name, &data);
  }
  printf("Done.\n");
  close_output_directory(&type_directory);
  finish_resource_walk(&walk);
}
