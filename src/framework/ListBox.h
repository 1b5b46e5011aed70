#pragma once

// The multi-column list box. Rows hold text cells: the visible columns
// 0 .. ColumnCount()-1, and hidden cells under any other column number
// (the program uses 96 to 99) that belong to the row: they move with it when
// the list sorts and go with it when it is removed.

#include "framework/Control.h"

#include <QColor>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace fw {

// What a cell painting hook works with: the colour the cell's text will be
// drawn in (ForeColor), and for background hooks a fill of the cell.
class Graphics {
public:
    Graphics(int width, int height, const QColor& foreColor)
        : ForeColor(foreColor), Width(width), Height(height) {}
    QColor ForeColor;
    const int Width;
    const int Height;
    // Fills a rectangle of the cell with ForeColor.
    void FillRect(int x, int y, int width, int height);
    const std::optional<QColor>& fill() const { return m_fill; }

private:
    std::optional<QColor> m_fill;
};

// The in-place editor of the cell being edited.
class CellEditor {
public:
    virtual ~CellEditor() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
    virtual int selStart() const = 0;
    virtual int selLength() const = 0;
    virtual void setSelStart(int start) = 0;
    virtual void setSelLength(int length) = 0;
};

class ListModel;
class ListView;

// Record settings: "columns" (count), "heading" (a heading row is shown),
// "selection" ("single" or "multiple"), "columnsResizable", "gridLines",
// "scrollVertical" (default true), "scrollHorizontal" (default false),
// "rowHeight" (pixels; by default what the font needs), "focusable" (default
// true; false: the list never takes the keyboard focus, so keys go to its
// window), "sortable" (default true: a click on a heading sorts by that
// column), "doubleClickAnywhere" (default false: doubleClick is raised for a
// double-click on a row only; true: also below the rows).
// A press below the rows clears the selection and then goes on to the window
// (Window::Event_MouseDown), as a press on no control would.
//
// Repainting: the paint hooks and CellText may work a cell out from other
// cells of its row and of the rows above it. So a cell's text changing (a
// hidden one too), and rows inserted, removed or reordered, repaint every
// visible row when the change is in a visible row or above them, and none of
// them when it is wholly below the last visible row.
//
// Filling: rows inserted below the last visible row, once the rows fill the
// list, are not laid out by the view one by one: it catches up on them about
// every 200 ms while they keep coming (the scroll bar grows then), and at once
// whenever it needs every row: a selection or current row change, a press,
// wheel turn or key in the list, a resize, showing it, setListIndex,
// ScrollPosition and setScrollPosition, RowFromXY and ColumnFromXY, EditCell,
// removals, a sort, a column count change. The list's own answers
// (ListCount, Cell, the selection) always cover every row.
class ListBox final : public Control {
    Q_OBJECT
public:
    ListBox(Window& window, const ControlRecord& record);
    ~ListBox() override;

    // ---- rows and cells
    void AddRow(const QString& firstColumn);
    void InsertRow(int row, const QString& firstColumn);
    void RemoveRow(int row);
    // Removes several rows at once; rows that do not exist are passed over.
    void RemoveRows(std::vector<int> rows);
    // An open edit ends first as a move to another cell ends it (its text is
    // stored and cellAction raised while the rows still exist); then every
    // row goes.
    void DeleteAllRows();
    int ListCount() const;
    // The row the last AddRow or InsertRow made, -1 before any.
    int LastIndex() const;
    // Changes whenever rows are added, removed or reordered or a cell's
    // stored text changes, so what is worked out from the cells can be kept
    // until then. Texts the CellText hook works out do not move it.
    quint64 Revision() const;
    // The text the list shows: the CellText hook's where it answers, else the
    // stored one. Empty text for a row or cell that does not exist.
    QString Cell(int row, int column) const;
    // The first row, from the top, whose cell in the column shows this text;
    // -1 when none does. Quicker than asking Cell row by row.
    int FindRow(int column, const QString& text) const;
    // Whether two rows show the same text in a column; quicker than
    // comparing what Cell answers.
    bool SameText(int row1, int row2, int column) const;
    // Stores the text; setting the text a cell already holds changes nothing.
    void setCell(int row, int column, const QString& text);

