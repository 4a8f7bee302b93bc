// Start-up steps of egui_init that belong to other modules of the library.
#pragma once

namespace egui_internal {

// Initialises the image list, the named colours, the built-in fonts and the
// timeouts, each when its module is part of the library.
void InitModules();

} // namespace egui_internal
