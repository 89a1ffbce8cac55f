#pragma once

class QWidget;

// Asks the window manager to leave `window` out of taskbars and pagers
// (_NET_WM_STATE_SKIP_TASKBAR and _SKIP_PAGER). Qt marks a tool window only as
// a utility window, which many taskbars still list. To be called while the
// window has been asked to map. Does nothing off X11.
void skipTaskbar(QWidget& window);

// Places the frame of the top-level `window` at `topLeft`, before or after the
// window manager made the frame (a widget's move() does so only for a frame it knows).
void placeFrame(QWidget& window, const QPoint& topLeft);
