#pragma once

// Closes every open window (each runs its Close event, as when the user
// closes it) and lets the deleted windows go, so each test starts afresh.

#include <QPoint>
#include <QStringList>

class QWidget;

namespace testing {
void closeAllWindows();

// Drags files from the desktop onto a widget and drops them at a point, as
// the file manager does; answers whether the widget accepted the drag.
bool dropFiles(QWidget* target, const QPoint& at, const QStringList& posixPaths);
}
