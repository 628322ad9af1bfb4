// Shared by the fuzz targets: the input layout that the extraction targets decode into a
// game, and one run of a kesk operation in a scratch directory reused across runs.
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

#include "tests/game_builder.h"

// Input layout of the two extraction targets (a missing byte reads as 0):
//
//   byte 0        bits 1-0: the resource type index
//                 bit 2:    the type's directory file is left out
//                 bit 3:    something stands where the output goes: a plain file named after
//                           the type (bulk walk), a directory named "%s.%d" (single extraction)
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
  int number = 0;
  Bytes directory;
  std::map<unsigned, Bytes> volumes;
};

FuzzGame decode_fuzz_game(const uint8_t* data, size_t size, bool with_number);
Bytes encode_fuzz_game(const FuzzGame& game, bool with_number);
// The type's directory file and the volume files taken from a game_builder tree.
FuzzGame fuzz_game_from_tree(const FileTree& tree, int type);
// The directory file and the volume files; each target adds what blocks its output.
FileTree fuzz_game_files(const FuzzGame& game);

// What the extractions must find in a volume file: the signed length at offset + 3 (a byte
// beyond the end reads as -1, the low byte masked to 8 bits), and `length` bytes from
// offset + 5 with the bytes beyond the end as zeros.
int expected_resource_length(const Bytes& volume, uint64_t offset);
Bytes expected_resource_data(const Bytes& volume, uint64_t offset, int length);

// What an extraction must do: end the process or return, print `out`, and leave `tree`.
struct ExpectedOutcome {
  bool exited = false;
  std::string out;
  FileTree tree;
};

// The volume file that the entry bytes b0 b1 b2 name, with the resource's offset stored.
// When the game has no such volume file, the extraction ends the process: its message is
// added to `expected`, which is marked as exited, and the result is null.
const Bytes* expected_entry_volume(const FuzzGame& game, unsigned b0, unsigned b1, unsigned b2,
                                   uint64_t* offset, ExpectedOutcome& expected);

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
  FileTree tree;  // everything left in the working directory
};

// Empties the scratch working directory, writes `files` there and runs the operation.
// A run that returns normally must leave no stream open.
Outcome run_operation(const FileTree& files, Operation operation, int type, int number);

// Prints what went wrong with the input's outcome to stderr and aborts, which libFuzzer
// reports as a crash and saves the input.
[[noreturn]] void fuzz_failure(const char* what, const Outcome& outcome,
                               const std::string& expected_out);

// Aborts through fuzz_failure unless the outcome is exactly the expected one.
void expect_outcome(const Outcome& outcome, bool exited, const std::string& out,
                    const FileTree& tree);

#endif  // KESK_FUZZ_FUZZ_SUPPORT_H
