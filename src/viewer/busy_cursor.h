// The hourglass from here to the end of the scope, also when a step raises.
#pragma once

#include "viewer/viewer_ports.h"

namespace pictara {

class TBusyCursorScope {
 public:
  explicit TBusyCursorScope(ICursor& cursor) : cursor_(cursor) { cursor_.SetBusy(true); }
  ~TBusyCursorScope() { cursor_.SetBusy(false); }
  TBusyCursorScope(const TBusyCursorScope&) = delete;
  TBusyCursorScope& operator=(const TBusyCursorScope&) = delete;

 private:
  ICursor& cursor_;
};

}  // namespace pictara
