#pragma once
// TComm: the serial port component that users create. It publishes the
// properties of TThreadComm and adds nothing else.

#include "comm/thread_comm.h"

namespace comm {

class TComm : public TThreadComm {
 public:
  using TThreadComm::TThreadComm;
};

}  // namespace comm
