// The AIS corpus decoded message by message and compared with a peer
// decoder's raw-integer output (gpsdecode -u -j, stored beside each capture):
// MMSI, positions, speed, course, heading, names, call signs, destinations,
// dimensions, ship type, IMO number, and the texts of messages 12 and 14.
//
// Every disagreement is listed. Those that follow from what this decoder is
// built to do (the older layouts, the whole-byte de-armouring, the message
// ids it knows, the sentences the library accepts) carry the name of their
// cause; any other one fails the test. Texts are compared without their
// trailing blanks, which the peer drops and this decoder keeps.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "cli/line_reader.h"
#include "fake_clock.h"
#include "store/ais_describe.h"
#include "store/nmea_stack.h"

namespace store {
namespace {

using nlohmann::json;
using nmea::SentenceFault;

const std::string kCorpus = std::string(AISFW_TEST_DATA) + "/corpus/ais/";

const char* const kFiles[] = {
    "gpsd/sample.aivdm",
    "gpsd/ais-18-27.log",
    "gpsd/ais-nmea-type6-fid55.log",
    "gpsd/ais-nmea.log",
    "gpsd/ais-raw-messages.log",
    "gpsd/ais_unpack_sixbit.log",
    "../nmea/ait250.log",
    "../nmea/saab-r4.log",
    "libais/typeexamples.nmea",
    "libais/test.aivdm",
    "libais/tagblock.nmea",
    "pyais/ais_test_messages",
    "pyais/gatehouse.nmea",
    "pyais/messages.ais",
    "pyais/mixed.txt",
    "pyais/nmea_data_sample.txt",
    "pyais/timestamped.ais",
    "dma-aislib/ais250.txt",
    "dma-aislib/decode_encode_messages.txt",
    "dma-aislib/replay_dump.txt",
    "dma-aislib/stream_example.txt",
};

// The causes of the expected disagreements.
namespace cause {
// The de-armouring and the layouts.
constexpr const char* kFillBits = "fill bits other than 0, 2 or 4 are refused";
constexpr const char* kWholeBytes =
    "whole-byte de-armouring refuses a payload whose length does not fit its fill bits";
constexpr const char* kUnknownId = "message ids 27 to 62 have no layout";
constexpr const char* kShort = "a short message is decoded as far as it goes; the peer refuses it";
constexpr const char* kHeading = "a heading above 359 is kept as 511";
constexpr const char* kAtInside =
    "only trailing '@' padding is trimmed; the peer ends a text at its first '@'";
constexpr const char* kNameExtension =
    "the aid-to-navigation name extension is a fixed field of 14 characters";
constexpr const char* kReservedPart =
    "message 24 part numbers 2 and 3 are reserved; the peer drops them";
constexpr const char* kLonePartB =
    "message 24 part B whose part A the peer no longer holds; it reports part B only merged "
    "with one of the last eight part A";
// The sentences the library accepts.
constexpr const char* kTagBlock = "a tag block in front of the sentence: the line is no sentence";
constexpr const char* kTooLong =
    "a sentence of 99 characters or more (the standard allows 82) is refused";
constexpr const char* kLongFragment =
    "a sentence with more than 62 payload characters (63 with a sequence id) is refused";
constexpr const char* kInterleaved =
    "one message per formatter is collected at a time: sentences of another message in "
    "between break it";
// The peer's own choices.
constexpr const char* kTalker = "the peer reads VDM sentences of the talkers AI, AB and BS only";
}  // namespace cause

using Value = std::variant<std::int64_t, double, std::string>;

struct Attempt {
  int line = 0;
  std::string talker;
  bool decoded = false;
  SentenceFault fault = SentenceFault::None;
  std::optional<const char*> refusedSentence;  // why the library refused a sentence of it
  int fillBits = 0;
  std::uint32_t type = 0;
  std::uint32_t mmsi = 0;
  std::uint16_t bitCount = 0;
  bool lonePartB = false;
  std::map<std::string, Value> fields;

