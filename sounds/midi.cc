// The MIDI file of a sound: a tempo track, then one track for each voice. One MIDI tick is
// one sound tick (a tempo of 500,000 microseconds a quarter note at 30 ticks a quarter note),
// so every time in the file is exact. A track's length goes before its events, so each track
// is walked twice: once to count its bytes, once to write them.
#include <cmath>
#include <cstring>

#include "sounds/sounds.h"

namespace {

// Format 1, five tracks, 30 ticks a quarter note.
constexpr uint8_t kFileHeader[14] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 5, 0, 30};
// Tempo 500,000 (07 A1 20), then End of Track.
constexpr uint8_t kTempoTrack[19] = {'M',  'T',  'r',  'k',  0,    0, 0,    11,   0, 0xFF,
                                     0x51, 0x03, 0x07, 0xA1, 0x20, 0, 0xFF, 0x2F, 0};
constexpr size_t kTrackHeaderSize = 8;
// No piece the writer puts down at once (the header and tempo track, a note's events, a
// track's close) is longer.
constexpr size_t kLargestPiece = 40;

constexpr int kNoiseChannel = 9;
// The square-wave lead, counted from 0.
constexpr uint8_t kSquareWaveProgram = 80;
constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kPitchBend = 0xE0;

// Velocity of each attenuation, 2 dB a step; 15 is silence and has none.
constexpr uint8_t kVelocities[15] = {127, 113, 101, 90, 80, 71, 64, 57, 51, 45, 40, 36, 32, 28, 25};
// Percussion key of each noise control: periodic noise at rates 0-3, then white noise.
constexpr uint8_t kNoiseKeys[8] = {50, 47, 43, 41, 42, 38, 36, 49};
// Dividers below this sound above the highest key; their notes are rests.
constexpr int kLowestKeyedDivider = 9;
constexpr int kSilent = 15;

int divider_value(uint16_t divider) {
  return divider == 0 ? kDividers : divider;
}

