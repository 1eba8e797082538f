#pragma once
// The sentence library wired to the layers above it: the record store and
// the AIS decoding chain. A program creates one NmeaStack and feeds every
// received line to its library; tests create their own.

#include "nmea/sentence_library.h"
#include "store/ais_chain.h"
#include "store/local_clock.h"
#include "store/sentence_store.h"

namespace store {

class NmeaStack {
 public:
  // The AIS target table is stamped by `clock`, or by the machine's clock
  // when none is given; a given clock must outlive the stack.
  explicit NmeaStack(LocalClock* clock = nullptr);
  NmeaStack(const NmeaStack&) = delete;
  NmeaStack& operator=(const NmeaStack&) = delete;

 private:
  SystemLocalClock systemClock_;  // before ais, which reads the clock when built

 public:
  SentenceStore sentences;
  AisChain ais;
  nmea::SentenceLibrary library;
};

}  // namespace store