    // ---- columns
    int ColumnCount() const;
    void setColumnCount(int count);
    // All headings at once, each followed by a TAB ("Title\tBPM\t").
    void setHeadings(const QString& tabSeparated);
    QString Heading(int column) const;
    void setHeading(int column, const QString& heading);
    // Widths of the columns from the first, in pixels: "170,50,107,150".
    void setColumnWidths(const QString& widths);
    int columnWidth(int column) const;
    void setColumnAlignment(int column, Alignment alignment);
    Alignment columnAlignment(int column) const;
    // Editable columns open an in-place editor on a click in the one selected
    // row, once the platform's double-click interval has passed without a
    // second click. What is typed meanwhile (text, Backspace, Delete, a
    // composed character, a paste) opens it at once and goes into it; the
    // press of Shift, AltGr, Caps Lock and the like leaves it waiting; a
    // click, another key, a scroll, a change of row or a removal drops it
    // (see WaitingEdit). A double-click never opens an editor. A list with
    // an editable column has no type-ahead: typing never selects a row.
    void setColumnEditable(int column, bool editable);
    bool columnEditable(int column) const;

    // ---- selection
    // The selected row (the first one when several are), -1 when none.
    int ListIndex() const;
    // Selects only this row (-1: none), makes it current and scrolls it into
    // view. Raises change() when the selection changes.
    void setListIndex(int row);
    bool Selected(int row) const;
    void setSelected(int row, bool selected);
    int SelCount() const;
    // The selected rows, from the top (quicker than asking Selected row by row).
    std::vector<int> SelectedRows() const;

    // ---- sorting
    int SortedColumn() const;
    void setSortedColumn(int column);
    // 1 ascending, -1 descending.
    int ColumnSortDirection(int column) const;
    void setColumnSortDirection(int column, int direction);
    // Sorts the rows by the sorted column, through the CompareRows hook
    // where it answers, else by the cells' text, ignoring case.
    void Sort();

    // ---- scrolling and positions (in the list's own coordinates, heading
    // row included)
    int ScrollPosition() const;
    void setScrollPosition(int row);
    // -1 when the position is on no row (below the last one, the heading).
    int RowFromXY(int x, int y) const;
    int ColumnFromXY(int x, int y) const;
    // Where the mouse is now, in the list's coordinates.
    int MouseX() const;
    int MouseY() const;

    // ---- in-place editing
    // Opens the editor at once, ending any open edit first.
    void EditCell(int row, int column);
    // The editor of the cell being edited, null when none is.
    CellEditor* ActiveCell() const;
    // Ends the open edit as a move to another cell does: the text goes into
    // the cell and cellAction is raised. Nothing when no edit is open.
    void finishEdit();
    // What the user typed is kept: an open edit ends as finishEdit ends it,
    // before the window's Close event, while the window still hears its cells.
    void windowAboutToClose() override;
    // An edit opened after that (by the Close event) is dropped: the window
    // hears no more of its cells.
    void windowClosing() override;

    // ---- hooks the window installs. Each returns true when it handled the
    // thing itself; CompareRows then answers through result (-1: row1 first).
    // CellText works a cell's text out (from other cells, say) and answers it
    // through text: the list shows it, Cell answers it and sorting compares
    // it, instead of the stored text, which it leaves as it is.
    std::function<bool(int row, int column, QString& text)> CellText;
    std::function<bool(Graphics& g, int row, int column, int x, int y)> CellTextPaint;
    std::function<bool(Graphics& g, int row, int column)> CellBackgroundPaint;
    std::function<bool(int row1, int row2, int column, int& result)> CompareRows;
    // key: one character; arrows are chr(28) left, 29 right, 30 up, 31 down,
    // Tab chr(9), Return chr(13), Escape chr(27). True: the editor never sees it.
    std::function<bool(int row, int column, const QString& key)> CellKeyDown;
    // A press on a cell, at x, y within the cell. True: the list does nothing
    // more with the press (it neither selects nor edits).
    std::function<bool(int row, int column, int x, int y)> CellClick;
    // Raised just before the list applies a selecting gesture of the user's:
    // a press on the rows or below them, an arrow, paging, Home, End or space
    // key, or select-all. What the hook changes, the gesture then applies to.
    // True: the gesture starts a new selection, so a shift-click or Shift
    // with a key selects as it would without Shift, extending no range.
    std::function<bool()> SelectionGesture;

signals:
    void change();
    void doubleClick();
    void cellGotFocus(int row, int column);
    void cellTextChange(int row, int column);
    // The in-place edit of a cell ended; its text is in the cell.
    void cellAction(int row, int column);

protected:
    QWidget* mouseTarget() const override;
    void applyTextSize() override;

private:
    friend class ListView;
    std::unique_ptr<ListModel> m_model;
    ListView* m_view;
};

// Whether the Shift key is down now.
bool ShiftKey();

} // namespace fw