  std::int64_t Whole(const std::string& name) const {
    const auto it = fields.find(name);
    return it == fields.end() ? 0 : std::get<std::int64_t>(it->second);
  }
  std::optional<std::string> Text(const std::string& name) const {
    const auto it = fields.find(name);
    if (it == fields.end()) return std::nullopt;
    return std::get<std::string>(it->second);
  }
};

struct Disagreement {
  std::string file;
  int line;
  std::uint32_t type;
  std::uint32_t mmsi;
  std::string what;
  std::string cause;  // empty: unexpected
};

struct Tally {
  int peerReports = 0;
  int matched = 0;
  int fieldsCompared = 0;
  std::vector<Disagreement> disagreements;
};

std::string RightTrimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// Message id and MMSI from the first characters of a payload, for messages
// this decoder did not decode.
void Identify(const char* payloadText, Attempt& a) {
  nmea::AisPayloadRecord head{};
  std::memset(head.payload, '0', 8);  // a short payload reads as zero bits
  std::memcpy(head.payload, payloadText, strnlen(payloadText, 8));
  AisBitBuffer bits;
  AisDearmour(head, bits);
  a.type = AisReadBits(bits, 0, 6);
  a.mmsi = AisReadBits(bits, 8, 30);
}

// The fields of a VDM/VDO line as written, whatever the library made of it.
struct RawSentence {
  int total = 0;
  int number = 0;
  std::string message;  // sequence id and channel: which message it belongs to
  std::string payload;
};

std::optional<RawSentence> RawFields(const std::string& line) {
  std::size_t at = line.find("VDM,");
  if (at == std::string::npos) at = line.find("VDO,");
  if (at == std::string::npos) return std::nullopt;
  std::vector<std::string> fields;
  std::stringstream rest(line.substr(at));
  for (std::string f; std::getline(rest, f, ',');) fields.push_back(f);
  if (fields.size() < 7) return std::nullopt;
  return RawSentence{std::atoi(fields[1].c_str()), std::atoi(fields[2].c_str()),
                     fields[3] + "," + fields[4], fields[5]};
}

const char* WhyRefused(const std::string& line, SentenceFault fault) {
  if (line[0] == '\\') return cause::kTagBlock;
  if (fault == SentenceFault::Length) return cause::kLongFragment;
  if (fault == SentenceFault::TooLong) return cause::kTooLong;
  return "";
}

std::vector<Attempt> DecodeFile(const std::string& path) {
  testing_support::FakeClock clock;
  NmeaStack stack(&clock);
  nmea::SentenceRecord record{};
  std::vector<Attempt> attempts;
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;

  // The first sentence of each message being collected, and why the library
  // refused one of its sentences, if it did.
  struct Pending {
    std::string firstPayload;
    const char* refused = nullptr;
  };
  std::map<std::string, Pending> pending;

  std::string line;
  int number = 0;
  while (cli::ReadNmeaLine(in, line)) {
    ++number;
    const bool ok = stack.library.ParseSentence(line, record);
    const SentenceFault fault = stack.library.LastFault();
    Attempt a;
    a.line = number;
    a.fault = fault;
    if (ok && record.start == '!' && stack.ais.HasDecoded()) {
      a.decoded = true;
      a.talker = record.talker;
      a.bitCount = stack.ais.Bits().bitCount;
      for (const AisNamedValue& f : stack.ais.DescribeLastDecoded()) {
        Value v;
        if (const auto* whole = std::get_if<std::int64_t>(&f.value)) v = *whole;
        if (const auto* real = std::get_if<float>(&f.value)) v = static_cast<double>(*real);
        if (const auto* text = std::get_if<std::string_view>(&f.value)) v = std::string(*text);
        a.fields[std::string(f.name)] = v;
      }
      a.type = static_cast<std::uint32_t>(a.Whole("type"));
      a.mmsi = static_cast<std::uint32_t>(a.Whole("mmsi"));
    } else if (fault == SentenceFault::AisPayload || fault == SentenceFault::AisMessage) {
      a.fillBits = stack.library.LastPayload().fillBits;
      Identify(stack.library.LastPayload().payload, a);
    } else if (const std::optional<RawSentence> raw = RawFields(line); raw && !ok) {
      const char* why = fault == SentenceFault::Fragment || fault == SentenceFault::BrokenFragment
                            ? nullptr
                            : WhyRefused(line, fault);
      Pending& message = pending[raw->message];
      if (raw->number == 1) {
        message = {raw->payload, why};
      } else if (why != nullptr) {
        message.refused = why;
      } else if (fault == SentenceFault::BrokenFragment && message.refused == nullptr &&
                 !message.firstPayload.empty()) {
        message.refused = cause::kInterleaved;
      }
      if (raw->number != raw->total || message.refused == nullptr) continue;
      a.refusedSentence = message.refused;
      Identify(message.firstPayload.c_str(), a);
    } else {
      continue;
    }
    attempts.push_back(std::move(a));
  }
  return attempts;
}

std::vector<json> PeerReports(const std::string& path) {
  std::vector<json> reports;
  std::ifstream in(path);
  EXPECT_TRUE(in.good()) << path;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    json j = json::parse(line);
    if (j.value("class", "") == "AIS") reports.push_back(std::move(j));
  }
  return reports;
}

class Comparison {
 public:
  Comparison(std::string file, Tally& tally) : file_(std::move(file)), tally_(tally) {}

