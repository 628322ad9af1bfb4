#include <cstdio>

#include "cli/commands.h"
#include "converters/converters.h"
#include "resources/resources.h"

void extract_everything() {
  printf("Please wait while extracting...\n");
  for (int type = 0; type < kResourceTypeCount; ++type) {
    extract_resource_type(type);
  }
  convert_object_file();
  convert_vocabulary();
  printf("\nAll done!\n");
}
