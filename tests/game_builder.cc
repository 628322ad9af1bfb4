#include "tests/game_builder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>

#ifndef KESK_DEFAULT_BINARY
#define KESK_DEFAULT_BINARY "kesk"
#endif

const char* const kDirectoryFiles[4] = {"logdir", "picdir", "viewdir", "snddir"};
const char* const kTypeNames[4] = {"logic", "picture", "view", "sound"};

Bytes bytes_of(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

std::string text_of(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

Bytes pattern_bytes(size_t length, uint32_t seed) {
  Bytes bytes(length);
  uint32_t state = seed * 2654435761u + 1;
  for (unsigned char& byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<unsigned char>(state >> 16);
  }
  return bytes;
}

Bytes directory_entry(unsigned volume, uint32_t offset) {
  return {static_cast<unsigned char>((volume << 4) | ((offset >> 16) & 0x0F)),
          static_cast<unsigned char>(offset >> 8), static_cast<unsigned char>(offset)};
}

Bytes volume_record(const Bytes& data, long declared_length) {
  unsigned long length =
      declared_length < 0 ? data.size() : static_cast<unsigned long>(declared_length);
  Bytes record(5 + data.size());
  record[0] = 0x12;
  record[1] = 0x34;
  record[2] = 0x00;
  record[3] = static_cast<unsigned char>(length & 0xFF);
  record[4] = static_cast<unsigned char>((length >> 8) & 0xFF);
  std::copy(data.begin(), data.end(), record.begin() + 5);
  return record;
}

void set_entry(FileTree& game, int type, int number, const Bytes& entry) {
  Bytes& directory = game[kDirectoryFiles[type]];
  size_t position = static_cast<size_t>(number) * 3;
  if (directory.size() < position + 3) {
    directory.resize(position + 3, 0xFF);
  }
  for (size_t i = 0; i < 3 && i < entry.size(); ++i) {
    directory[position + i] = entry[i];
  }
}

uint32_t add_resource(FileTree& game, int type, int number, unsigned volume, const Bytes& data,
                      long declared_length) {
  Bytes& volume_bytes = game["vol." + std::to_string(volume)];
  uint32_t offset = static_cast<uint32_t>(volume_bytes.size());
  Bytes record = volume_record(data, declared_length);
  volume_bytes.insert(volume_bytes.end(), record.begin(), record.end());
  set_entry(game, type, number, directory_entry(volume, offset));
  return offset;
}

void add_resource_at(FileTree& game, int type, int number, unsigned volume, uint32_t offset,
                     const Bytes& data, long declared_length) {
  Bytes& volume_bytes = game["vol." + std::to_string(volume)];
  if (volume_bytes.size() > offset) {
    throw std::logic_error("a record placed over another");
  }
  volume_bytes.resize(offset, 0);
  add_resource(game, type, number, volume, data, declared_length);
}

Bytes object_cipher(const Bytes& data) {
  static const unsigned char key[] = {0x41, 0x76, 0x69, 0x73, 0x20, 0x44,
                                      0x75, 0x72, 0x67, 0x61, 0x6E};
  Bytes out(data);
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<unsigned char>(out[i] ^ key[i % 11]);
  }
  return out;
}

Bytes object_table(const std::vector<std::pair<std::string, int>>& items) {
  size_t table = items.size() * 3;
  Bytes file = {static_cast<unsigned char>(table & 0xFF), static_cast<unsigned char>(table >> 8),
                16};
  Bytes names;
  for (const auto& [name, room] : items) {
    // The name lies at 3 + table + names.size(); entries hold that less 3.
    size_t stored = table + names.size();
    file.push_back(static_cast<unsigned char>(stored & 0xFF));
    file.push_back(static_cast<unsigned char>(stored >> 8));
    file.push_back(static_cast<unsigned char>(room));
    names.insert(names.end(), name.begin(), name.end());
    names.push_back(0);
  }
  file.insert(file.end(), names.begin(), names.end());
  return file;
}

Bytes logic_data(const Bytes& code, const std::vector<std::string>& messages) {
  Bytes data(2 + code.size());
  data[0] = static_cast<unsigned char>(code.size() & 0xFF);
  data[1] = static_cast<unsigned char>(code.size() >> 8);
  std::copy(code.begin(), code.end(), data.begin() + 2);
  size_t count = messages.size();
  Bytes slots;
  Bytes texts;
  for (const std::string& text : messages) {
    size_t offset = text.empty() ? 0 : 2 + 2 * count + texts.size();
    slots.push_back(static_cast<unsigned char>(offset & 0xFF));
    slots.push_back(static_cast<unsigned char>(offset >> 8));
    if (!text.empty()) {
      texts.insert(texts.end(), text.begin(), text.end());
      texts.push_back(0);
    }
  }
  size_t end = 2 + 2 * count + texts.size();
  data.push_back(static_cast<unsigned char>(count));
  data.push_back(static_cast<unsigned char>(end & 0xFF));
  data.push_back(static_cast<unsigned char>(end >> 8));
  data.insert(data.end(), slots.begin(), slots.end());
  Bytes enciphered = object_cipher(texts);
  data.insert(data.end(), enciphered.begin(), enciphered.end());
  return data;
}

Bytes encode_word_record(const WordRecord& record) {
  Bytes bytes = {static_cast<unsigned char>(record.prefix)};
  for (size_t i = 0; i < record.characters.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(record.characters[i]) ^ 0x7F;
    if (i + 1 == record.characters.size()) {
      c |= 0x80;
    }
    bytes.push_back(c);
  }
  bytes.push_back(static_cast<unsigned char>((record.group >> 8) & 0xFF));
  bytes.push_back(static_cast<unsigned char>(record.group & 0xFF));
  return bytes;
}

Bytes vocabulary_file(const std::vector<std::vector<WordRecord>>& letters) {
  Bytes file(52, 0);
  for (size_t letter = 0; letter < letters.size() && letter < 26; ++letter) {
    if (letters[letter].empty()) {
      continue;
    }
    size_t offset = file.size();
    file[letter * 2] = static_cast<unsigned char>(offset >> 8);
    file[letter * 2 + 1] = static_cast<unsigned char>(offset);
    for (const WordRecord& record : letters[letter]) {
      Bytes bytes = encode_word_record(record);
      file.insert(file.end(), bytes.begin(), bytes.end());
    }
  }
  file.push_back(0);
  return file;
}

std::vector<WordRecord> compress_words(const std::vector<std::pair<std::string, int>>& words) {
  std::vector<WordRecord> records;
  std::string previous;
  for (const auto& [word, group] : words) {
    size_t shared = 0;
    while (shared < previous.size() && shared + 1 < word.size() &&
           previous[shared] == word[shared]) {
      ++shared;
    }
    records.push_back({static_cast<int>(shared), word.substr(shared), group});
    previous = word;
  }
  return records;
}

std::string make_scratch_directory() {
  const char* base = getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/kesk-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  return std::string(name.data());
}

void remove_tree(const std::string& directory) {
  DIR* dir = opendir(directory.c_str());
  if (dir != nullptr) {
    while (dirent* item = readdir(dir)) {
      std::string name = item->d_name;
      if (name == "." || name == "..") {
        continue;
      }
      std::string path = directory + "/" + name;
      struct stat info;
      if (lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        remove_tree(path);
      } else {
        unlink(path.c_str());
      }
    }
    closedir(dir);
  }
  rmdir(directory.c_str());
}

void write_tree(const std::string& directory, const FileTree& tree) {
  for (const auto& [name, contents] : tree) {
    std::string path = directory + "/" + name;
    if (!name.empty() && name.back() == '/') {
      mkdir(path.c_str(), 0755);
      continue;
    }
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) {
      throw std::runtime_error("cannot create " + path);
    }
    if (!contents.empty()) {
      fwrite(contents.data(), 1, contents.size(), file);
    }
    fclose(file);
  }
}

