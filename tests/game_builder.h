// Builds game files byte by byte in a scratch directory, runs the kesk binary there and
// reads back everything it left. Shared by every test, fuzz target and benchmark that
// needs game data.
#ifndef KESK_TESTS_GAME_BUILDER_H
#define KESK_TESTS_GAME_BUILDER_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// Relative path -> contents. A directory is listed as "name/" with empty contents.
using FileTree = std::map<std::string, Bytes>;

Bytes bytes_of(const std::string& text);
std::string text_of(const Bytes& bytes);
// Deterministic filler: `length` bytes from a simple generator seeded by `seed`.
Bytes pattern_bytes(size_t length, uint32_t seed);

// --- Directory files and volumes -----------------------------------------------------
extern const char* const kDirectoryFiles[4];  // "logdir", "picdir", "viewdir", "snddir"
extern const char* const kTypeNames[4];       // "logic", "picture", "view", "sound"

// The three entry bytes for a volume and a 20-bit offset.
Bytes directory_entry(unsigned volume, uint32_t offset);
// A resource as it stands in a volume: three header bytes, the declared length (low byte
// first) and the data. `declared_length` < 0 declares the data's own size.
Bytes volume_record(const Bytes& data, long declared_length = -1);
// Appends volume_record(data, declared_length) to "vol.<volume>" and writes its entry at
// position 3 x number of the type's directory file, padding any gap with 0xFF bytes.
// Returns the record's offset in the volume.
uint32_t add_resource(FileTree& game, int type, int number, unsigned volume, const Bytes& data,
                      long declared_length = -1);
// As add_resource, with the record at `offset` of the volume, which is padded with zero
// bytes up to it; a volume already longer than `offset` throws std::logic_error.
void add_resource_at(FileTree& game, int type, int number, unsigned volume, uint32_t offset,
                     const Bytes& data, long declared_length = -1);
// Sets the three bytes of entry `number` of the type's directory file, padding with 0xFF.
void set_entry(FileTree& game, int type, int number, const Bytes& entry);

// --- Side files ------------------------------------------------------------------------
// XOR with the 11-byte object key, written here independently of the product's cipher.
Bytes object_cipher(const Bytes& data);

// A plain (not yet enciphered) object file: the table size, the animated-object count,
// one 3-byte entry per item (its name's position less 3, its starting room), then the names,
// each ending in a 0 byte.
Bytes object_table(const std::vector<std::pair<std::string, int>>& items);

// --- Logics ----------------------------------------------------------------------------
// A logic's data as the games' compilers lay it out: the code's length, the code, then the
// message section (the number of slots, the end offset, a slot per message number, 0 for a
// number without a message, then the texts, each ending in 0, enciphered with the object
// key from the first text on). messages[i] is message i + 1; an empty string has no slot.
Bytes logic_data(const Bytes& code, const std::vector<std::string>& messages);

// One record of a word list, stored exactly as given (no prefix computing).
struct WordRecord {
  int prefix;
  std::string characters;  // at least one character
  int group;
};
// Encodes a record: prefix count, characters XOR 0x7F with bit 7 on the last, group.
Bytes encode_word_record(const WordRecord& record);
// A complete "words.tok" as the games' own tools write it: 26 big-endian offsets, each
// non-empty letter's records directly after the previous letter's, and one closing 0 byte.
// letters[i] is letter 'A' + i.
Bytes vocabulary_file(const std::vector<std::vector<WordRecord>>& letters);
// Records for sorted (word, group) pairs of one letter, with the shared prefix counts.
std::vector<WordRecord> compress_words(const std::vector<std::pair<std::string, int>>& words);

// --- Running kesk ---------------------------------------------------------------------
std::string make_scratch_directory();
void remove_tree(const std::string& directory);
void write_tree(const std::string& directory, const FileTree& tree);
FileTree read_tree(const std::string& directory);

struct RunResult {
  int status;  // exit status, or 128 + signal number
  std::string out;
  std::string err;
  double wall_seconds = 0;  // from the fork to the child's end
  double cpu_seconds = 0;   // the child's user and system time
  long peak_rss_kib = 0;    // the child's peak resident set size
};
// A file size limit for RunOptions: kesk's messages and the coverage data of an instrumented
// build stay below it, so only the outputs that a test makes larger meet it.
constexpr long kWriteLimit = 16384;

struct RunOptions {
  std::vector<std::string> environment;  // extra NAME=VALUE settings for the child
  unsigned time_limit_seconds = 0;       // SIGALRM ends the child after this long when > 0
  std::string program;                   // when set, run instead of kesk (and without KESK_WRAPPER)
  // When > 0, the child may not write a file beyond this many bytes (RLIMIT_FSIZE, with
  // SIGXFSZ ignored, so that such a write fails instead). Its standard output, a file too,
  // must stay below it.
  long file_size_limit = 0;
};
// Runs kesk in `directory`. The binary is KESK_BINARY from the environment when set,
// else the one this build made; KESK_WRAPPER (for example "wine") runs it when set.
// For a Windows binary (running_windows_binary()) `out` is given with the Windows text
// convention undone: every line feed of its standard output must arrive as CR LF, and
// exactly those CRs are removed; a bare line feed or a CR before anything but a line feed
// throws std::runtime_error, which fails the test.
RunResult run_kesk(const std::string& directory, const std::vector<std::string>& args,
                   const RunOptions& options = RunOptions());

// True when the kesk under test is a Windows program, run under Wine (KESK_WINDOWS_BINARY=1
// in the environment, as the windows test preset sets it). Its standard output is in text
// mode, and the directories it makes carry no POSIX mode bits of its choosing.
bool running_windows_binary();

// The file mode bits (for example 0755) of a path, or -1.
int file_mode(const std::string& path);

// Something other than a regular file or a directory, made in a scratch directory after
// the game's files. read_tree shows a symbolic link as "-> target" and a FIFO as "<fifo>".
struct SpecialFile {
  enum Kind { kSymbolicLink, kHardLink, kFifo };
  Kind kind;
  std::string name;
  std::string target;  // a symbolic link's contents, or the existing name a hard link shares
};
void make_special_files(const std::string& directory, const std::vector<SpecialFile>& files);

// One run of kesk in a fresh scratch directory: `game` is written there, the special files
// are added, kesk runs with `args`, and the whole tree it left is read back before the
// directory is removed.
struct ScratchRun {
  RunResult result;
  FileTree tree;
};
ScratchRun run_in_scratch(const FileTree& game, const std::vector<std::string>& args,
                          const std::vector<SpecialFile>& specials = {},
                          const RunOptions& options = RunOptions());

#endif  // KESK_TESTS_GAME_BUILDER_H
