// The one header a libgui program needs: connection and start-up and the
// request writers. Headers of the lists, the event loop and the toolkit are
// added here as they land.
#ifndef EGUI_H
#define EGUI_H

#include "egui_conn.h"
#include "nc_request.h"

#endif // EGUI_H
