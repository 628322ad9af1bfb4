// Micro-benchmarks: the object cipher against memcpy of the same buffer, and the vocabulary
// converter on a large "words.tok". After the usual table, the cipher's speed is printed as
// a share of memcpy's.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_game.h"
#include "converters/converters.h"

namespace {

constexpr size_t kObjectBufferSize = 1 << 20;
constexpr int kLargeVocabularyWords = 4000;
constexpr size_t kLargeLastLetterBytes = 2 << 20;

void BM_XorObjectBuffer(benchmark::State& state) {
  Bytes buffer = pattern_bytes(kObjectBufferSize, 1);
  for (auto _ : state) {
    xor_object_buffer(buffer.data(), buffer.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer.size()));
}
BENCHMARK(BM_XorObjectBuffer);

void BM_Memcpy(benchmark::State& state) {
  Bytes source = pattern_bytes(kObjectBufferSize, 1);
  Bytes target(kObjectBufferSize);
  for (auto _ : state) {
    memcpy(target.data(), source.data(), source.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}
BENCHMARK(BM_Memcpy);

// The converter reads and writes in the working directory, so the benchmark runs in a
// scratch directory, with the converter's progress line sent to /dev/null.
void BM_ConvertVocabulary(benchmark::State& state) {
  Bytes tok = bench_vocabulary(kLargeVocabularyWords, kLargeLastLetterBytes);
  std::string directory = make_scratch_directory();
  write_tree(directory, {{"words.tok", tok}});
  char previous[4096];
  if (getcwd(previous, sizeof previous) == nullptr || chdir(directory.c_str()) != 0) {
    state.SkipWithError("cannot enter the scratch directory");
    return;
  }
  fflush(stdout);
  int console = dup(1);
  FILE* null_output = fopen("/dev/null", "w");
  dup2(fileno(null_output), 1);
  for (auto _ : state) {
    convert_vocabulary();
  }
  fflush(stdout);
  dup2(console, 1);
  close(console);
  fclose(null_output);
  FileTree left = read_tree(".");
  if (chdir(previous) != 0) {
    state.SkipWithError("cannot leave the scratch directory");
  }
  remove_tree(directory);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * tok.size()));
  state.counters["tok_bytes"] = static_cast<double>(tok.size());
  state.counters["txt_bytes"] = static_cast<double>(left["words.txt"].size());
}
BENCHMARK(BM_ConvertVocabulary)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps each benchmark's throughput for the closing comparison.
class ThroughputReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so that logs stay readable.
  ThroughputReporter() : ConsoleReporter(isatty(1) ? OO_Defaults : OO_Tabular) {}

  std::map<std::string, double> bytes_per_second;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      auto rate = run.counters.find("bytes_per_second");
      if (rate != run.counters.end()) {
        bytes_per_second[run.benchmark_name()] = rate->second;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  ThroughputReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  double cipher = reporter.bytes_per_second["BM_XorObjectBuffer"];
  double copy = reporter.bytes_per_second["BM_Memcpy"];
  if (cipher > 0 && copy > 0) {
    printf("\nxor_object_buffer on 1 MiB: %.2f GiB/s, memcpy: %.2f GiB/s, memcpy/cipher %.2f\n",
           cipher / (1 << 30), copy / (1 << 30), copy / cipher);
    printf("  target: the cipher within 2x of memcpy: %s\n",
           copy / cipher <= 2.0 ? "met" : "MISSED");
  }
  return 0;
}
