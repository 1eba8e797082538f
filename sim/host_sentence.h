#pragma once
// The host's commands as the device reads them. The device checks the
// framing with the sentence library's checksum but splits the fields itself:
// a second reading of the format catches faults a shared parser would hide.
//
//   $PZLX,C,DBG,700,1,,,,,,*hh     maker sentence: letter C, formatter DBG
//   $PDBG,107,1,,0,,0,,0*hh        the same command without the maker prefix
//   $PTST,,,,,00016*hh             $PTPS,040,1A2B3C4D*hh

#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct HostSentence {
  std::string formatter;            // DBG, TST, TPS, ...
  char makerLetter = 0;             // the letter after $PZLX, or 0
  std::vector<std::string> fields;  // the data fields, empty ones as ""
};

// Reads one line (with or without CR LF). False when it is not a
// proprietary sentence with a correct checksum.
bool ReadHostSentence(std::string_view line, HostSentence& sentence);

// A data field as an integer; false when empty or not a whole number.
bool FieldInteger(const HostSentence& sentence, std::size_t index, long& value);

// "$<body>*hh\r\n" with the checksum of body.
std::string FrameSentence(std::string_view body);

}  // namespace sim
