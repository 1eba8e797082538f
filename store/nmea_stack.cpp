#include "store/nmea_stack.h"

namespace store {

NmeaStack::NmeaStack() = default;

}  // namespace store
