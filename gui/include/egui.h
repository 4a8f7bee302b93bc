// The one header a libgui program needs: connection and start-up, the request
// writers and the list containers. Headers of the event loop and the toolkit
// are added here as they land.
#ifndef EGUI_H
#define EGUI_H

#include "egui_conn.h"
#include "nc_request.h"
#include "zlist.h"

#endif // EGUI_H
