// Drawing primitives on pixmaps and the screen-direct requests.
#pragma once

// Builds the table of named colours used by the 3D boxes.
void InitColors();
