// Sounds written as MIDI files and as WAV files of the sound chip, a block at a time: a WAV
// file runs to tens of megabytes and is never held whole.
#include <cstdio>
#include <cstdlib>

#include "cli/outputs.h"
#include "sounds/sounds.h"

namespace {

uint8_t sound_block[kSoundBlockSize];

// A writer's memory, allocated once and used by one sound at a time.
void* writer_memory(void** memory, size_t size) {
  if (*memory == nullptr) {
    *memory = malloc(size);
    if (*memory == nullptr) {
      printf("Error!\nNot enough memory!\n");
      exit(1);
    }
  }
  return *memory;
}

}  // namespace

void write_midi_file(const ResourceData& data, int number, const OutputDirectory& directory) {
  static void* memory = nullptr;
  char name[40];
  snprintf(name, sizeof name, "sound.%d.mid", number);
  FILE* file = create_output(directory, name);
  MidiWriter* writer = static_cast<MidiWriter*>(writer_memory(&memory, midi_writer_size()));
  start_midi_file(data.bytes, data.length, writer);
  for (size_t size = next_midi_bytes(writer, sound_block, sizeof sound_block); size > 0;
       size = next_midi_bytes(writer, sound_block, sizeof sound_block)) {
    write_output(file, sound_block, size);
  }
  finish_output(file);
}

void write_wav_file(const ResourceData& data, int number, const OutputDirectory& directory) {
  static void* memory = nullptr;
  char name[40];
  snprintf(name, sizeof name, "sound.%d.wav", number);
  FILE* file = create_output(directory, name);
  WavWriter* writer = static_cast<WavWriter*>(writer_memory(&memory, wav_writer_size()));
  start_wav_file(data.bytes, data.length, writer);
  for (size_t size = next_wav_bytes(writer, sound_block, sizeof sound_block); size > 0;
       size = next_wav_bytes(writer, sound_block, sizeof sound_block)) {
    write_output(file, sound_block, size);
  }
  finish_output(file);
}
