// Sounds: a sound's bytes turned into a Standard MIDI File and into a WAV file of the sound
// chip playing it. Nothing here opens a file or allocates: the bytes come in, and each file's
// bytes go out a block at a time into memory the caller owns, so that no file is held whole
// (a WAV file runs to tens of megabytes).
#ifndef KESK_SOUNDS_SOUNDS_H
#define KESK_SOUNDS_SOUNDS_H

#include <cstddef>
#include <cstdint>

// The longest sound a resource holds.
constexpr size_t kMaxSoundLength = 65535;

// The smallest buffer next_midi_bytes and next_wav_bytes accept.
constexpr size_t kSoundBlockSize = 64 * 1024;

// --- Voices ------------------------------------------------------------------------------

// Four voices: three tone voices, then the noise voice.
constexpr int kVoices = 4;
constexpr int kNoiseVoice = 3;
// Only the first 65535 ticks (1/60 s) of a sound are played; later notes are cut or dropped.
constexpr uint32_t kMaxSoundTicks = 65535;
// The chip's dividers run 1 to 1024; a divider of 0 counts as 1024.
constexpr int kDividers = 1024;

// One played note of a voice: at least one tick long, and inside the first 65535 ticks.
struct SoundNote {
  uint32_t start;  // in ticks
  uint32_t duration;
  uint16_t divider;     // tone voices: 0-1023, as written
  uint8_t noise;        // noise voice: the noise control, 0-7
  uint8_t attenuation;  // 0 the loudest, 15 silence
};

// Where a voice's next note is read, and when it starts.
struct VoiceReader {
  const uint8_t* data;
  size_t length;
  size_t position;
  uint32_t tick;  // the next note's start; once the voice is over, its end
  bool over;
};

// Places the reader at voice `voice`'s first note.
void start_voice(const uint8_t* data, size_t length, int voice, VoiceReader* reader);

// Reads the voice's next played note, skipping notes of no duration; false once the voice is
// over, its end then in reader->tick.
bool next_played_note(VoiceReader* reader, SoundNote* note);

// The sound's duration in ticks: the latest end of its four voices.
uint32_t sound_duration(const uint8_t* data, size_t length);

// --- MIDI --------------------------------------------------------------------------------

// Walks one voice's track: its opening events, its notes, its closing events.
struct TrackWalker {
  VoiceReader reader;
  int voice;
  int part;  // 0 the opening events, 1 the notes, 2 the close, 3 done
  bool sounding;
  uint8_t key;  // the sounding note's key and velocity
  uint8_t velocity;
  uint32_t last_event;  // the tick of the track's last event
};

// The MIDI file of one sound, being written. Fixed tables; a caller keeps one.
struct MidiWriter {
  const uint8_t* data;
  size_t length;
  int16_t pitch[kDividers + 1];  // cents above MIDI note 0 of each divider, 1 to 1024
  int tuning;                    // cents the sound's scale lies above the usual one
  uint32_t track_length[kVoices];
  int chunk;  // 0 the header and tempo track, 1-4 the voice tracks, 5 done
  bool chunk_started;
  TrackWalker walker;
};
size_t midi_writer_size();

// Reads the sound's bytes (at most kMaxSoundLength) and prepares its MIDI file. The data must
// outlive the writer.
void start_midi_file(const uint8_t* data, size_t length, MidiWriter* writer);

// Writes the next bytes of the MIDI file into `buffer` (at least kSoundBlockSize bytes) and
// returns how many; 0 once the whole file has been given.
size_t next_midi_bytes(MidiWriter* writer, uint8_t* buffer, size_t capacity);

// --- WAV ---------------------------------------------------------------------------------

// One of the chip's four channels: a counter that reloads and flips the output bit.
struct ChipChannel {
  uint32_t counter;
  uint32_t bit;
  int32_t amplitude;  // the level of an output of 1; -amplitude for 0
};

// The WAV file of one sound, being rendered. Fixed tables; a caller keeps one.
struct WavWriter {
  VoiceReader readers[kVoices];
  SoundNote next_notes[kVoices];
  bool has_next[kVoices];
  uint32_t ticks;  // the ticks rendered: the sound's duration (fewer in a fuzz build)
  bool header_given;
  uint64_t samples_left;
  uint32_t tick;         // the tick of the next sample
  uint32_t tick_sample;  // the next sample's place in its tick, 0-734
  uint32_t step_phase;   // places the next sample's first step between two whole steps
  ChipChannel tones[3];
  uint32_t dividers[3];  // 1-1024
  ChipChannel noise;
  uint32_t noise_control;
  uint32_t shifter;  // the noise channel's 15-bit shift register
};
size_t wav_writer_size();

// Reads the sound's bytes (at most kMaxSoundLength) and prepares its WAV file. The data must
// outlive the writer. A build defining KESK_FUZZ_MAX_TICKS renders at most that many ticks,
// and its WAV file says so in its header.
void start_wav_file(const uint8_t* data, size_t length, WavWriter* writer);

// Writes the next bytes of the WAV file (the header first, then the samples) into `buffer`
// (at least kSoundBlockSize bytes) and returns how many; 0 once the whole file has been given.
size_t next_wav_bytes(WavWriter* writer, uint8_t* buffer, size_t capacity);

#endif  // KESK_SOUNDS_SOUNDS_H
