#include "store/maker_rows.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "nmea/formatters.h"

namespace store {
namespace {

using nmea::SentenceRecord;

// Texts travel bounded by the smaller of source and destination: either
// may fill its array to the last byte without a NUL (the user writes the
// maker record), and the destination may be the shorter.
template <std::size_t N, std::size_t M>
void CopyText(char (&to)[N], const char (&from)[M]) {
  const std::size_t length = std::min(strnlen(from, M), N - 1);
  std::memcpy(to, from, length);
  to[length] = '\0';
}

// Arrays of a packed structure, element by element (no reference may bind
// to a packed member).
#define COPY_EACH(to, from, member)                                      \
  for (std::size_t i = 0; i < std::extent_v<decltype(to.member)>; ++i) { \
    to.member[i] = from.member[i];                                       \
  }

// Each formatter's rule: Copy moves the values between body and record
// either way; Decoded sets the flags of a received sentence; Encoded adds
// what the record holds beside the body.
struct NoExtra {
  template <typename Record>
  static void Encoded(const Record&, SentenceRecord&) {}
};

struct Mid : NoExtra {
  template <typename From, typename To>
  static void Copy(const From& from, To& to) {
    COPY_EACH(to, from, identifiers)
  }
  static void Decoded(const SentenceRecord&, MidRecord& r) {
    for (int i = 0; i < 2; ++i) {
      if (r.identifiers[i] < nmea::kNoIdentifier) r.fresh[i] = 1;
    }
  }
};

struct Bdy : NoExtra {
  template <typename From, typename To>
  static void Copy(const From& from, To& to) {
    to.identifier = from.identifier;
    CopyText(to.text1, from.text1);
    CopyText(to.text2, from.text2);
    to.flag1 = from.flag1;
    to.flag2 = from.flag2;
  }
  static void Decoded(const SentenceRecord&, BdyRecord& r) {
    if (r.identifier < nmea::kNoIdentifier || r.flag2 == 1) r.fresh = 1;
  }
};

struct Tst : NoExtra {
  template <typename From, typename To>
  static void Copy(const From& from, To& to) {
    to.number = from.number;
    to.twoDigit = from.twoDigit;
    to.lowerLetter = from.lowerLetter;
    to.upperLetter = from.upperLetter;
    to.value = from.value;
  }
  static void Decoded(const SentenceRecord&, TstRecord& r) {
    if (r.number < nmea::kNoTstNumber) r.numberFresh = 1;
    if (r.upperLetter >= 'A' && r.upperLetter <= 'Z') r.upperLetterFresh = 1;
    if (r.value != nmea::kNoTstValue) r.valueFresh = 1;
  }
};

struct Frq : NoExtra {
  template <typename From, typename To>
  static void Copy(const From& from, To& to) {
    COPY_EACH(to, from, identifiers)
    COPY_EACH(to, from, levels)
  }
  static void Decoded(const SentenceRecord&, FrqRecord& r) {
    for (int i = 0; i < 2; ++i) {
      if (r.identifiers[i] < nmea::kNoIdentifier && r.levels[i] <= 10) r.fresh[i] = 1;
    }
  }
};

struct Bth : NoExtra {
  template <typename From, typename To>
  static void Copy(const From& from, To& to) {
    COPY_EACH(to, from, values)
    CopyText(to.text, from.text);  // the sentence may carry more than the record keeps
  }
  static void Decoded(const SentenceRecord&, BthRecord& r) {
    if (std::all_of(std::begin(r.values), std::end(r.values),
                    [](std::int16_t v) { return v <= 255; })) {
      r.fresh = 1;
    }
    if (r.text[0] != '\0') r.textFresh = 1;
  }
};

// The letter travels in the sentence's header: the letter of the last DBG
// received is the one the next DBG goes out with.
struct Dbg {
  template <typename From, typename To>
  static void Copy(const From& from, To& to) {
    COPY_EACH(to, from, codes)
    COPY_EACH(to, from, values)
  }
  static void Decoded(const SentenceRecord& sentence, DbgRecord& r) {
    for (int i = 0; i < 4; ++i) {
      if (r.codes[i] >= 0 && r.codes[i] <= 999) r.fresh[i] = 1;
    }
    r.letter = sentence.makerLetter;
  }
  static void Encoded(const DbgRecord& r, SentenceRecord& sentence) {
    sentence.makerLetter = r.letter;
  }
};

struct Tps : NoExtra {
  template <typename From, typename To>
  static void Copy(const From& from, To& to) {
    to.number = from.number;
    CopyText(to.text, from.text);  // the sentence may carry more than the record keeps
  }
  static void Decoded(const SentenceRecord&, TpsRecord& r) {
    if (r.number >= 0) r.fresh = 1;
  }
};

// A received optional byte is taken only when the sentence had one; data
// are taken only with a length of 1 to 19, else the length becomes 0.
struct Mob : NoExtra {
  template <typename From, typename To>
  static void Copy(const From& from, To& to) {
    COPY_EACH(to, from, identifier)
    to.number = from.number;
    to.code = from.code;
    to.hasOptional = from.hasOptional;
    if (!std::is_same_v<To, MobRecord> || from.hasOptional != 0) to.optional = from.optional;
    to.dataLength = from.dataLength >= 1 && from.dataLength <= 19 ? from.dataLength : 0;
    for (std::size_t i = 0; i < to.dataLength; ++i) to.data[i] = from.data[i];
  }
  static void Decoded(const SentenceRecord&, MobRecord&) {}
};

#undef COPY_EACH

template <typename Rule, auto Body, auto Record>
void Decode(const SentenceRecord& sentence, MakerRecord& maker) {
  Rule::Copy(sentence.body.*Body, maker.*Record);
  Rule::Decoded(sentence, maker.*Record);
}

template <typename Rule, auto Body, auto Record>
void Encode(const MakerRecord& maker, SentenceRecord& sentence) {
  Rule::Copy(maker.*Record, sentence.body.*Body);
  Rule::Encoded(maker.*Record, sentence);
}

template <typename Rule, auto Body, auto Record>
constexpr MakerRow Row(std::string_view formatter) {
  return {formatter, Decode<Rule, Body, Record>, Encode<Rule, Body, Record>};
}

using nmea::SentenceBody;

constexpr MakerRow kMakerRows[] = {
    Row<Mid, &SentenceBody::mid, &MakerRecord::mid>("MID"),
    Row<Bdy, &SentenceBody::bdy, &MakerRecord::bdy>("BDY"),
    Row<Tst, &SentenceBody::tst, &MakerRecord::tst>("TST"),
    Row<Frq, &SentenceBody::frq, &MakerRecord::frq>("FRQ"),
    Row<Bth, &SentenceBody::bth, &MakerRecord::bth>("BTH"),
    Row<Dbg, &SentenceBody::dbg, &MakerRecord::dbg>("DBG"),
    Row<Tps, &SentenceBody::tps, &MakerRecord::tps>("TPS"),
    Row<Mob, &SentenceBody::mob, &MakerRecord::mob>("MOB"),
};

// Row for row the maker family of the formatter table.
constexpr bool RowsFollowTheMakerFamily() {
  if (std::size(kMakerRows) != nmea::FamilySize(nmea::CategoryMaker)) return false;
  for (std::size_t i = 0; i < std::size(kMakerRows); ++i) {
    if (nmea::FamilySlot(kMakerRows[i].formatter) != static_cast<int>(i)) return false;
  }
  return true;
}
static_assert(RowsFollowTheMakerFamily());

}  // namespace

const MakerRow& MakerRowAt(int slot) { return kMakerRows[slot]; }

}  // namespace store