static void read_tree_into(const std::string& root, const std::string& prefix, FileTree& tree) {
  DIR* dir = opendir((root + "/" + prefix).c_str());
  if (dir == nullptr) {
    return;
  }
  while (dirent* item = readdir(dir)) {
    std::string name = item->d_name;
    if (name == "." || name == "..") {
      continue;
    }
    std::string relative = prefix + name;
    std::string path = root + "/" + relative;
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) {
      continue;
    }
    if (S_ISDIR(info.st_mode)) {
      tree[relative + "/"] = Bytes();
      read_tree_into(root, relative + "/", tree);
    } else if (S_ISLNK(info.st_mode)) {
      char target[4096];
      ssize_t n = readlink(path.c_str(), target, sizeof target);
      tree[relative] = bytes_of("-> " + std::string(target, n > 0 ? static_cast<size_t>(n) : 0));
    } else if (S_ISFIFO(info.st_mode)) {
      tree[relative] = bytes_of("<fifo>");  // never opened: that would wait for a writer
    } else {
      Bytes contents;
      FILE* file = fopen(path.c_str(), "rb");
      if (file != nullptr) {
        unsigned char block[65536];
        size_t got;
        while ((got = fread(block, 1, sizeof block, file)) > 0) {
          contents.insert(contents.end(), block, block + got);
        }
        fclose(file);
      }
      tree[relative] = contents;
    }
  }
  closedir(dir);
}

FileTree read_tree(const std::string& directory) {
  FileTree tree;
  read_tree_into(directory, "", tree);
  return tree;
}

