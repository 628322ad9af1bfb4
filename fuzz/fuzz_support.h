// Shared by the fuzz targets: the input layout that the extraction targets decode into a
// game, the scenes a run starts from (the game's files in some letter case, with links,
// FIFOs or directories where the operation reads or writes), and one run of a kesk operation
// in a scratch directory reused across runs.
//
// The operations run in this process. Their calls to exit, fdopen and fclose are routed
// through this file at link time (-Wl,--wrap=...), so that a fatal road (exit with status 1)
// returns here like any other outcome, and the streams it left open are closed before the
// next run, with any other descriptor it left open. Outside a run the calls go straight to
// the C library.
#ifndef KESK_FUZZ_FUZZ_SUPPORT_H
#define KESK_FUZZ_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/game_builder.h"

// How the input files of a run are named: all in lower case (the names the operations ask
// for), all in upper case, capitalized ("Logdir"), or in two spellings at once: the
// capitalized one, which comes first in byte order and so is the one to be opened, and the
// inverted one ("lOGDIR") beside it holding a decoy. kesk remembers the spelling it found
// for a name for the rest of the process and opens it first; only when it has gone does it
// try the exact name and look again. The inverted spelling never stands alone, so what is
// remembered is always the upper-case or the capitalized one; no scene holds it beside the
// exact name, and whenever it is there it is also what a fresh look would find: a run's
// outcome does not depend on the runs before it.
enum class Spelling { kLower, kUpper, kCapitalized, kTwoSpellings };

// Something standing where a run reads or writes. "The output" is the output file that the
// input chooses (see each target); "an input" is one of the game's regular input files.
enum class Obstacle {
  kNone,
  kOutputLinkOutside,     // the output: a symbolic link to a file beside the game directory
  kOutputLinkInput,       // the output: a symbolic link to an input
  kOutputHardLink,        // the output: a second hard link of an input
  kOutputDanglingLink,    // the output: a symbolic link to a name beside the game that is not there
  kOutputFifo,            // the output: a FIFO
  kOutputDirectory,       // the output: a directory
  kDirectoryLinkOutside,  // the bulk walk's type directory, elsewhere the output: a symbolic
                          // link to a directory beside the game directory
  kInputFifo,             // the directory file (the object or vocabulary file): a FIFO
  kInputDirectory,        // the directory file (the object or vocabulary file): a directory
  kVolumeFifo,            // a volume file: a FIFO
  kVolumeDirectory,       // a volume file: a directory
};
constexpr unsigned kObstacleCount = 12;  // an obstacle field beyond the last places nothing

// Input layout of the two extraction targets (a missing byte reads as 0):
//
//   byte 0        bits 1-0: the resource type index
//                 bit 2:    the type's directory file is left out
//                 bit 3:    something stands where the output goes: a plain file named after
//                           the type (bulk walk), a directory named "%s.%d" (single extraction);
//                           no other obstacle is then put at the output
//                 bits 5-4: the spelling of the input names (Spelling)
//                 bit 6:    an obstacle byte follows
//   obstacle      only with bit 6: bits 3-0 the Obstacle, bits 7-4 a place P choosing among
//                 the candidates in the order the extraction meets them, wrapping around:
//                 the volume file among those the directory's entries name, the output
//                 among those the extraction would write (the bulk walk), and the input a
//                 link leads to among the directory file and the volume files
//   number        single extraction only: a byte below 0xF0 is the number itself; from 0xF0
//                 on, the next four bytes, high byte first, with bit 31 cleared
//   byte          length L of the directory file, then its L bytes
//   chunks        until the input ends: a byte whose low four bits name a volume, a two-byte
//                 length N (high byte first), then N bytes appended to that volume file
//                 (fewer if the input ends first). A volume file exists only if a chunk
//                 names it, so a chunk with N = 0 makes an empty one.
struct FuzzGame {
  int type = 0;
  bool directory_missing = false;
  bool output_blocked = false;
  Spelling spelling = Spelling::kLower;
  Obstacle obstacle = Obstacle::kNone;
  unsigned place = 0;
  int number = 0;
  Bytes directory;
  std::map<unsigned, Bytes> volumes;
};

FuzzGame decode_fuzz_game(const uint8_t* data, size_t size, bool with_number);
Bytes encode_fuzz_game(const FuzzGame& game, bool with_number);
// The type's directory file and the volume files taken from a game_builder tree.
FuzzGame fuzz_game_from_tree(const FileTree& tree, int type);
// The directory file and the volume files, in lower case and without obstacles.
FileTree fuzz_game_files(const FuzzGame& game);

// The leading byte of the object and vocabulary targets' inputs, before the file itself:
// bits 1-0 the Spelling, bits 5-2 the Obstacle (the volume obstacles place nothing there).
struct SideSetup {
  Spelling spelling = Spelling::kLower;
  Obstacle obstacle = Obstacle::kNone;
};
SideSetup decode_side_setup(unsigned byte);
unsigned char encode_side_setup(const SideSetup& setup);

