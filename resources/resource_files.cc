#include <cstdio>

#include "resources/platform.h"
#include "resources/resources.h"

const ResourceTypeTable resource_types = {
    {"logdir", "picdir", "viewdir", "snddir"},
    {"logic", "picture", "view", "sound"},
};

ResourceLocation decode_directory_entry(uint8_t b0, uint8_t b1, uint8_t b2) {
  ResourceLocation location;
  location.volume = b0 >> 4;
  location.offset =
      (static_cast<uint32_t>(b0 & 0x0F) << 16) | (static_cast<uint32_t>(b1) << 8) | b2;
  return location;
}

VolumeFileName volume_file_name(unsigned volume) {
  VolumeFileName name;
  snprintf(name.text, sizeof name.text, "vol.%u", volume);
  return name;
}

int read_resource_length(FILE* volume, uint32_t offset) {
  if (seek_file(volume, static_cast<int64_t>(offset) + 3, SEEK_SET) != 0) {
    return -1;
  }
  int low = fgetc(volume) & 0xFF;
  int high = fgetc(volume);
  // Multiplying rather than shifting keeps a negative high byte well defined:
  // -256 + low when only the high byte is missing, -1 when both are.
  return high * 256 + low;
}
