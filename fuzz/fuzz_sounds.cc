// Fuzz target: any bytes made into a MIDI file and a WAV file. The MIDI file must be five
// whole track chunks after its header, each event whole, every Note On of a track ended by a
// Note Off of its key before the next and before End of Track, which ends every track. The
// WAV header's sizes must match the file, which holds whole ticks of 735 samples.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sounds/sounds.h"

namespace {

MidiWriter midi_writer;
WavWriter wav_writer;
uint8_t block[kSoundBlockSize];

void check(bool good, const char* why) {
  if (!good) {
    fprintf(stderr, "%s\n", why);
    abort();
  }
}

uint32_t big_endian(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) << 24 | at[1] << 16 | at[2] << 8 | at[3];
}

uint32_t little_endian(const uint8_t* at) {
  return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}

// Walks the events of track `track` (1-4), whose bytes are [at, end).
void check_voice_track(const uint8_t* at, const uint8_t* end, int track) {
  int channel = track == 4 ? 9 : track - 1;
  bool sounding = false;
  int key = 0;
  for (;;) {
    int delta_bytes = 0;
    do {
      check(at < end && ++delta_bytes <= 3, "a delta-time runs out of the track or past 3 bytes");
    } while (*at++ & 0x80);
    check(end - at >= 3, "an event runs out of the track");
    int status = at[0];
    if (status == 0xFF) {
      check(at[1] == 0x2F && at[2] == 0 && at + 3 == end, "End of Track is not the last event");
      check(!sounding, "a note sounds at End of Track");
      return;
    }
    check((status & 0x0F) == channel, "an event on another channel");
    check(at[1] < 0x80, "a data byte with its top bit set");
    if ((status & 0xF0) == 0xC0) {
      at += 2;
      continue;
    }
    check(at[2] < 0x80, "a data byte with its top bit set");
    if ((status & 0xF0) == 0x90) {
      check(!sounding && at[2] > 0, "a Note On while a note sounds, or of velocity 0");
      sounding = true;
      key = at[1];
    } else if ((status & 0xF0) == 0x80) {
      check(sounding && at[1] == key, "a Note Off of no sounding note");
      sounding = false;
    } else {
      check((status & 0xF0) == 0xE0 && track < 4, "an unexpected event");
    }
    at += 3;
  }
}

void check_midi(const std::vector<uint8_t>& file) {
  static const uint8_t kHeader[14] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 5, 0, 30};
  check(file.size() >= 14 && memcmp(file.data(), kHeader, 14) == 0, "a wrong MIDI header");
  size_t at = 14;
  for (int track = 0; track < 5; ++track) {
    check(file.size() - at >= 8 && memcmp(file.data() + at, "MTrk", 4) == 0, "a track missing");
    uint32_t length = big_endian(file.data() + at + 4);
    at += 8;
    check(file.size() - at >= length, "a track longer than the file");
    if (track > 0) {
      check_voice_track(file.data() + at, file.data() + at + length, track);
    }
    at += length;
  }
  check(at == file.size(), "bytes after the last track");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxSoundLength) {
    return 0;
  }
  std::vector<uint8_t> midi;
  start_midi_file(data, size, &midi_writer);
  while (size_t got = next_midi_bytes(&midi_writer, block, sizeof block)) {
    midi.insert(midi.end(), block, block + got);
  }
  check_midi(midi);

  start_wav_file(data, size, &wav_writer);
  size_t got = next_wav_bytes(&wav_writer, block, sizeof block);
  check(got >= 44, "no WAV header");
  uint32_t riff_size = little_endian(block + 4);
  uint32_t data_size = little_endian(block + 40);
  uint64_t total = got;
  while ((got = next_wav_bytes(&wav_writer, block, sizeof block)) > 0) {
    total += got;
  }
  check(riff_size == total - 8 && data_size == total - 44, "WAV sizes that do not match the file");
  check((total - 44) % 1470 == 0, "a WAV file not of whole ticks");
  return 0;
}
