#include <cstdio>

#include "platform/platform.h"
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

bool entry_is_absent(const DirectoryEntry& entry) {
  return entry.bytes[0] == 0xFF && entry.bytes[1] == 0xFF && entry.bytes[2] == 0xFF;
}

VolumeFileName volume_file_name(unsigned volume) {
  VolumeFileName name;
  snprintf(name.text, sizeof name.text, "vol.%u", volume);
  return name;
}

int read_resource_length(const PositionedInput& volume, uint32_t offset) {
  unsigned char field[2];
  size_t got = read_at(volume, static_cast<int64_t>(offset) + 3, field, sizeof field);
  // A byte beyond the end reads as -1: the low byte is kept to its 8 bits, the high byte is
  // used as read. Multiplying rather than shifting keeps a negative high byte well defined:
  // -256 + low when only the high byte is missing, -1 when both are.
  int low = got > 0 ? field[0] : 0xFF;
  int high = got > 1 ? field[1] : -1;
  return high * 256 + low;
}
