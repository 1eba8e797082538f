#include "store/nmea_stack.h"

namespace store {

NmeaStack::NmeaStack(LocalClock* clock)
    : ais(clock != nullptr ? *clock : systemClock_), library(&sentences, &ais) {}

}  // namespace store
