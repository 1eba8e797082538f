#pragma once
// The sentence library wired to the layers above it: the record store and
// the AIS decoding chain. A program creates one NmeaStack and feeds every
// received line to its library; tests create their own.

#include "nmea/sentence_library.h"

namespace store {

class NmeaStack {
 public:
  NmeaStack();
  NmeaStack(const NmeaStack&) = delete;
  NmeaStack& operator=(const NmeaStack&) = delete;

  nmea::SentenceLibrary library;
};

}  // namespace store
