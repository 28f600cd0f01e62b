// The modifier keys and mouse buttons held while a key or button goes down, and the mouse
// buttons themselves. Compared as a whole: a command that asks for "Ctrl" means Ctrl and nothing
// else. The Win32 side reads the state in platform/window_win.h.
#pragma once

#include <cstdint>

namespace pictara {

enum ShiftState : uint32_t {
  ssNone = 0,
  ssShift = 1u << 0,
  ssAlt = 1u << 1,
  ssCtrl = 1u << 2,
  ssLeft = 1u << 3,
  ssRight = 1u << 4,
  ssMiddle = 1u << 5,
};

constexpr ShiftState operator|(ShiftState a, ShiftState b) {
  return static_cast<ShiftState>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}
constexpr ShiftState operator&(ShiftState a, ShiftState b) {
  return static_cast<ShiftState>(static_cast<uint32_t>(a) & static_cast<uint32_t>(b));
}
constexpr ShiftState& operator|=(ShiftState& a, ShiftState b) { return a = a | b; }

enum class MouseButton { Left, Right, Middle };

}  // namespace pictara
