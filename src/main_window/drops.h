// Files dragged from a file manager and dropped on the main window: what they name, and which
// field each kind of file belongs in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/paths.h"
#include "app/windows.h"

namespace framora {

// The local path a dropped item names: a file: address, its percent escapes decoded once, or a
// path as it stands. Nothing for an address of another kind or on another machine.
std::optional<std::string> DroppedPath(std::string_view item);

// The field that a file dropped beside the fields goes to, by its kind: an image to Text2, a
// sound to Text3, the FFmpeg program to Text1; nothing for anything else. Letter case does not
// count.
std::optional<ControlId> FieldForFile(std::string_view path, ShellKind shell);

}  // namespace framora