  // A message of ours that the peer did not report.
  void OursOnly(const Attempt& a) {
    if (!a.decoded) return;  // refused by both
    const char* what = "decoded, peer silent";
    if (a.talker != "AI" && a.talker != "AB" && a.talker != "BS")
      return Note(a, what, cause::kTalker);
    if (a.type == 24 && a.Whole("partno") >= 2) return Note(a, what, cause::kReservedPart);
    if (a.type == 24 && a.lonePartB) return Note(a, what, cause::kLonePartB);
    if (a.bitCount < NominalBits(a)) return Note(a, what, cause::kShort);
    Note(a, what, nullptr);
  }

  // A report of the peer for which `refused` (if any) is our attempt.
  void PeerOnly(const json& j, const Attempt* refused) {
    Attempt a;
    a.line = refused != nullptr ? refused->line : 0;
    a.type = j.value("type", 0u);
    a.mmsi = j.value("mmsi", 0u);
    if (refused == nullptr) return Note(a, "peer decoded, not seen here", nullptr);
    const char* what = "refused, peer decoded";
    if (refused->refusedSentence) {
      return Note(a, what,
                  **refused->refusedSentence != '\0' ? *refused->refusedSentence : nullptr);
    }
    if (a.type >= 27 && a.type != 63) return Note(a, what, cause::kUnknownId);
    if (refused->fault == SentenceFault::AisPayload) {
      const int fill = refused->fillBits;
      return Note(a, what,
                  fill == 0 || fill == 2 || fill == 4 ? cause::kWholeBytes : cause::kFillBits);
    }
    Note(a, what, nullptr);
  }

  void Compare(const Attempt& a, const json& j,
               const std::map<std::uint32_t, std::string>& partANames) {
    ++tally_.matched;
    Whole(a, j, "mmsi", "mmsi");

    const bool tenthMinutes = a.type == 17 || a.type == 22 || a.type == 23;
    if (a.type == 22 && j.value("addressed", false)) {
      // The corners hold the destinations then.
      Whole(a, j, "dest_mmsi1", "dest1");
      Whole(a, j, "dest_mmsi2", "dest2");
    } else {
      for (const char* name : {"lon", "lat", "ne_lon", "ne_lat", "sw_lon", "sw_lat"}) {
        Position(a, j, name, tenthMinutes ? 600.0 : 600000.0);
      }
    }
    Scaled(a, j, "speed", a.type == 9 ? 1.0 : 10.0);
    Scaled(a, j, "course", 10.0);
    if (j.contains("heading")) {
      Whole(a, j, "heading", "heading",
            j.at("heading").get<std::int64_t>() > 359 ? cause::kHeading : nullptr);
    }
    Whole(a, j, "shiptype", "shiptype");
    Whole(a, j, "imo", "imo");
    Dimensions(a, j);

    for (const char* name : {"callsign", "destination", "vendorid"}) Text(a, j, name, a.Text(name));
    if (a.type == 12 || a.type == 14) Text(a, j, "text", a.Text("text"));
    if (a.type == 24) {
      const auto it = partANames.find(a.mmsi);
      Text(a, j, "shipname", it == partANames.end() ? std::string() : it->second);
    } else {
      Text(a, j, "shipname", a.Text("shipname"));
    }
    if (a.type == 21) AidName(a, j);
  }

 private:
  void Note(const Attempt& a, const std::string& what, const char* why) {
    tally_.disagreements.push_back(
        {file_, a.line, a.type, a.mmsi, what, why != nullptr ? why : ""});
  }