int floor_div(int a, int b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Cents above MIDI note 0 of the chip's square wave: 3,579,545 / (32 x divider) Hz against
// A4 = 440 Hz = note 69.
void fill_pitches(int16_t* pitch) {
  pitch[0] = 0;
  for (int divider = 1; divider <= kDividers; ++divider) {
    double cents = 6900.0 + 1200.0 * std::log2(3579545.0 / (14080.0 * divider));
    pitch[divider] = static_cast<int16_t>(std::lround(cents));
  }
}

// The shift in cents, -50 to 49, that brings the sound's tone notes closest to whole
// semitones all told; ties go to the smallest shift, then the lower one. Many sounds are
// tuned near a quarter tone sharp, and rounding each note alone would split their scale.
int find_tuning(const uint8_t* data, size_t length, const int16_t* pitch) {
  uint32_t count[100] = {};
  for (int voice = 0; voice < kNoiseVoice; ++voice) {
    VoiceReader reader;
    SoundNote note;
    start_voice(data, length, voice, &reader);
    while (next_played_note(&reader, &note)) {
      int divider = divider_value(note.divider);
      if (note.attenuation != kSilent && divider >= kLowestKeyedDivider) {
        ++count[pitch[divider] % 100];
      }
    }
  }
  int best = 0;
  uint64_t best_sum = UINT64_MAX;
  // Candidates in the order of the tie-break: 0, -1, 1, -2, 2, ..., 49, -50.
  for (int i = 0; i < 100; ++i) {
    int tuning = i % 2 == 0 ? i / 2 : -(i + 1) / 2;
    uint64_t sum = 0;
    for (int cents = 0; cents < 100; ++cents) {
      int off = (cents - tuning + 150) % 100 - 50;
      sum += static_cast<uint64_t>(count[cents]) * static_cast<uint32_t>(off < 0 ? -off : off);
    }
    if (sum < best_sum) {
      best_sum = sum;
      best = tuning;
    }
  }
  return best;
}

int channel_of(int voice) {
  return voice == kNoiseVoice ? kNoiseChannel : voice;
}

// Delta-time as a variable-length quantity, the most significant 7 bits first.
size_t put_delta(uint8_t* out, uint32_t ticks) {
  uint8_t groups[5];
  size_t count = 0;
  do {
    groups[count++] = ticks & 0x7F;
    ticks >>= 7;
  } while (ticks != 0);
  for (size_t i = 0; i < count; ++i) {
    out[i] = static_cast<uint8_t>(groups[count - 1 - i] | (i + 1 < count ? 0x80 : 0));
  }
  return count;
}

size_t put_event(uint8_t* out, TrackWalker* walker, uint32_t tick, uint8_t status, uint8_t a,
                 uint8_t b) {
  size_t size = put_delta(out, tick - walker->last_event);
  walker->last_event = tick;
  out[size] = static_cast<uint8_t>(status | channel_of(walker->voice));
  out[size + 1] = a;
  out[size + 2] = b;
  return size + 3;
}

void start_track(const MidiWriter* writer, int voice, TrackWalker* walker) {
  start_voice(writer->data, writer->length, voice, &walker->reader);
  walker->voice = voice;
  walker->part = 0;
  walker->sounding = false;
  walker->key = 0;
  walker->velocity = 0;
  walker->last_event = 0;
}

// The key and velocity a note sounds at; false for a rest (silence, or a tone above the
// highest key).
bool note_key(const MidiWriter* writer, int voice, const SoundNote& note, uint8_t* key,
              uint8_t* velocity) {
  if (note.attenuation == kSilent) {
    return false;
  }
  *velocity = kVelocities[note.attenuation];
  if (voice == kNoiseVoice) {
    *key = kNoiseKeys[note.noise];
    return true;
  }
  int divider = divider_value(note.divider);
  if (divider < kLowestKeyedDivider) {
    return false;
  }
  *key = static_cast<uint8_t>((writer->pitch[divider] - writer->tuning + 50) / 100);
  return true;
}

// The opening events of a tone track: the square-wave program, and the pitch bend that
// carries the sound's tuning.
size_t put_opening(const MidiWriter* writer, TrackWalker* walker, uint8_t* out) {
  out[0] = 0;
  out[1] = static_cast<uint8_t>(kProgramChange | walker->voice);
  out[2] = kSquareWaveProgram;
  size_t size = 3;
  int bend = 8192 + floor_div(writer->tuning * 8192 + 100, 200);
  size +=
      put_event(out + size, walker, 0, kPitchBend, bend & 0x7F, static_cast<uint8_t>(bend >> 7));
  return size;
}

// Writes the track's next events into `out` (at most kLargestPiece bytes) and returns how
// many; 0 once the track is done. A note whose key and velocity are those sounding goes on
// sounding and writes nothing, as does a rest after a rest.
size_t next_track_events(const MidiWriter* writer, TrackWalker* walker, uint8_t* out) {
  if (walker->part == 0) {
    walker->part = 1;
    if (walker->voice != kNoiseVoice) {
      return put_opening(writer, walker, out);
    }
  }
  if (walker->part == 1) {
    SoundNote note;
    while (next_played_note(&walker->reader, &note)) {
      uint8_t key = 0;
      uint8_t velocity = 0;
      bool sounds = note_key(writer, walker->voice, note, &key, &velocity);
      if (sounds == walker->sounding &&
          (!sounds || (key == walker->key && velocity == walker->velocity))) {
        continue;
      }
      size_t size = 0;
      if (walker->sounding) {
        size = put_event(out, walker, note.start, kNoteOff, walker->key, 0);
      }
      if (sounds) {
        size += put_event(out + size, walker, note.start, kNoteOn, key, velocity);
      }
      walker->sounding = sounds;
      walker->key = key;
      walker->velocity = velocity;
      return size;
    }
    walker->part = 2;
  }
  if (walker->part == 2) {
    // The track lasts to the voice's end, trailing rests included.
    walker->part = 3;
    uint32_t end = walker->reader.tick;
    size_t size = 0;
    if (walker->sounding) {
      size = put_event(out, walker, end, kNoteOff, walker->key, 0);
    }
    size += put_delta(out + size, end - walker->last_event);
    out[size] = 0xFF;
    out[size + 1] = 0x2F;
    out[size + 2] = 0;
    return size + 3;
  }
  return 0;
}

void put_big_endian(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 24);
  at[1] = static_cast<uint8_t>(value >> 16);
  at[2] = static_cast<uint8_t>(value >> 8);
  at[3] = static_cast<uint8_t>(value);
}

}  // namespace

size_t midi_writer_size() {
  return sizeof(MidiWriter);
}

void start_midi_file(const uint8_t* data, size_t length, MidiWriter* writer) {
  writer->data = data;
  writer->length = length;
  fill_pitches(writer->pitch);
  writer->tuning = find_tuning(data, length, writer->pitch);
  for (int voice = 0; voice < kVoices; ++voice) {
    uint8_t scratch[kLargestPiece];
    uint32_t size = 0;
    start_track(writer, voice, &writer->walker);
    for (size_t piece = next_track_events(writer, &writer->walker, scratch); piece > 0;
         piece = next_track_events(writer, &writer->walker, scratch)) {
      size += static_cast<uint32_t>(piece);
    }
    writer->track_length[voice] = size;
  }
  writer->chunk = 0;
  writer->chunk_started = false;
}

size_t next_midi_bytes(MidiWriter* writer, uint8_t* buffer, size_t capacity) {
  size_t size = 0;
  while (writer->chunk <= kVoices && capacity - size >= kLargestPiece) {
    uint8_t* out = buffer + size;
    if (writer->chunk == 0) {
      memcpy(out, kFileHeader, sizeof kFileHeader);
      memcpy(out + sizeof kFileHeader, kTempoTrack, sizeof kTempoTrack);
      size += sizeof kFileHeader + sizeof kTempoTrack;
      writer->chunk = 1;
    } else if (!writer->chunk_started) {
      int voice = writer->chunk - 1;
      memcpy(out, "MTrk", 4);
      put_big_endian(out + 4, writer->track_length[voice]);
      size += kTrackHeaderSize;
      start_track(writer, voice, &writer->walker);
      writer->chunk_started = true;
    } else {
      size_t piece = next_track_events(writer, &writer->walker, out);
      if (piece == 0) {
        ++writer->chunk;
        writer->chunk_started = false;
      }
      size += piece;
    }
  }
  return size;
}
