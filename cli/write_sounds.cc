// Sounds written as MIDI files and as WAV files of the sound chip, a block at a time: a WAV
// file runs to tens of megabytes and is never held whole.
#include <cstdio>

#include "cli/outputs.h"
#include "sounds/sounds.h"

namespace {

uint8_t sound_block[kSoundBlockSize];
// The writers, allocated once and used by one sound at a time.
MidiWriter* midi_writer;
WavWriter* wav_writer;

void start_sound_file(int format, const ResourceData& data) {
  if (format == kMidiFormat) {
    if (midi_writer == nullptr) {
      midi_writer = static_cast<MidiWriter*>(allocate_work_area(midi_writer_size()));
    }
    start_midi_file(data.bytes, data.length, midi_writer);
  } else {
    if (wav_writer == nullptr) {
      wav_writer = static_cast<WavWriter*>(allocate_work_area(wav_writer_size()));
    }
    start_wav_file(data.bytes, data.length, wav_writer);
  }
}

size_t next_sound_bytes(int format) {
  if (format == kMidiFormat) {
    return next_midi_bytes(midi_writer, sound_block, sizeof sound_block);
  }
  return next_wav_bytes(wav_writer, sound_block, sizeof sound_block);
}

}  // namespace

void write_sound_file(int format, const ResourceData& data, int number,
                      const OutputDirectory& directory) {
  char name[40];
  snprintf(name, sizeof name, format == kMidiFormat ? "sound.%d.mid" : "sound.%d.wav", number);
  start_sound_file(format, data);
  FILE* file = create_output(directory, name);
  for (size_t size = next_sound_bytes(format); size > 0; size = next_sound_bytes(format)) {
    write_output(file, sound_block, size);
  }
  finish_output(file);
}