  template <typename T>
  static std::string Pair(const char* name, T ours, T peer) {
    std::ostringstream s;
    s.precision(10);
    s << name << ": " << ours << " / " << peer;
    return s.str();
  }

  void Whole(const Attempt& a, const json& j, const char* ours, const char* peer,
             const char* why = nullptr) {
    if (!j.contains(peer) || a.fields.count(ours) == 0) return;
    ++tally_.fieldsCompared;
    const std::int64_t o = a.Whole(ours);
    const std::int64_t p =
        j.at(peer).is_boolean() ? j.at(peer).get<bool>() : j.at(peer).get<std::int64_t>();
    if (o != p) Note(a, Pair(ours, o, p), why);
  }

  void Scaled(const Attempt& a, const json& j, const char* name, double factor,
              double tolerance = 0.01) {
    if (!j.contains(name) || a.fields.count(name) == 0) return;
    ++tally_.fieldsCompared;
    const double o = std::get<double>(a.fields.at(name)) * factor;
    const double p = j.at(name).get<double>();
    if (std::fabs(o - p) > tolerance) Note(a, Pair(name, o, p), nullptr);
  }

  // Degrees in a 32-bit float hold about seven digits of the raw value.
  void Position(const Attempt& a, const json& j, const char* name, double perDegree) {
    if (!j.contains(name)) return;
    Scaled(a, j, name, perDegree, 1.0 + std::fabs(j.at(name).get<double>()) * 3e-7);
  }

  void Dimensions(const Attempt& a, const json& j) {
    if (a.fields.count("dimensions") == 0) return;
    const auto d = static_cast<std::uint32_t>(a.Whole("dimensions"));
    const std::pair<const char*, std::int64_t> parts[] = {{"to_bow", d >> 21 & 0x1FF},
                                                          {"to_stern", d >> 12 & 0x1FF},
                                                          {"to_port", d >> 6 & 0x3F},
                                                          {"to_starboard", d & 0x3F}};
    for (const auto& [name, value] : parts) {
      if (!j.contains(name)) continue;
      ++tally_.fieldsCompared;
      const auto p = j.at(name).get<std::int64_t>();
      if (value != p) Note(a, Pair(name, value, p), nullptr);
    }
  }

  void Text(const Attempt& a, const json& j, const char* name,
            const std::optional<std::string>& ours) {
    if (!j.contains(name) || !ours) return;
    ++tally_.fieldsCompared;
    const std::string mine = RightTrimmed(*ours);
    const std::string peer = j.at(name).get<std::string>();
    if (mine == peer) return;
    const bool atInside = RightTrimmed(mine.substr(0, mine.find('@'))) == peer;
    Note(a, Pair(name, "\"" + mine + "\"", "\"" + peer + "\""),
         atInside ? cause::kAtInside : nullptr);
  }

  // The peer joins the name and its extension.
  void AidName(const Attempt& a, const json& j) {
    if (!j.contains("name")) return;
    ++tally_.fieldsCompared;
    const std::string name = RightTrimmed(a.Text("name").value_or(""));
    const std::optional<std::string> extension = a.Text("name_extension");
    const std::string mine = RightTrimmed(name + extension.value_or(""));
    const std::string peer = j.at("name").get<std::string>();
    if (mine == peer) return;
    const char* why = nullptr;
    if (RightTrimmed(mine.substr(0, mine.find('@'))) == peer) {
      why = cause::kAtInside;
    } else if (!extension && peer.compare(0, name.size(), name) == 0) {
      why = cause::kNameExtension;
    }
    Note(a, Pair("name", "\"" + mine + "\"", "\"" + peer + "\""), why);
  }

  static std::uint32_t NominalBits(const Attempt& a) {
    AisDecodedRecord r;
    r.PutU8(0, a.type);
    r.PutU8(6, static_cast<std::uint32_t>(a.type == 24 ? a.Whole("partno") : a.Whole("addressed")));
    const AisLayoutChoice choice = AisChooseLayout(r);
    std::uint32_t bits = 0;
    if (choice.layout != nullptr) {
      for (const AisFieldDescriptor& f : choice.layout->Fields()) bits += f.width;
    }
    return bits;
  }

