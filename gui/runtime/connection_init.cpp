// The modules that egui_init initialises are built separately; each is
// referenced weakly so that the connection works (and is tested) on its own,
// and each runs as soon as its module is linked into the library.
#include "runtime/connection_hooks.h"

void InitImageList() __attribute__((weak));
void InitColorS() __attribute__((weak));
void InitFont() __attribute__((weak));
void InitTimeout() __attribute__((weak));

namespace egui_internal {

void InitModules() {
    if (InitImageList) InitImageList();
    if (InitColorS) InitColorS();
    if (InitFont) InitFont();
    if (InitTimeout) InitTimeout();
}

} // namespace egui_internal
