#include "examples/sample_game.h"

#include <string>
#include <utility>
#include <vector>

namespace {

// Readable resource bodies, so an extracted file shows at a glance what it is.
Bytes resource_body(const std::string& label, size_t filler, uint32_t seed) {
  Bytes body = bytes_of("Sample " + label + " resource\n");
  Bytes tail = pattern_bytes(filler, seed);
  body.insert(body.end(), tail.begin(), tail.end());
  return body;
}

// A house on a meadow under the sun, drawn with every drawing command: lines of each kind
// for the outlines, fills for the areas, a solid, a splatter and a square pen, and a
// priority screen of its own.
Bytes scene_picture() {
  // clang-format off
  return {
      0xF0, 0x00,                                                    // black outlines
      0xF6, 0, 99, 40, 99, 0xF6, 80, 99, 159, 99,                    // the horizon
      0xF5, 40, 70, 80, 110, 40, 70,                                 // walls: across first
      0xF7, 40, 70, 0x5C, 0x5C, 0x5C, 0x5C, 0x54, 0x54, 0x54, 0x54,  // roof: relative steps
      0xF4, 55, 110, 95, 65, 110,                                    // door: down first
      0xF6, 45, 78, 52, 78, 52, 85, 45, 85, 45, 78,                  // window
      0xF6, 120, 99, 120, 78,                                        // tree trunk
      0xF0, 0x0B, 0xF8, 10, 10,                                      // sky
      0xF0, 0x02, 0xF8, 10, 130,                                     // meadow
      0xF0, 0x0C, 0xF8, 42, 90,                                      // walls
      0xF0, 0x04, 0xF8, 60, 65,                                      // roof
      0xF0, 0x06, 0xF8, 60, 100,                                     // door
      0xF0, 0x0E, 0xF8, 48, 81,                                      // window
      0xF9, 0x07, 0xFA, 135, 18,                                     // the sun: a solid circle
      0xF0, 0x0A, 0xF9, 0x25, 0xFA, 0x10, 117, 72, 0x44, 124, 70,    // leaves: a splatter pen
      0x82, 121, 65, 0x2A, 116, 66, 0x66, 126, 64, 0x18, 120, 60,
      0xF0, 0x08, 0xF9, 0x12, 0xFA, 66, 118, 70, 126, 74, 134, 78, 142,  // stones: square pen
      0xF1, 0xF2, 0x00, 0xF6, 0, 99, 40, 99, 0xF6, 80, 99, 159, 99,  // priority only
      0xF6, 40, 70, 80, 70, 80, 110, 40, 110, 40, 70,
      0xF2, 0x0B, 0xF8, 10, 140, 0xF2, 0x09, 0xF8, 60, 90, 0xF3, 0xFF,
  };
  // clang-format on
}

// A figure walking right in loop 0; loop 1 shares its cels, which are marked as drawn for
// loop 0 and so face left there.
Bytes walking_view() {
  // clang-format off
  return {
      1, 1, 2, 0, 0, 9, 0, 9, 0,  // two loops, both at offset 9
      2, 5, 0, 56, 0,             // two cels, at 9 + 5 and 9 + 56
      // Standing: 7 x 12, mirrored outside loop 0, colour 15 transparent.
      7, 12, 0x8F, 0xF2, 0x63, 0x00, 0xF1, 0x61, 0xC3, 0x01, 0x00, 0xF1, 0x61, 0xC4, 0x00, 0xF2,
      0xC3, 0x00, 0xF2, 0x13, 0x00, 0xF1, 0x15, 0x00, 0xC1, 0x15, 0xC1, 0x00, 0xF2, 0x13, 0x00,
      0xF2, 0x11, 0xF1, 0x11, 0x00, 0xF2, 0x11, 0xF1, 0x11, 0x00, 0xF2, 0x11, 0xF1, 0x11, 0x00,
      0xF1, 0x02, 0xF1, 0x02, 0x00,
      // Striding.
      7, 12, 0x8F, 0xF2, 0x63, 0x00, 0xF1, 0x61, 0xC3, 0x01, 0x00, 0xF1, 0x61, 0xC4, 0x00, 0xF2,
      0xC3, 0x00, 0xF2, 0x13, 0x00, 0xF1, 0x15, 0x00, 0xC1, 0x15, 0xC1, 0x00, 0xF2, 0x13, 0x00,
      0xF1, 0x11, 0xF3, 0x11, 0x00, 0xF1, 0x11, 0xF3, 0x11, 0x00, 0x11, 0xF5, 0x11, 0x00, 0x02,
      0xF3, 0x02, 0x00,
  };
  // clang-format on
}

// --- Scripts ------------------------------------------------------------------------------

Bytes join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

Bytes two_bytes(size_t value) {
  return {static_cast<unsigned char>(value & 0xFF), static_cast<unsigned char>(value >> 8)};
}

// An if: FF, the tests, FF and the length of the block that runs when they hold.
Bytes if_then(const Bytes& tests, const Bytes& block) {
  return join({{0xFF}, tests, {0xFF}, two_bytes(block.size()), block});
}

// An if with an else: the block ends in a jump over the else block, which follows it.
Bytes if_then_else(const Bytes& tests, const Bytes& block, const Bytes& otherwise) {
  return join({if_then(tests, join({block, {0xFE}, two_bytes(otherwise.size())})), otherwise});
}

// A said test of word groups.
Bytes said(std::initializer_list<int> groups) {
  Bytes test = {0x0E, static_cast<unsigned char>(groups.size())};
  for (int group : groups) {
    Bytes number = two_bytes(static_cast<size_t>(group));
    test.insert(test.end(), number.begin(), number.end());
  }
  return test;
}

// The room by the house: said words, flags, an if with an else, a goto, messages, an item.
Bytes house_room() {
  Bytes draw = if_then({0x07, 5}, {0x18, 0, 0x19, 0, 0x1A, 0x0D, 5});     // f5: draw the room
  Bytes look = if_then(said({62}), {0x65, 1});                            // "look": message 1
  Bytes take_key = if_then_else(join({said({40, 50}), {0xFD, 0x09, 1}}),  // "get key", no key
                                {0x65, 2, 0x5C, 1, 0x05, 30, 5},          // take it: v30 += 5
                                {0x65, 3});
  Bytes open_door = if_then(join({{0xFC}, said({70, 30}), said({100, 30}), {0xFC, 0x09, 1}}),
                            {0x65, 4, 0x0C, 40});
  Bytes climb = if_then(said({20}), {0x65, 5});
  // With the door open (f40) nothing else is asked: a goto past the climbing.
  Bytes leave = if_then({0x07, 40}, join({{0xFE}, two_bytes(climb.size())}));
  Bytes code = join({draw, look, take_key, open_door, leave, climb, {0x00}});
  return logic_data(code, {
                              "A small house stands on a meadow. Its door is \"locked\".",
                              "You pick up the key.",
                              "You already have it.",
                              "The door creaks open.",
                              "The walls are too smooth to climb.",
                          });
}

// The game's start: its name, the status line, the score and the first room drawn.
Bytes game_start() {
  Bytes code = {0x8F, 1, 0x70, 0x03, 30, 0, 0x0C, 5, 0x12, 0, 0x00};
  return logic_data(code, {"SAMPLE"});
}

// A cellar with a lamp in it.
Bytes cellar_room() {
  Bytes code =
      join({if_then(said({62}), {0x65, 1}), if_then(said({40, 60}), {0x65, 2, 0x5C, 2}), {0x00}});
  return logic_data(code, {"A dark cellar. An oil lamp hangs on a hook.", "Taken."});
}

// The ending: the score decides.
Bytes ending() {
  Bytes code = join({if_then_else({0x05, 30, 4}, {0x65, 1}, {0x65, 2}), {0x86, 0}});
  return logic_data(code, {"Well done!", "Keep looking."});
}

// --- Sounds -----------------------------------------------------------------------------

// A note of tone channel `channel`: its duration in ticks, the chip's divider and the
// attenuation, as the chip's own command bytes.
Bytes tone(int channel, int ticks, int divider, int attenuation) {
  return {static_cast<unsigned char>(ticks & 0xFF), static_cast<unsigned char>(ticks >> 8),
          static_cast<unsigned char>((divider >> 4) & 0x3F),
          static_cast<unsigned char>(0x80 | channel << 5 | (divider & 0x0F)),
          static_cast<unsigned char>(0x90 | channel << 5 | attenuation)};
}

// A note of the noise channel: its duration, the noise control and the attenuation.
Bytes noise(int ticks, int control, int attenuation) {
  return {static_cast<unsigned char>(ticks & 0xFF), static_cast<unsigned char>(ticks >> 8), 0,
          static_cast<unsigned char>(0xE0 | control),
          static_cast<unsigned char>(0xF0 | attenuation)};
}

// The dividers of the notes used, 3,579,545 / (32 x frequency).
constexpr int kC4 = 428, kD4 = 381, kE4 = 339, kF4 = 320, kG4 = 285, kA4 = 254, kC5 = 214,
              kD5 = 190, kE5 = 170, kG5 = 143, kC3 = 855, kF3 = 641, kG3 = 571;

// A voice: its notes, then the end marker.
Bytes voice(int channel, std::initializer_list<std::pair<int, int>> notes, int attenuation) {
  Bytes bytes;
  for (const auto& [divider, ticks] : notes) {
    Bytes note = tone(channel, ticks, divider, divider == 0 ? 15 : attenuation);
    // A slight gap between notes, as the games' tunes have.
    if (divider != 0 && ticks > 4) {
      note = join({tone(channel, ticks - 3, divider, attenuation), tone(channel, 3, divider, 15)});
    }
    bytes.insert(bytes.end(), note.begin(), note.end());
  }
  bytes.push_back(0xFF);
  bytes.push_back(0xFF);
  return bytes;
}

// A sound of four voices, with the offsets of the voices in front.
Bytes sound_of(const Bytes& voice0, const Bytes& voice1, const Bytes& voice2, const Bytes& noises) {
  size_t offset = 8;
  Bytes table;
  for (const Bytes* part : {&voice0, &voice1, &voice2, &noises}) {
    Bytes number = two_bytes(offset);
    table.insert(table.end(), number.begin(), number.end());
    offset += part->size();
  }
  return join({table, voice0, voice1, voice2, noises});
}

// A four-bar tune: melody, harmony and bass, and a drum line on the noise channel.
Bytes sample_tune() {
  Bytes melody = voice(0,
                       {{kC5, 15},
                        {kE5, 15},
                        {kG5, 15},
                        {kE5, 15},
                        {kD5, 15},
                        {kC5, 15},
                        {kD5, 30},
                        {kE5, 15},
                        {kG5, 15},
                        {kE5, 15},
                        {kC5, 15},
                        {kD5, 15},
                        {kE5, 15},
                        {kC5, 30}},
                       0);
  Bytes harmony = voice(
      1, {{kE4, 30}, {kG4, 30}, {kF4, 30}, {kD4, 30}, {kG4, 30}, {kA4, 30}, {kG4, 30}, {kE4, 30}},
      4);
  Bytes bass = voice(2, {{kC3, 60}, {kF3, 30}, {kG3, 30}, {kC3, 60}, {kG3, 30}, {kC3, 30}}, 2);
  Bytes drums;
  for (int beat = 0; beat < 16; ++beat) {
    // Bass drum on the beat, hi-hat between, a snare on every second beat.
    Bytes hit = beat % 2 == 0 ? noise(4, 6, 1) : noise(4, 5, 2);
    Bytes rest = join({noise(4, 4, 15), noise(3, 4, 6), noise(4, 4, 15)});
    drums.insert(drums.end(), hit.begin(), hit.end());
    drums.insert(drums.end(), rest.begin(), rest.end());
  }
  drums.push_back(0xFF);
  drums.push_back(0xFF);
  return sound_of(melody, harmony, bass, drums);
}

// A short effect: a falling tone over periodic noise.
Bytes sample_effect() {
  Bytes fall;
  for (int divider = 120; divider <= 360; divider += 40) {
    Bytes note = tone(0, 4, divider, 2);
    fall.insert(fall.end(), note.begin(), note.end());
  }
  fall.push_back(0xFF);
  fall.push_back(0xFF);
  Bytes rumble = join({noise(28, 2, 4), {0xFF, 0xFF}});
  return sound_of(fall, {0xFF, 0xFF}, {0xFF, 0xFF}, rumble);
}

void add_resources(FileTree& game) {
  // Logic: 0 and 1 in vol.0, 2 in vol.1, 3 absent, 4 missing from the numbering altogether (its
  // entry is 0xFF padding), 5 in vol.1.
  add_resource(game, 0, 0, 0, house_room());
  add_resource(game, 0, 1, 0, game_start());
  add_resource(game, 0, 2, 1, cellar_room());
  set_entry(game, 0, 3, {0xFF, 0xFF, 0xFF});
  add_resource(game, 0, 5, 1, ending());

  // Pictures 0 and 1, one in each volume: a drawn scene, and text that draws as damaged data.
  add_resource(game, 1, 0, 1, scene_picture());
  add_resource(game, 1, 1, 0, resource_body("picture 1", 2500, 11));

  // Views: 0 a walking figure, 1 declares a length of 0 and is reported, not extracted.
  add_resource(game, 2, 0, 0, walking_view());
  add_resource(game, 2, 1, 1, resource_body("view 1", 8, 21), 0);
  add_resource(game, 2, 2, 1, resource_body("view 2", 640, 22));

  // Sounds 0 (a tune) and 2 (an effect), with entry 1 absent. Sound 2 lies at offset 0x0FFF of
  // vol.0: its entry 00 0F FF holds a 0xFF byte and is a location like any other.
  add_resource(game, 3, 0, 1, sample_tune());
  set_entry(game, 3, 1, {0xFF, 0xFF, 0xFF});
  add_resource_at(game, 3, 2, 0, 0x0FFF, sample_effect());
}

// The inventory: item 0 is the placeholder "?", room 255 is the player's.
Bytes plain_object_file() {
  return object_table({
      {"?", 0},
      {"brass key", 0},
      {"oil lamp", 2},
      {"coil of rope", 7},
      {"silver coin", 12},
      {"old map", 255},
      {"loaf of bread", 9},
  });
}

using WordList = std::vector<std::pair<std::string, int>>;

Bytes sample_vocabulary() {
  std::vector<WordList> letters(26);
  letters['a' - 'a'] = {{"a", 0}, {"all", 1}, {"an", 0}, {"and", 1}, {"anyword", 1}};
  letters['b' - 'a'] = {{"bag", 12}, {"ball", 13}, {"barrel", 14}, {"bread", 15}, {"bridge", 16}};
  letters['c' - 'a'] = {{"climb", 20}, {"close", 21}, {"coin", 22}, {"coins", 22}};
  letters['d' - 'a'] = {{"door", 30}, {"down", 31}, {"drink", 32}, {"drop", 33}};
  letters['g' - 'a'] = {{"get", 40}, {"give", 41}, {"go", 42}};
  letters['k' - 'a'] = {{"key", 50}};
  letters['l' - 'a'] = {{"lamp", 60}, {"lantern", 60}, {"light", 61}, {"look", 62}, {"loose", 63}};
  letters['o' - 'a'] = {{"open", 70}};
  letters['r' - 'a'] = {{"read", 80}, {"rope", 81}};
  letters['t' - 'a'] = {{"take", 90}, {"talk", 91}, {"the", 0}, {"throw", 92}};
  letters['u' - 'a'] = {{"unlock", 100}, {"up", 101}};
  letters['w' - 'a'] = {{"walk", 110}, {"wear", 111}, {"west", 112}};
  std::vector<std::vector<WordRecord>> records;
  for (const WordList& words : letters) {
    records.push_back(compress_words(words));
  }
  return vocabulary_file(records);
}

}  // namespace

FileTree sample_game() {
  FileTree game;
  add_resources(game);
  game["object"] = object_cipher(plain_object_file());
  game["words.tok"] = sample_vocabulary();
  return game;
}