  std::string file_;
  Tally& tally_;
};

void CompareFile(const std::string& name, Tally& tally) {
  std::vector<Attempt> ours = DecodeFile(kCorpus + name);
  const std::vector<json> peer = PeerReports(kCorpus + name + ".gpsdecode.u.json");
  tally.peerReports += static_cast<int>(peer.size());
  Comparison comparison(name, tally);

  // Message 24 part A is not reported by the peer. It keeps the names of the
  // last eight part A messages and reports part B merged with the part A of
  // the same MMSI, if it still has one (which it then forgets).
  std::vector<Attempt> sequence;
  std::vector<std::map<std::uint32_t, std::string>> partANames;
  std::map<std::uint32_t, std::string> names;
  std::array<std::uint32_t, 8> peerPartA{};
  std::size_t nextPartA = 0;
  for (Attempt& a : ours) {
    if (a.decoded && a.type == 24 && a.Whole("partno") == 0) {
      names[a.mmsi] = a.Text("shipname").value_or("");
      peerPartA[nextPartA++ % peerPartA.size()] = a.mmsi;
      continue;
    }
    if (a.decoded && a.type == 24 && a.Whole("partno") == 1) {
      const auto found = std::find(peerPartA.begin(), peerPartA.end(), a.mmsi);
      a.lonePartB = found == peerPartA.end();
      if (!a.lonePartB) *found = 0;
    }
    sequence.push_back(std::move(a));
    partANames.push_back(names);
  }

  // Both lists are in input order; either side may lack a message, so the
  // two are walked side by side and realigned on the nearest (id, MMSI).
  auto key = [](const Attempt& a) { return std::pair{a.type, a.mmsi}; };
  auto peerKey = [](const json& j) { return std::pair{j.value("type", 0u), j.value("mmsi", 0u)}; };
  const std::size_t window = 12;
  std::size_t i = 0, k = 0;
  while (i < sequence.size() || k < peer.size()) {
    if (i < sequence.size() && k < peer.size() && key(sequence[i]) == peerKey(peer[k])) {
      if (sequence[i].decoded) {
        comparison.Compare(sequence[i], peer[k], partANames[i]);
      } else {
        comparison.PeerOnly(peer[k], &sequence[i]);
      }
      ++i;
      ++k;
      continue;
    }
    std::optional<std::size_t> peerAhead, oursAhead;
    for (std::size_t d = 1; d < window && i < sequence.size() && k + d < peer.size(); ++d) {
      if (key(sequence[i]) == peerKey(peer[k + d])) {
        peerAhead = d;
        break;
      }
    }
    for (std::size_t d = 1; d < window && k < peer.size() && i + d < sequence.size(); ++d) {
      if (key(sequence[i + d]) == peerKey(peer[k])) {
        oursAhead = d;
        break;
      }
    }
    if (peerAhead && (!oursAhead || *peerAhead <= *oursAhead)) {
      for (std::size_t d = 0; d < *peerAhead; ++d) comparison.PeerOnly(peer[k + d], nullptr);
      k += *peerAhead;
    } else if (oursAhead) {
      for (std::size_t d = 0; d < *oursAhead; ++d) comparison.OursOnly(sequence[i + d]);
      i += *oursAhead;
    } else {
      if (i < sequence.size()) comparison.OursOnly(sequence[i++]);
      if (k < peer.size()) comparison.PeerOnly(peer[k++], nullptr);
    }
  }
}

TEST(AisCorpus, AgreesWithThePeerOnTheSharedFields) {
  Tally tally;
  for (const char* file : kFiles) CompareFile(file, tally);

  std::map<std::string, int> byCause;
  for (const Disagreement& d : tally.disagreements) {
    if (d.cause.empty()) {
      ADD_FAILURE() << d.file << ":" << d.line << " message " << d.type << " from " << d.mmsi
                    << ": " << d.what;
    } else {
      ++byCause[d.cause];
    }
  }
  std::cout << tally.peerReports << " peer reports, " << tally.matched << " messages matched, "
            << tally.fieldsCompared << " fields compared\n";
  for (const auto& [why, count] : byCause) std::cout << "  " << count << " x " << why << "\n";
  for (const Disagreement& d : tally.disagreements) {
    if (d.cause.empty()) continue;
    std::cout << "    " << d.file << ":" << d.line << " message " << d.type << " from " << d.mmsi
              << ": " << d.what << " (" << d.cause << ")\n";
  }
  // Nearly every report of the peer found its message here.
  EXPECT_GT(tally.matched, tally.peerReports * 95 / 100);
}

}  // namespace
}  // namespace store
