// The WAV file of a sound: the chip played from its notes, 44,100 samples a second, 16 bits,
// one channel. The chip's counters move once every 16 clock cycles (a step, 3,579,545 / 16
// a second); a sample is the mean of the levels of its 5 or 6 steps. The channels are run a
// sample at a time, from one counter reload to the next rather than step by step.
#include <cstring>

#include "sounds/sounds.h"

namespace {

constexpr uint32_t kSamplesPerTick = 735;
constexpr size_t kHeaderSize = 44;
constexpr uint32_t kSampleRate = 44100;
// Steps a sample: 3,579,545 / 705,600, that is 5 and 51,545 / 705,600.
constexpr uint32_t kStepClock = 3579545;
constexpr uint32_t kSampleClock = 705600;
constexpr uint32_t kWholeSteps = kStepClock / kSampleClock;
constexpr uint32_t kPartSteps = kStepClock % kSampleClock;

// The level of each attenuation, 2 dB a step; 15 is silence.
constexpr int32_t kAmplitudes[16] = {8191, 6506, 5168, 4105, 3261, 2590, 2057, 1634,
                                     1298, 1031, 819,  651,  517,  411,  326,  0};
// The noise register after a write: only its top bit set.
constexpr uint32_t kNoiseSeed = 0x4000;
constexpr uint32_t kWhiteNoise = 4;
constexpr uint32_t kRateOfToneTwo = 3;

void put_little_endian(uint8_t* at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    at[i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

void put_header(uint8_t* out, uint32_t samples) {
  memcpy(out, "RIFF", 4);
  put_little_endian(out + 4, 36 + 2 * samples, 4);
  memcpy(out + 8, "WAVEfmt ", 8);
  put_little_endian(out + 16, 16, 4);
  put_little_endian(out + 20, 1, 2);  // integer samples
  put_little_endian(out + 22, 1, 2);  // one channel
  put_little_endian(out + 24, kSampleRate, 4);
  put_little_endian(out + 28, 2 * kSampleRate, 4);
  put_little_endian(out + 32, 2, 2);
  put_little_endian(out + 34, 16, 2);
  memcpy(out + 36, "data", 4);
  put_little_endian(out + 40, 2 * samples, 4);
}

// The notes starting at `tick` reach the chip before its first step; a voice that ends
// there falls silent. A new divider waits for the counter to run out; a noise note rewrites
// the noise register, which restarts the shift register.
void start_tick(WavWriter* writer, uint32_t tick) {
  for (int voice = 0; voice < kVoices; ++voice) {
    ChipChannel* channel = voice == kNoiseVoice ? &writer->noise : &writer->tones[voice];
    if (!writer->has_next[voice]) {
      if (writer->readers[voice].tick == tick) {
        channel->amplitude = 0;
      }
      continue;
    }
    const SoundNote& note = writer->next_notes[voice];
    if (note.start != tick) {
      continue;
    }
    channel->amplitude = kAmplitudes[note.attenuation];
    if (voice == kNoiseVoice) {
      writer->noise_control = note.noise;
      writer->shifter = kNoiseSeed;
    } else {
      writer->dividers[voice] = note.divider == 0 ? kDividers : note.divider;
    }
    writer->has_next[voice] = next_played_note(&writer->readers[voice], &writer->next_notes[voice]);
  }
}

// Runs a tone channel `steps` steps and gives how many of them end with its output at 1.
// Each step the counter, when it is 0, reloads with the divider and flips the output, then
// counts down by 1.
inline uint32_t run_tone(ChipChannel* channel, uint32_t divider, uint32_t steps) {
  uint32_t counter = channel->counter;
  uint32_t bit = channel->bit;
  uint32_t ones = 0;
  while (counter < steps) {
    ones += bit * counter;
    steps -= counter + 1;
    bit ^= 1;
    ones += bit;
    counter = divider - 1;
  }
  channel->counter = counter - steps;
  channel->bit = bit;
  return ones + bit * steps;
}

// The noise channel likewise, its register shifting whenever the flip makes its bit 1; its
// output is the register's low bit. White noise feeds back bits 0 and 4, periodic noise bit 0
// alone.
inline uint32_t run_noise(ChipChannel* channel, uint32_t* shifter, uint32_t period, bool white,
                          uint32_t steps) {
  uint32_t counter = channel->counter;
  uint32_t bit = channel->bit;
  uint32_t r = *shifter;
  uint32_t ones = 0;
  while (counter < steps) {
    ones += (r & 1) * counter;
    steps -= counter + 1;
    bit ^= 1;
    if (bit != 0) {
      uint32_t feedback = white ? (r ^ r >> 4) & 1 : r & 1;
      r = r >> 1 | feedback << 14;
    }
    ones += r & 1;
    counter = period - 1;
  }
  channel->counter = counter - steps;
  channel->bit = bit;
  *shifter = r;
  return ones + (r & 1) * steps;
}

// The mean of a sample's step levels, rounded down; `sum` is at least -6 x 32,764.
inline int32_t mean_level(int32_t sum, uint32_t steps) {
  constexpr int32_t kLift = 40000;  // makes the sum positive, so that division rounds down
  return steps == 5 ? (sum + 5 * kLift) / 5 - kLift : (sum + 6 * kLift) / 6 - kLift;
}

// Renders `count` samples of the current tick into `out`.
void render_samples(WavWriter* writer, uint8_t* out, uint32_t count) {
  // The chip in locals: the output bytes could otherwise alias it.
  ChipChannel tone0 = writer->tones[0];
  ChipChannel tone1 = writer->tones[1];
  ChipChannel tone2 = writer->tones[2];
  ChipChannel noise = writer->noise;
  uint32_t shifter = writer->shifter;
  uint32_t phase = writer->step_phase;
  const uint32_t divider0 = writer->dividers[0];
  const uint32_t divider1 = writer->dividers[1];
  const uint32_t divider2 = writer->dividers[2];
  uint32_t rate = writer->noise_control & 3;
  const uint32_t period = rate == kRateOfToneTwo ? divider2 : 16u << rate;
  const bool white = (writer->noise_control & kWhiteNoise) != 0;
  for (uint32_t i = 0; i < count; ++i) {
    phase += kPartSteps;
    uint32_t steps = kWholeSteps;
    if (phase >= kSampleClock) {
      phase -= kSampleClock;
      ++steps;
    }
    const int32_t whole = static_cast<int32_t>(steps);
    int32_t sum =
        tone0.amplitude * (2 * static_cast<int32_t>(run_tone(&tone0, divider0, steps)) - whole);
    sum += tone1.amplitude * (2 * static_cast<int32_t>(run_tone(&tone1, divider1, steps)) - whole);
    sum += tone2.amplitude * (2 * static_cast<int32_t>(run_tone(&tone2, divider2, steps)) - whole);
    sum += noise.amplitude *
           (2 * static_cast<int32_t>(run_noise(&noise, &shifter, period, white, steps)) - whole);
    uint32_t sample = static_cast<uint16_t>(mean_level(sum, steps));
    out[2 * i] = static_cast<uint8_t>(sample);
    out[2 * i + 1] = static_cast<uint8_t>(sample >> 8);
  }
  writer->tones[0] = tone0;
  writer->tones[1] = tone1;
  writer->tones[2] = tone2;
  writer->noise = noise;
  writer->shifter = shifter;
  writer->step_phase = phase;
}

}  // namespace

size_t wav_writer_size() {
  return sizeof(WavWriter);
}

void start_wav_file(const uint8_t* data, size_t length, WavWriter* writer) {
  memset(writer, 0, sizeof *writer);
  for (int voice = 0; voice < kVoices; ++voice) {
    start_voice(data, length, voice, &writer->readers[voice]);
    writer->has_next[voice] = next_played_note(&writer->readers[voice], &writer->next_notes[voice]);
  }
  writer->ticks = sound_duration(data, length);
#ifdef KESK_FUZZ_MAX_TICKS
  // The fuzz build cuts long sounds, so that no run takes long.
  if (writer->ticks > KESK_FUZZ_MAX_TICKS) {
    writer->ticks = KESK_FUZZ_MAX_TICKS;
  }
#endif
  writer->samples_left = static_cast<uint64_t>(kSamplesPerTick) * writer->ticks;
  // Sample i starts at step ceil(i x 3,579,545 / 705,600); the phase is the remainder of
  // i x 3,579,545 + 705,599 over 705,600.
  writer->step_phase = kSampleClock - 1;
  for (int tone = 0; tone < 3; ++tone) {
    writer->dividers[tone] = kDividers;
  }
  writer->shifter = kNoiseSeed;
}

size_t next_wav_bytes(WavWriter* writer, uint8_t* buffer, size_t capacity) {
  size_t size = 0;
  if (!writer->header_given) {
    put_header(buffer, static_cast<uint32_t>(writer->samples_left));
    writer->header_given = true;
    size = kHeaderSize;
  }
  while (writer->samples_left > 0 && capacity - size >= 2) {
    if (writer->tick_sample == 0) {
      start_tick(writer, writer->tick);
    }
    uint32_t count = kSamplesPerTick - writer->tick_sample;
    if (count > (capacity - size) / 2) {
      count = static_cast<uint32_t>((capacity - size) / 2);
    }
    render_samples(writer, buffer + size, count);
    size += 2 * static_cast<size_t>(count);
    writer->samples_left -= count;
    writer->tick_sample += count;
    if (writer->tick_sample == kSamplesPerTick) {
      writer->tick_sample = 0;
      ++writer->tick;
    }
  }
  return size;
}
