#pragma once

class QWidget;

namespace tumbol {

// Places a box over the window it belongs to where the window system would
// not: a Wayland compositor places every window by its own rules, and GNOME's
// puts a box over its window only when told the box is a dialog. Call before
// the box is shown; it does nothing elsewhere.
void PlaceAsDialog(QWidget* box);

}  // namespace tumbol
