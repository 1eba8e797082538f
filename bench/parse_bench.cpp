// Sentence throughput: ParseSentence over every corpus receiver log through
// a whole NmeaStack (library and record store), and ComposeSentence of the
// upgrade engine's DBG command. Reports sentences per second.

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "store/nmea_stack.h"
#include "tests/corpus_lines.h"

namespace {

void SentencesPerSecond(benchmark::State& state, std::size_t perIteration) {
  state.counters["sentences_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations() * perIteration), benchmark::Counter::kIsRate);
}

// Every line of the logs, accepted or not, as `aisfw decode` feeds them.
void ParseCorpus(benchmark::State& state) {
  const std::vector<std::string> lines = corpus::ReceiverLogLines();
  const auto stack = std::make_unique<store::NmeaStack>();
  nmea::SentenceRecord record{};
  for (auto _ : state) {
    for (const std::string& line : lines) {
      benchmark::DoNotOptimize(stack->library.ParseSentence(line, record));
    }
  }
  SentencesPerSecond(state, lines.size());
}
BENCHMARK(ParseCorpus)->Unit(benchmark::kMillisecond);

// Only the lines a parser takes: the parsers themselves, not the refusals.
void ParseAcceptedLines(benchmark::State& state) {
  const auto stack = std::make_unique<store::NmeaStack>();
  nmea::SentenceRecord record{};
  std::vector<std::string> lines;
  for (const std::string& line : corpus::ReceiverLogLines()) {
    if (stack->library.ParseSentence(line, record)) lines.push_back(line);
  }
  for (auto _ : state) {
    for (const std::string& line : lines) {
      benchmark::DoNotOptimize(stack->library.ParseSentence(line, record));
    }
  }
  SentencesPerSecond(state, lines.size());
}
BENCHMARK(ParseAcceptedLines)->Unit(benchmark::kMillisecond);

// The block-count command of an upgrade, composed from the maker record.
void ComposeDbg(benchmark::State& state) {
  const auto stack = std::make_unique<store::NmeaStack>();
  store::DbgRecord& dbg = stack->sentences.Maker().dbg;
  dbg.codes[0] = 103;
  dbg.values[0] = 1234;
  for (int i = 1; i < 4; ++i) {
    dbg.codes[i] = 999;
    dbg.values[i] = 0;
  }
  dbg.letter = 'R';
  nmea::SentenceRecord record{};
  std::array<char, 100> out{};
  for (auto _ : state) {
    benchmark::DoNotOptimize(stack->library.ComposeSentence(out, record, "DBG", "P"));
    benchmark::DoNotOptimize(out.data());
  }
  SentencesPerSecond(state, 1);
}
BENCHMARK(ComposeDbg);

}  // namespace

BENCHMARK_MAIN();
