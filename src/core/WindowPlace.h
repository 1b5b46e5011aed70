#pragma once

// Windows that remember their place keep it in the settings row under
// <prefix>Top, <prefix>Left, <prefix>Height and <prefix>Width.

#include <QString>

namespace fw {
class Window;
} // namespace fw

namespace WindowPlace {

// Sets the window's top, left, height and width, in that order, from the
// settings row. False (and nothing changed) when there is no row.
bool restore(fw::Window& window, const QString& prefix);

// Writes the place, only when the window's top edge is below the screen's
// top (greater than 0); inTransaction wraps the update in "BEGIN" and a commit
// (rolled back when refused). A place not stored is dropped without a word.
void save(const fw::Window& window, const QString& prefix, bool inTransaction);

} // namespace WindowPlace
