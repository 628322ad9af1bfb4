// Reading a sound's voices: the table of four offsets, then each voice's 5-byte notes up to
// two FF bytes or the end of the data.
#include "sounds/sounds.h"

namespace {

constexpr size_t kNoteSize = 5;

uint32_t read_word(const uint8_t* data, size_t at) {
  return data[at] | static_cast<uint32_t>(data[at + 1]) << 8;
}

}  // namespace

void start_voice(const uint8_t* data, size_t length, int voice, VoiceReader* reader) {
  size_t entry = 2 * static_cast<size_t>(voice);
  reader->data = data;
  reader->length = length;
  reader->tick = 0;
  // A voice whose offset the data does not wholly hold has no notes. Any offset is taken as
  // it stands, into the table itself or past the end.
  reader->over = entry + 1 >= length;
  reader->position = reader->over ? 0 : read_word(data, entry);
}

bool next_played_note(VoiceReader* reader, SoundNote* note) {
  const uint8_t* data = reader->data;
  while (!reader->over) {
    size_t at = reader->position;
    // FF FF ends the voice; a partial note at the end of the data is dropped.
    if (at + 1 < reader->length && data[at] == 0xFF && data[at + 1] == 0xFF) {
      break;
    }
    if (at + kNoteSize > reader->length) {
      break;
    }
    reader->position = at + kNoteSize;
    uint32_t duration = read_word(data, at);
    if (duration == 0) {
      continue;  // takes no time and sets nothing
    }
    if (reader->tick >= kMaxSoundTicks) {
      break;
    }
    // A note running past the last tick played is cut there.
    if (duration > kMaxSoundTicks - reader->tick) {
      duration = kMaxSoundTicks - reader->tick;
    }
    note->start = reader->tick;
    note->duration = duration;
    note->divider = static_cast<uint16_t>((data[at + 2] & 0x3F) << 4 | (data[at + 3] & 0x0F));
    note->noise = data[at + 3] & 0x07;
    note->attenuation = data[at + 4] & 0x0F;
    reader->tick += duration;
    return true;
  }
  reader->over = true;
  return false;
}

uint32_t sound_duration(const uint8_t* data, size_t length) {
  uint32_t duration = 0;
  for (int voice = 0; voice < kVoices; ++voice) {
    VoiceReader reader;
    SoundNote note;
    start_voice(data, length, voice, &reader);
    while (next_played_note(&reader, &note)) {
    }
    if (reader.tick > duration) {
      duration = reader.tick;
    }
  }
  return duration;
}