static std::string read_whole_file(const std::string& path) {
  std::string text;
  FILE* file = fopen(path.c_str(), "rb");
  if (file != nullptr) {
    char block[4096];
    size_t got;
    while ((got = fread(block, 1, sizeof block, file)) > 0) {
      text.append(block, got);
    }
    fclose(file);
  }
  return text;
}

bool running_windows_binary() {
  const char* flag = getenv("KESK_WINDOWS_BINARY");
  return flag != nullptr && strcmp(flag, "1") == 0;
}

// A Windows program's standard output is in text mode, which writes each line feed as
// CR LF. Undoes exactly that one translation; any other CR, and a line feed without its
// CR, is a fault of the program.
static std::string undo_windows_line_ends(const std::string& text) {
  std::string plain;
  plain.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      plain += '\n';
      ++i;
    } else if (text[i] == '\r' || text[i] == '\n') {
      throw std::runtime_error(std::string("standard output of the Windows binary has a ") +
                               (text[i] == '\r' ? "CR without a line feed" : "bare line feed") +
                               " at byte " + std::to_string(i) + " of: " + text);
    } else {
      plain += text[i];
    }
  }
  return plain;
}

RunResult run_kesk(const std::string& directory, const std::vector<std::string>& args,
                   const RunOptions& options) {
  const char* binary = getenv("KESK_BINARY");
  std::string program = binary != nullptr && *binary != '\0' ? binary : KESK_DEFAULT_BINARY;
  const char* wrapper = getenv("KESK_WRAPPER");
  if (!options.program.empty()) {
    program = options.program;
    wrapper = nullptr;
  }
  std::vector<std::string> words;
  if (wrapper != nullptr && *wrapper != '\0') {
    words.push_back(wrapper);
  }
  words.push_back(program);
  words.insert(words.end(), args.begin(), args.end());

  // Standard output and error go to files beside, not inside, the game directory.
  std::string out_path = directory + ".out";
  std::string err_path = directory + ".err";
  timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t child = fork();
  if (child < 0) {
    throw std::runtime_error("fork failed");
  }
  if (child == 0) {
    int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int in = open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0 || chdir(directory.c_str()) != 0) {
      _exit(127);
    }
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    for (const std::string& setting : options.environment) {
      size_t equals = setting.find('=');
      setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
    }
    if (options.file_size_limit > 0) {
      struct rlimit limit = {static_cast<rlim_t>(options.file_size_limit),
                             static_cast<rlim_t>(options.file_size_limit)};
      signal(SIGXFSZ, SIG_IGN);  // an ignored signal stays ignored across the exec
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.time_limit_seconds > 0) {
      alarm(options.time_limit_seconds);  // a pending alarm survives the exec
    }
    std::vector<char*> argv;
    for (std::string& word : words) {
      argv.push_back(&word[0]);
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int wait_status = 0;
  struct rusage usage = {};
  wait4(child, &wait_status, 0, &usage);
  timespec end;
  clock_gettime(CLOCK_MONOTONIC, &end);
  RunResult result;
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
  result.wall_seconds =
      static_cast<double>(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) * 1e-9;
  result.cpu_seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  result.peak_rss_kib = usage.ru_maxrss;
  result.out = read_whole_file(out_path);
  result.err = read_whole_file(err_path);
  unlink(out_path.c_str());
  unlink(err_path.c_str());
  if (options.program.empty() && running_windows_binary()) {
    result.out = undo_windows_line_ends(result.out);
  }
  return result;
}

int file_mode(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    return -1;
  }
  return static_cast<int>(info.st_mode & 07777);
}

void make_special_files(const std::string& directory, const std::vector<SpecialFile>& files) {
  for (const SpecialFile& file : files) {
    std::string path = directory + "/" + file.name;
    int made = -1;
    switch (file.kind) {
      case SpecialFile::kSymbolicLink:
        made = symlink(file.target.c_str(), path.c_str());
        break;
      case SpecialFile::kHardLink:
        made = link((directory + "/" + file.target).c_str(), path.c_str());
        break;
      case SpecialFile::kFifo:
        made = mkfifo(path.c_str(), 0644);
        break;
    }
    if (made != 0) {
      throw std::runtime_error("cannot make " + path);
    }
  }
}

ScratchRun run_in_scratch(const FileTree& game, const std::vector<std::string>& args,
                          const std::vector<SpecialFile>& specials, const RunOptions& options) {
  std::string directory = make_scratch_directory();
  ScratchRun run;
  try {
    write_tree(directory, game);
    make_special_files(directory, specials);
    run.result = run_kesk(directory, args, options);
  } catch (...) {
    remove_tree(directory);
    throw;
  }
  run.tree = read_tree(directory);
  remove_tree(directory);
  return run;
}
