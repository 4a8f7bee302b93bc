// The one header a libgui program needs: connection and start-up, the request
// writers and the list containers. Headers of the event loop and the toolkit
// are added here as they land.
#ifndef EGUI_H
#define EGUI_H

#include "egui_conn.h"
#include "nc_font.h"
#include "nc_request.h"
#include "zlist.h"

// Event loop, timers and the toolkit's base classes.
#include "eventloop.h"
#include "gl_color.h"
#include "gl_hdc.h"
#include "gl_list.h"
#include "gl_chart.h"
#include "gl_image.h"
#include "gl_imagewidget.h"
#include "gl_object.h"
#include "gl_pixmap.h"
#include "gl_medit.h"
#include "gl_pictureedit.h"
#include "gl_sedit.h"
#include "gl_text.h"
#include "gl_timeout.h"
#include "gl_window.h"
#include "gl_progressbar.h"
#include "gl_scroll.h"
#include "gl_slider.h"
#include "gl_spin.h"

// Basic widgets.
#include "gl_button.h"
#include "gl_check.h"
#include "gl_dialog.h"
#include "gl_label.h"
#include "gl_led.h"
#include "gl_navigate.h"
#include "gl_panel.h"

#endif // EGUI_H
