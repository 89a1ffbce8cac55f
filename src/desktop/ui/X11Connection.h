#pragma once

#include <xcb/xcb.h>

// The application's own X connection, or nullptr off X11.
xcb_connection_t* x11Connection();

// The atom named `name`, or XCB_ATOM_NONE when the server gives none.
xcb_atom_t x11Atom(xcb_connection_t* c, const char* name);