// --- Scenes ----------------------------------------------------------------------------

// The files a run starts with: regular files and directories, then links and FIFOs made
// after them, and the files of a directory beside the game directory ("../outside") that
// links may lead to.
struct Scene {
  FileTree files;
  std::vector<SpecialFile> specials;
  FileTree outside;
};

// The game directory as read_tree shows it before the run.
FileTree scene_tree(const Scene& scene);

// `name` as the spelling writes it; with two spellings, the one to be opened.
std::string spelled_name(const std::string& name, Spelling spelling);
// Renames every input file at the top of the scene (the directory files, "vol.N", "object",
// "words.tok"), FIFOs and directories in their place included, and adds the decoys of two
// spellings. Called before any output obstacle, which names inputs by their spelling.
void spell_inputs(Scene& scene, Spelling spelling);

// True for the obstacles that stand in place of an input or of a volume file.
bool is_input_obstacle(Obstacle obstacle);
// Puts the FIFO or directory of an input obstacle in place of the scene's `name`.
void place_input_obstacle(Scene& scene, Obstacle obstacle, const std::string& name);
// Puts an output obstacle at `path` of the game directory, making the directory it stands
// in. The input links lead to is `input`, a regular file at the top of the scene; a hard
// link needs one. Does nothing for the other obstacles.
void place_output_obstacle(Scene& scene, Obstacle obstacle, const std::string& path,
                           const std::string& input);
// True when the output obstacle leaves a name that cannot be created.
bool blocks_output(Obstacle obstacle);

// The scene of an extraction game: its files, the obstacle in place of the directory file
// or of a volume file, and the spelling. `used_volumes` are the volume numbers the
// extraction opens, in order.
Scene extraction_scene(const FuzzGame& game, const std::vector<unsigned>& used_volumes);
// The game as the extraction can read it: a directory file or volume file with an obstacle
// in its place is one that cannot be opened, as if it were missing.
FuzzGame readable_game(const FuzzGame& game, const std::vector<unsigned>& used_volumes);
// The input that an output link of the game leads to: the directory file, then the volume
// files, chosen by the place among those that are regular files of the scene (the spelled
// directory file name when there are none).
std::string linked_input(const FuzzGame& game, const Scene& scene);

// The scene of the object or vocabulary target: the file `input` holding `bytes`, with the
// setup's obstacle in its place or at `output`, and the setup's spelling.
Scene side_scene(const std::string& input, const Bytes& bytes, const std::string& output,
                 const SideSetup& setup);

// --- Models ----------------------------------------------------------------------------

// What the extractions must find in a volume file: the signed length at offset + 3 (a byte
// beyond the end reads as -1, the low byte masked to 8 bits), and `length` bytes from
// offset + 5 with the bytes beyond the end as zeros.
int expected_resource_length(const Bytes& volume, uint64_t offset);
Bytes expected_resource_data(const Bytes& volume, uint64_t offset, int length);

// What an operation must do: end the process or return, print `out`, and leave `tree` in
// the game directory and `outside` beside it.
struct ExpectedOutcome {
  bool exited = false;
  std::string out;
  FileTree tree;
  FileTree outside;
};

// The outcome expected before the operation does anything: the scene left as it is.
ExpectedOutcome unchanged_scene(const Scene& scene);

// What the object or vocabulary conversion of a side scene does when the setup's obstacle
// keeps it from opening `input` or creating its output: a message, and the scene left as it
// is. Empty when the conversion goes ahead.
std::string expected_side_refusal(const SideSetup& setup, const std::string& input);

// The volume file that the entry bytes b0 b1 b2 name, with the resource's offset stored.
// When the game has no such volume file, the extraction ends the process: its message is
// added to `expected`, which is marked as exited, and the result is null.
const Bytes* expected_entry_volume(const FuzzGame& game, unsigned b0, unsigned b1, unsigned b2,
                                   uint64_t* offset, ExpectedOutcome& expected);

// --- Runs ------------------------------------------------------------------------------

enum class Operation {
  kExtractResource,
  kExtractResourceType,
  kConvertObjectFile,
  kConvertVocabulary,
};

struct Outcome {
  bool exited;  // the operation ended the process (here: returned through exit)
  int status;   // its exit status when `exited`
  std::string out;
  FileTree tree;     // everything left in the working directory
  FileTree outside;  // everything left in the directory beside it
};

// Empties the scratch working directory and the one beside it, lays out `scene` there and
// runs the operation. A run that returns normally must leave no stream open.
Outcome run_operation(const Scene& scene, Operation operation, int type, int number);

// Prints what went wrong with the input's outcome to stderr and aborts, which libFuzzer
// reports as a crash and saves the input.
[[noreturn]] void fuzz_failure(const char* what, const Outcome& outcome,
                               const std::string& expected_out);

// Aborts through fuzz_failure unless the outcome is exactly the expected one.
void expect_outcome(const Outcome& outcome, const ExpectedOutcome& expected);

#endif  // KESK_FUZZ_FUZZ_SUPPORT_H
