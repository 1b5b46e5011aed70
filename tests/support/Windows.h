#pragma once

// Driving windows as a user would, in tests.

#include "framework/Window.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QStringList>
#include <vector>

class QWidget;
namespace fw { class ListBox; }

namespace testing {
// Closes every open window (each runs its Close event, as when the user
// closes it) and lets the deleted windows go, so each test starts afresh.
void closeAllWindows();

// Drags files from the desktop onto a widget and drops them at a point, as
// the file manager does; answers whether the widget accepted the drag.
bool dropFiles(QWidget* target, const QPoint& at, const QStringList& posixPaths);

// A window as the program opens one on a record: built, shown, then given
// the record's ID.
template <class W>
W& openWindowOn(int id)
{
    W& window = fw::newWindow<W>();
    window.Show();
    window.Init(id);
    return window;
}

// A text a widget draws, in the font it draws it in, starting at a point of
// its baseline in the widget's coordinates.
struct DrawnText {
    QString text;
    QFont font;
    QPoint at;
};
// The texts a widget and its children draw when painted, in painting order.
std::vector<DrawnText> drawnTexts(QWidget* widget);

// The texts of one column of a list, row by row.
QStringList columnTexts(const fw::ListBox* list, int column);
// The colour the list's text hook leaves a cell's text in (black before);
// an invalid colour when the hook paints the text itself.
QColor textColour(const fw::ListBox* list, int row, int column);
// The list's rows area, and the middle of a row in it (-1: just below the
// last row).
QWidget* viewportOf(const fw::ListBox* list);
QPoint rowPoint(const fw::ListBox* list, int row);
// A click, or a double-click, on a row (-1: below the last row).
void clickRow(const fw::ListBox* list, int row, bool twice = false);
// A click, or a double-click, on a cell as the window system delivers it:
// to whatever widget lies under the pointer (an editor opened by the first
// click takes the second).
void clickCell(const fw::ListBox* list, int row, int column, bool twice = false);
} // namespace testing
