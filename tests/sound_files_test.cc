// Sounds made into MIDI and WAV files in memory, against files worked out by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <numeric>
#include <vector>

#include "sounds/sounds.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes hex(const char* text) {
  Bytes bytes;
  for (char* end = nullptr;; text = end) {
    unsigned long value = strtoul(text, &end, 16);
    if (end == text) {
      return bytes;
    }
    bytes.push_back(static_cast<uint8_t>(value));
  }
}

MidiWriter midi_writer;
WavWriter wav_writer;

// The whole file, given in blocks of `block` bytes.
template <typename Writer>
Bytes whole_file(void (*start)(const uint8_t*, size_t, Writer*),
                 size_t (*next)(Writer*, uint8_t*, size_t), Writer* writer, const Bytes& sound,
                 size_t block) {
  Bytes file;
  Bytes buffer(block);
  start(sound.data(), sound.size(), writer);
  while (size_t size = next(writer, buffer.data(), block)) {
    file.insert(file.end(), buffer.begin(), buffer.begin() + size);
  }
  return file;
}

Bytes midi_file(const Bytes& sound, size_t block = kSoundBlockSize) {
  return whole_file(start_midi_file, next_midi_bytes, &midi_writer, sound, block);
}

Bytes wav_file(const Bytes& sound, size_t block = kSoundBlockSize) {
  return whole_file(start_wav_file, next_wav_bytes, &wav_writer, sound, block);
}

int sample(const Bytes& wav, size_t i) {
  return static_cast<int16_t>(wav[44 + 2 * i] | wav[45 + 2 * i] << 8);
}

// The header and tempo track every MIDI file starts with, then the voices' `tracks`.
Bytes midi_with(const char* tracks) {
  Bytes file =
      hex("4D 54 68 64 00 00 00 06 00 01 00 05 00 1E 4D 54 72 6B 00 00 00 0B 00 FF 51 03 "
          "07 A1 20 00 FF 2F 00");
  Bytes rest = hex(tracks);
  file.insert(file.end(), rest.begin(), rest.end());
  return file;
}

// Voice 0: 10 + 5 ticks of A4, 6 of D5 quieter, a 4-tick rest; voice 3: 8 ticks of noise.
const Bytes kTune =
    hex("08 00 1E 00 20 00 22 00 0A 00 0F 8E 90 05 00 0F 8E 90 06 00 0B 8E 94 04 00 00 80 9F "
        "FF FF FF FF FF FF 08 00 00 E4 F2 FF FF");

TEST(SoundFiles, MidiOfATune) {
  EXPECT_EQ(
      midi_file(kTune),
      midi_with(
          "4D 54 72 6B 00 00 00 1B 00 C0 50 00 E0 52 40 00 90 45 7F 0F 80 45 00 00 90 4A 50 06 80 "
          "4A 00 04 FF 2F 00 4D 54 72 6B 00 00 00 0B 00 C1 50 00 E1 52 40 00 FF 2F 00 "
          "4D 54 72 6B 00 00 00 0B 00 C2 50 00 E2 52 40 00 FF 2F 00 "
          "4D 54 72 6B 00 00 00 0C 00 99 2A 65 08 89 2A 00 00 FF 2F 00"));
}

TEST(SoundFiles, WavOfATune) {
  Bytes wav = wav_file(kTune);
  ASSERT_EQ(wav.size(), 36794u);
  EXPECT_EQ(Bytes(wav.begin(), wav.begin() + 44),
            hex("52 49 46 46 B2 8F 00 00 57 41 56 45 66 6D 74 20 10 00 00 00 01 00 01 00 44 AC "
                "00 00 88 58 01 00 02 00 10 00 64 61 74 61 8E 8F 00 00"));
  // The tone's flips at steps 254 and 508, the noise output at 1 from step 416 to 447; the
  // sample holding steps 447-451 rounds down.
  struct Run {
    size_t first, last;
    int value;
  } runs[] = {{0, 49, 3023},    {50, 81, -13359}, {82, 87, -3023},  {88, 88, -11292},
              {89, 99, -13359}, {100, 100, 3023}, {18374, 18374, 0}};
  for (const Run& run : runs) {
    for (size_t i = run.first; i <= run.last; ++i) {
      EXPECT_EQ(sample(wav, i), run.value) << "sample " << i;
    }
  }
}

// The pitches of the dividers in cents: 440 Hz is 6,900, and 3,579,545 / (32 x d) Hz.
TEST(SoundFiles, PitchesOfTheDividers) {
  midi_file({});
  const int16_t* pitch = midi_writer.pitch;
  EXPECT_EQ(std::vector<int>({pitch[1], pitch[9], pitch[190], pitch[254], pitch[1024]}),
            std::vector<int>({16488, 12684, 7404, 6902, 4488}));
  EXPECT_EQ(std::accumulate(pitch + 1, pitch + 1025, 0), 6360867);
}

