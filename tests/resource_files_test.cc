// Unit tests for directory-entry decoding, volume names and length reading.
#include <gtest/gtest.h>

#include <string>

#include "resources/resources.h"
#include "tests/game_builder.h"

TEST(DecodeDirectoryEntry, SplitsVolumeFromTwentyBitOffset) {
  ResourceLocation location = decode_directory_entry(0x10, 0x01, 0x02);
  EXPECT_EQ(location.volume, 1u);
  EXPECT_EQ(location.offset, 258u);

  location = decode_directory_entry(0xF0, 0x00, 0x00);
  EXPECT_EQ(location.volume, 15u);
  EXPECT_EQ(location.offset, 0u);

  location = decode_directory_entry(0xFF, 0x00, 0x00);
  EXPECT_EQ(location.volume, 15u);
  EXPECT_EQ(location.offset, 0xF0000u);

  location = decode_directory_entry(0x0F, 0xFF, 0xFF);
  EXPECT_EQ(location.volume, 0u);
  EXPECT_EQ(location.offset, 0xFFFFFu);
}

TEST(VolumeFileName, HasNoLeadingZeros) {
  EXPECT_STREQ(volume_file_name(0).text, "vol.0");
  EXPECT_STREQ(volume_file_name(9).text, "vol.9");
  EXPECT_STREQ(volume_file_name(15).text, "vol.15");
}

TEST(DecodeDirectoryEntry, OnlyThreeFFBytesMarkAnAbsentEntry) {
  EXPECT_TRUE(entry_is_absent({{0xFF, 0xFF, 0xFF}}));
  for (const DirectoryEntry& entry :
       {DirectoryEntry{{0xFF, 0xFF, 0xFE}}, DirectoryEntry{{0xFF, 0x00, 0xFF}},
        DirectoryEntry{{0x7F, 0xFF, 0xFF}}, DirectoryEntry{{0x00, 0xFF, 0x36}},
        DirectoryEntry{{0x07, 0x70, 0xFF}}, DirectoryEntry{{0x00, 0x00, 0x00}}}) {
    EXPECT_FALSE(entry_is_absent(entry))
        << int(entry.bytes[0]) << " " << int(entry.bytes[1]) << " " << int(entry.bytes[2]);
  }
}

// The length read from a volume file of these bytes, opened through the platform layer.
static int length_of(const Bytes& volume, uint32_t offset) {
  std::string directory = make_scratch_directory();
  write_tree(directory, {{"vol.0", volume}});
  std::string path = directory + "/vol.0";
  PositionedInput input;
  int length = 12345;
  if (open_positioned_input(path.c_str(), &input)) {
    length = read_resource_length(input, offset);
    close_positioned_input(&input);
  }
  remove_tree(directory);
  return length;
}

TEST(ReadResourceLength, LowByteFirstAndNegativeWhenCutShort) {
  EXPECT_EQ(length_of({0, 0, 0, 0x30, 0x75}, 0), 30000);
  EXPECT_EQ(length_of({0, 0, 0, 0x31, 0x75}, 0), 30001);
  EXPECT_EQ(length_of({0, 0, 0, 0xFF, 0xFF}, 0), 65535);
  EXPECT_EQ(length_of({9, 9, 0, 0, 0, 0x02, 0x01}, 2), 258);
  // Ends right after the skipped bytes: both length bytes missing.
  EXPECT_EQ(length_of({0, 0, 0}, 0), -1);
  // Only the high byte missing: -256 plus the low byte.
  EXPECT_EQ(length_of({0, 0, 0, 0x10}, 0), -256 + 0x10);
  EXPECT_EQ(length_of({0, 0, 0, 0xFF}, 0), -1);
  EXPECT_EQ(length_of({}, 1000), -1);
}
