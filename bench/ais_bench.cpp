// The AIS path end to end: ParseSentence on every !AIVDM line of the test
// corpus, through de-armouring, the decoder and the target table, in
// sentences and decoded messages per second. The corpus holds more stations
// (about 2500) than the table, so from the first pass on the table is full
// and evicts.
//
// ParseCorpus/0 is the common case. ParseCorpus/2249 starts with 2249 other
// stations, all heard in the same second, so nearly every corpus message is
// a new station on a full table and evicts (the entry heard longest ago,
// found through the eviction order kept beside the table): the worst case,
// which should be no slower. TargetUpdate times the lookup of a station at
// the end of a table of 1, 100 and 2249 stations.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "store/nmea_stack.h"
#include "tests/corpus_lines.h"

namespace {

const std::vector<std::string>& CorpusLines() {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> out;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus::Path("ais"))) {
      const std::string name = entry.path().filename().string();
      if (entry.is_regular_file() && name.find(".json") == std::string::npos &&
          name.find(".md") == std::string::npos && name[0] != '.') {
        files.push_back(entry.path());
      }
    }
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
      for (const std::string& line : corpus::FileLines(path)) {
        if (line.rfind("!AIVDM", 0) == 0) out.push_back(line);
      }
    }
    return out;
  }();
  return lines;
}

// Fills the table with `stations` stations that the corpus does not hold.
void Prefill(store::NmeaStack& stack, int stations) {
  store::AisDecodedRecord record;
  record.PutU8(0, 1);
  record.SetHeld(store::AisDecodedRecord::kSize);  // as a whole message 1 would
  for (int i = 0; i < stations; ++i) {
    record.PutU32(2, 100000000u + static_cast<std::uint32_t>(i));
    stack.ais.Targets().Update(record, 0, 0, false);
  }
}

void ParseCorpus(benchmark::State& state) {
  const std::vector<std::string>& lines = CorpusLines();
  store::NmeaStack stack;
  nmea::SentenceRecord record{};
  Prefill(stack, static_cast<int>(state.range(0)));
  std::int64_t decoded = 0;
  for (auto _ : state) {
    for (const std::string& line : lines) {
      decoded += stack.library.ParseSentence(line, record) ? 1 : 0;
    }
  }
  const auto sentences = static_cast<std::int64_t>(state.iterations() * lines.size());
  state.SetItemsProcessed(sentences);
  state.counters["sentences/s"] =
      benchmark::Counter(static_cast<double>(sentences), benchmark::Counter::kIsRate);
  state.counters["messages/s"] =
      benchmark::Counter(static_cast<double>(decoded), benchmark::Counter::kIsRate);
  state.counters["stations"] = stack.ais.Targets().Count();
}
BENCHMARK(ParseCorpus)->Arg(0)->Arg(2249)->Unit(benchmark::kMillisecond);

// One target lookup (and fold-in) of the station added last to a table of
// `range(0)` stations.
void TargetUpdate(benchmark::State& state) {
  store::NmeaStack stack;
  const int stations = static_cast<int>(state.range(0));
  Prefill(stack, stations);
  store::AisDecodedRecord record;
  record.PutU8(0, 1);
  record.SetHeld(store::AisDecodedRecord::kSize);
  record.PutU32(2, 100000000u + static_cast<std::uint32_t>(stations - 1));
  for (auto _ : state) {
    benchmark::DoNotOptimize(stack.ais.Targets().Update(record, 0, 0, false));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(TargetUpdate)->Arg(1)->Arg(100)->Arg(2249);

}  // namespace

BENCHMARK_MAIN();