// Dividers 247, 220, 208 lie a quarter tone above A4, B4, C5; with dividers 262 and 165,
// 48 cents above G#4 and E5, the sound's tuning is 48 cents (bend 10,158). The first three
// alone come closest at -50 cents (bend 6,144), which makes them A#4, C5, C#5.
TEST(SoundFiles, MidiOfASoundTunedSharp) {
  EXPECT_EQ(
      midi_file(hex("08 00 19 00 24 00 24 00 01 00 0F 87 90 01 00 0D 8C 90 01 00 0D 80 90 FF FF "
                    "01 00 10 86 90 01 00 0A 85 90 FF FF")),
      midi_with(
          "4D 54 72 6B 00 00 00 23 00 C0 50 00 E0 2E 4F 00 90 45 7F 01 80 45 00 00 90 47 7F 01 80 "
          "47 00 00 90 48 7F 01 80 48 00 00 FF 2F 00 "
          "4D 54 72 6B 00 00 00 1B 00 C1 50 00 E1 2E 4F 00 91 44 7F 01 81 44 00 00 91 4C 7F 01 81 "
          "4C 00 00 FF 2F 00 4D 54 72 6B 00 00 00 0B 00 C2 50 00 E2 2E 4F 00 FF 2F 00 "
          "4D 54 72 6B 00 00 00 04 00 FF 2F 00"));

  Bytes flat =
      midi_file(hex("08 00 FF FF 24 00 24 00 01 00 0F 87 90 01 00 0D 8C 90 01 00 0D 80 90"));
  EXPECT_EQ(Bytes(flat.begin() + 41, flat.begin() + 62),
            hex("00 C0 50 00 E0 00 30 00 90 46 7F 01 80 46 00 00 90 48 7F 01 80"));

  // 5 cents below A4 and 5 above A3: every tuning from -5 to 5 fits as well; 0 wins.
  Bytes tie = midi_file(hex("08 00 FF FF FF FF FF FF 01 00 0F 8F 90 01 00 1F 8B 90"));
  EXPECT_EQ(Bytes(tie.begin() + 41, tie.begin() + 60),
            hex("00 C0 50 00 E0 00 40 00 90 45 7F 01 80 45 00 00 90 39 7F"));
}

// Voice 0 is cut mid-note, voice 1 points past the end, voice 2 at the end, and the noise
// voice reads voice 0's bytes (control 6: white noise at the lowest rate).
TEST(SoundFiles, DamagedSoundsGiveWholeFiles) {
  Bytes cut = hex("08 00 00 10 10 00 08 00 03 00 0F 8E 90 05 00 0F");
  EXPECT_EQ(
      midi_file(cut),
      midi_with("4D 54 72 6B 00 00 00 13 00 C0 50 00 E0 52 40 00 90 45 7F 03 80 45 00 00 FF 2F 00 "
                "4D 54 72 6B 00 00 00 0B 00 C1 50 00 E1 52 40 00 FF 2F 00 "
                "4D 54 72 6B 00 00 00 0B 00 C2 50 00 E2 52 40 00 FF 2F 00 "
                "4D 54 72 6B 00 00 00 0C 00 99 24 7F 03 89 24 00 00 FF 2F 00"));
  EXPECT_EQ(wav_file(cut).size(), 44u + 3 * 1470);

  // Five bytes: voice 1 reads the table as a 2-tick note of divider 1024 (-12 cents).
  Bytes five = midi_file(hex("02 00 00 00 00"));
  EXPECT_EQ(Bytes(five.begin() + 60, five.begin() + 82),
            hex("00 C1 50 00 E1 14 3C 00 91 2D 7F 02 81 2D 00 00 FF 2F 00 4D 54 72"));
  EXPECT_EQ(wav_file(hex("02 00 00 00 00")).size(), 44u + 2 * 1470);
  EXPECT_EQ(wav_file({}).size(), 44u);

  // A note of no duration is skipped; a rest of 65534 ticks leaves one tick for the next
  // note, which is cut there; the note after it is never played.
  Bytes endless = hex(
      "08 00 1C 00 1C 00 1C 00 00 00 0F 8E 90 FE FF 00 80 9F 05 00 0F 8E 90 05 00 0F 8E 90 FF FF");
  EXPECT_EQ(midi_file(endless),
            midi_with("4D 54 72 6B 00 00 00 15 00 C0 50 00 E0 52 40 83 FF 7E 90 45 7F 01 80 45 00 "
                      "00 FF 2F 00 "
                      "4D 54 72 6B 00 00 00 0B 00 C1 50 00 E1 52 40 00 FF 2F 00 "
                      "4D 54 72 6B 00 00 00 0B 00 C2 50 00 E2 52 40 00 FF 2F 00 "
                      "4D 54 72 6B 00 00 00 04 00 FF 2F 00"));
  Bytes header(kSoundBlockSize);
  start_wav_file(endless.data(), endless.size(), &wav_writer);
  ASSERT_GE(next_wav_bytes(&wav_writer, header.data(), header.size()), 44u);
  const uint32_t data_size = 2u * 735 * 65535;
  EXPECT_EQ(
      header[40] | header[41] << 8 | header[42] << 16 | static_cast<uint32_t>(header[43]) << 24,
      data_size);
}

// Files larger than a block come out the same whatever the block size.
TEST(SoundFiles, BlocksJoinSeamlessly) {
  Bytes trill = {8, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  for (int note = 0; note < 13000; ++note) {
    uint8_t high = note % 2 == 0 ? 0x0F : 0x0B;
    trill.insert(trill.end(), {static_cast<uint8_t>(1 + note % 3), 0, high, 0x8E, 0x90});
  }
  EXPECT_EQ(midi_file(trill), midi_file(trill, 1 << 20));
  Bytes start(trill.begin(), trill.begin() + 8 + 5 * 300);
  EXPECT_EQ(wav_file(start), wav_file(start, 1 << 20));
}

}  // namespace
