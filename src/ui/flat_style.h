#pragma once
// Which controls take the flat button look, and the style bit that gives it.
#include <cstdint>

#include "ui/control_design.h"

namespace vellum {

inline constexpr uint32_t kFlatButtonStyle = 0x8000;  // BS_FLAT

// Push buttons, option buttons and check boxes; every other kind keeps its look.
bool TakesFlatStyle(ui::ControlKind kind);

// The window style with the flat bit added (flat) or as it was (not flat); no other bit changes.
uint32_t WithFlatStyle(uint32_t style, bool flat);

}  // namespace vellum
