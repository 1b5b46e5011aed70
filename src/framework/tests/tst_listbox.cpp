// The list box: rows with their hidden cells, sorting, the selection and its
// change event, the paint hooks, hit testing, file drops, in-place editing.

#include "framework/ListBox.h"
#include "framework/Window.h"
#include "support/Keyboard.h"
#include "support/Windows.h"

#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QtTest>

namespace {

const char* const layoutJson = R"({
  "window": {"name": "ListTest", "width": 440, "height": 300, "menuBar": false},
  "controls": [{"name": "List", "kind": "ListBox", "left": 10, "top": 10, "width": 420, "height": 260,
                "columns": 4, "heading": true}]})";

using namespace testing;

// The test window; tells of its Close event.
class ListWindow : public fw::Window {
public:
    ListWindow() : Window(QStringLiteral("ListTest")) {}
    std::function<void()> closing;

protected:
    void Event_Close() override
    {
        if (closing)
            closing();
    }
};

QWidget* editor(fw::ListBox* list) { return dynamic_cast<QWidget*>(list->ActiveCell()); }
QString activeText(fw::ListBox* list) { return list->ActiveCell() ? list->ActiveCell()->text() : "<none>"; }
bool isRed(QColor c) { return c.red() > 160 && c.green() < 90 && c.blue() < 90; }
bool isDark(QColor c) { return c.lightness() < 100; }

// Where a cell is, in the viewport's coordinates.
QRect cellRect(fw::ListBox* list, int row, int col = 0)
{
    const auto* view = qobject_cast<QAbstractItemView*>(list->widget());
    return view->visualRect(view->model()->index(row, col));
}

// (ColumnFromXY, RowFromXY) of a point of the viewport.
QPoint hit(fw::ListBox* list, QPoint inViewport)
{
    const QPoint at = viewportOf(list)->mapTo(list->widget(), inViewport);
    return {list->ColumnFromXY(at.x(), at.y()), list->RowFromXY(at.x(), at.y())};
}

void fill(fw::ListBox* list, const QStringList& rows) { for (const QString& text : rows) list->AddRow(text); }
// Rows "0" .. "n-1".
void fill(fw::ListBox* list, int n) { for (int r = 0; r < n; ++r) list->AddRow(QString::number(r)); }

int countPixels(const QImage& image, bool (*test)(QColor))
{
    int n = 0;
    for (int i = 0; i < image.width() * image.height(); ++i)
        n += test(image.pixelColor(i % image.width(), i / image.width()));
    return n;
}

// The cells of a list whose editable cells the user edits in place, as the
// list box's rules leave them after each of the user's gestures. A click on
// the one selected row's editable cell waits out the double-click interval,
// then opens that cell's editor, its whole text selected; what is typed
// meanwhile (text, a paste, a composed character, Backspace, Delete) opens
// it at once and goes in; any other press, key or wheel turn drops the
// waiting edit. In the editor, text replaces the selection or goes in at the
// cursor; Return, or a press anywhere else in the rows, stores it; Escape
// puts the cell back. Nothing else changes a cell.
class TypedCells {
public:
    explicit TypedCells(fw::ListBox* list) : m_list(list), m_selected(list->ListIndex())
    {
        for (int row = 0; row < list->ListCount(); ++row) {
            m_cells.emplace_back();
            for (int column = 0; column < list->ColumnCount(); ++column)
                m_cells.back() << list->Cell(row, column);
        }
    }

    void click(int row, int column, bool twice)
    {
        if (m_editor && m_editor->at == Cell{row, column}) {
            m_clickedIntoEditor = true;   // where its cursor goes is the line's own affair
            return;
        }
        m_waiting.reset();
        store();
        const bool onTheSelectedRow = row == m_selected;
        m_selected = row;
        if (!twice && onTheSelectedRow && m_list->columnEditable(column)) {
            m_waiting = Cell{row, column};
            m_waitingSince.start();
        }
    }
    void waited(bool pastTheInterval)
    {
        if (pastTheInterval)
            openWaitingEdit();
    }
    // Text typed, composed or pasted.
    void type(const QString& text)
    {
        openWaitingEdit();
        if (!m_editor)
            return;
        Editor& e = *m_editor;
        e.text.replace(e.selectionStart(), e.selectionLength(), text);
        e.anchor = e.cursor = e.selectionStart() + text.size();
    }
    void erase(bool forward)
    {
        openWaitingEdit();
        if (!m_editor)
            return;
        Editor& e = *m_editor;
        if (e.selectionLength() == 0)
            e.cursor = std::clamp<qsizetype>(e.cursor + (forward ? 1 : -1), 0, e.text.size());
        type(QString());
    }
    // Return, Escape or an arrow.
    void press(Qt::Key key)
    {
        if (!m_editor) {
            m_waiting.reset();
            if (key == Qt::Key_Up || key == Qt::Key_Down)
                m_selected = std::clamp(m_selected + (key == Qt::Key_Up ? -1 : 1), 0, int(m_cells.size()) - 1);
            return;
        }
        Editor& e = *m_editor;
        if (key == Qt::Key_Return)
            store();
        else if (key == Qt::Key_Escape)
            m_editor.reset();
        else if (key == Qt::Key_Left || key == Qt::Key_Right)
            e.anchor = e.cursor = std::clamp<qsizetype>(e.cursor + (key == Qt::Key_Left ? -1 : 1), 0, e.text.size());
    }
    void wheelTurned() { m_waiting.reset(); }

    // What the list shows otherwise than the model; empty when nothing.
    QString mismatch()
    {
        const std::optional<Editor> editor = listsEditor();
        // The interval may pass while a step is still under way.
        if (m_waiting && m_waitingSince.elapsed() >= kInterval * 9 / 10 && editor && editor->at == *m_waiting)
            openWaitingEdit();
        if (std::exchange(m_clickedIntoEditor, false) && editor && m_editor && editor->at == m_editor->at)
            std::tie(m_editor->anchor, m_editor->cursor) = std::pair(editor->anchor, editor->cursor);
        for (int row = 0; row < int(m_cells.size()); ++row) {
            for (int column = 0; column < m_cells[row].size(); ++column) {
                if (m_list->Cell(row, column) != m_cells[row][column])
                    return QStringLiteral("cell %1 %2 holds \"%3\", not \"%4\"")
                        .arg(row).arg(column).arg(m_list->Cell(row, column), m_cells[row][column]);
            }
        }
        if (described(editor) != described(m_editor))
            return QStringLiteral("the list has %1, not %2").arg(described(editor), described(m_editor));
        if (m_list->SelectedRows() != std::vector<int>{m_selected})
            return QStringLiteral("row %1 is not the one selected").arg(m_selected);
        if (m_list->widget()->testAttribute(Qt::WA_InputMethodEnabled) != m_waiting.has_value())
            return QStringLiteral("the list %1 input-method text").arg(m_waiting ? "takes no" : "takes");
        return {};
    }

    static constexpr int kInterval = 30;   // the double-click interval, ms

private:
    struct Cell {
        int row;
        int column;
        bool operator==(const Cell&) const = default;
    };
    struct Editor {
        Cell at;
        QString text;
        qsizetype anchor = 0;   // the selection runs from here to the cursor
        qsizetype cursor = 0;
        qsizetype selectionStart() const { return std::min(anchor, cursor); }
        qsizetype selectionLength() const { return std::abs(cursor - anchor); }
    };
    static QString described(const std::optional<Editor>& editor)
    {
        if (!editor)
            return QStringLiteral("no editor");
        return QStringLiteral("an editor on %1 %2 holding \"%3\", the cursor at %4, %5 selected")
            .arg(editor->at.row).arg(editor->at.column).arg(editor->text).arg(editor->cursor).arg(editor->selectionLength());
    }

    void openWaitingEdit()
    {
        if (!m_waiting)
            return;
        const QString text = m_cells[m_waiting->row][m_waiting->column];
        m_editor = Editor{*m_waiting, text, 0, text.size()};   // all of it selected
        m_waiting.reset();
    }
    void store()
    {
        if (m_editor)
            m_cells[m_editor->at.row][m_editor->at.column] = m_editor->text;
        m_editor.reset();
    }

    std::optional<Editor> listsEditor() const
    {
        const auto* view = qobject_cast<QAbstractItemView*>(m_list->widget());
        const auto* line = dynamic_cast<QLineEdit*>(m_list->ActiveCell());
        for (int row = 0; line && row < int(m_cells.size()); ++row) {
            for (int column = 0; column < m_cells[row].size(); ++column) {
                if (line->geometry() != view->visualRect(view->model()->index(row, column)))
                    continue;
                const qsizetype start = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
                const qsizetype end = start + line->selectionLength();
                return Editor{{row, column}, line->text(), line->cursorPosition() == start ? end : start,
                              line->cursorPosition()};
            }
        }
        return std::nullopt;
    }

    fw::ListBox* m_list;
    std::vector<QStringList> m_cells;
    int m_selected;
    std::optional<Cell> m_waiting;
    QElapsedTimer m_waitingSince;
    std::optional<Editor> m_editor;
    bool m_clickedIntoEditor = false;
};

// A wheel turn over a point of the list's rows, to whatever lies under it.
void turnWheel(fw::ListBox* list, QPoint inViewport, int notches)
{
    QWidget* frame = list->widget()->window();
    const QPoint at = viewportOf(list)->mapTo(frame, inViewport);
    QWidget* under = frame->childAt(at);
    QWheelEvent wheel(under->mapFrom(frame, at), frame->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    QApplication::sendEvent(under, &wheel);
}

// Keys as a real keyboard sends them, each with what it does to the model.
struct KeyGesture {
    const char* name;
    std::function<void(QWindow*)> make;
    std::function<void(TypedCells&)> told;
};
const std::vector<KeyGesture>& keyGestures()
{
    const auto typed = [](const char* text) {
        return [text](TypedCells& cells) { cells.type(QString::fromUtf8(text)); };
    };
    const auto pressed = [](Qt::Key key, const char* text = "") {
        return [key, text](QWindow* window) { pressKey(window, key, QString::fromLatin1(text)); };
    };
    const auto told = [](Qt::Key key) { return [key](TypedCells& cells) { cells.press(key); }; };
    static const std::vector<KeyGesture> gestures{
        {"a", [](QWindow* w) { typeOnKeyboard(w, "a"); }, typed("a")},
        {"step", [](QWindow* w) { typeOnKeyboard(w, "step"); }, typed("step")},
        {"T, Shift first", [](QWindow* w) { typeOnKeyboard(w, "T"); }, typed("T")},
        {"+, Shift first", [](QWindow* w) { typeOnKeyboard(w, "+"); }, typed("+")},
        {"space", [](QWindow* w) { typeOnKeyboard(w, " "); }, typed(" ")},
        {"AltGr+E", [](QWindow* w) { pressWith(w, Qt::Key_AltGr, Qt::Key_E, "€"); }, typed("€")},
        {"´ e composed", [](QWindow* w) { typeWithDeadKey(w, Qt::Key_Dead_Acute, u'e', "é"); }, typed("é")},
        {"` a not composed", [](QWindow* w) { pressKey(w, Qt::Key_Dead_Grave); typeOnKeyboard(w, "a"); }, typed("a")},
        {"Ctrl+V", [](QWindow* w) { pressWith(w, Qt::Key_Control, Qt::Key_V); }, typed("Clip")},
        {"Shift+Insert", [](QWindow* w) { pressWith(w, Qt::Key_Shift, Qt::Key_Insert); }, typed("Clip")},
        {"Caps Lock", pressed(Qt::Key_CapsLock), [](TypedCells&) {}},
        {"Backspace", [](QWindow* w) { typeOnKeyboard(w, "\b"); }, [](TypedCells& cells) { cells.erase(false); }},
        {"Delete", pressed(Qt::Key_Delete), [](TypedCells& cells) { cells.erase(true); }},
        {"Return", pressed(Qt::Key_Return, "\r"), told(Qt::Key_Return)},
        {"Escape", pressed(Qt::Key_Escape, "\x1b"), told(Qt::Key_Escape)},
        {"Up", pressed(Qt::Key_Up), told(Qt::Key_Up)},
        {"Down", pressed(Qt::Key_Down), told(Qt::Key_Down)},
        {"Left", pressed(Qt::Key_Left), told(Qt::Key_Left)},
        {"Right", pressed(Qt::Key_Right), told(Qt::Key_Right)},
    };
    return gestures;
}

// One gesture of the user's, drawn at random, made on the list and told to
// the model; answers what it was.
QString userStep(QRandomGenerator& random, fw::ListBox* list, TypedCells& cells)
{
    std::vector<int> shown;   // the rows wholly in view
    for (int row = 0; row < list->ListCount(); ++row) {
        if (viewportOf(list)->rect().contains(cellRect(list, row)))
            shown.push_back(row);
    }
    const bool selectedShown = std::find(shown.begin(), shown.end(), list->ListIndex()) != shown.end();
    const int row = selectedShown && random.bounded(2) ? list->ListIndex() : shown[random.bounded(int(shown.size()))];
    const int column = random.bounded(list->ColumnCount());
    const auto pause = [&](bool pastTheInterval) {
        QTest::qWait(pastTheInterval ? TypedCells::kInterval + 15 : random.bounded(TypedCells::kInterval / 4));
        QCoreApplication::processEvents();   // the wait may end without a last turn of the loop
        cells.waited(pastTheInterval);
        return QString(pastTheInterval ? "a pause past the interval" : "a short pause");
    };
    // Out of 24: 7 clicks (one of them followed by a pause past the
    // interval), 1 double-click, 1 pause past the interval, 2 short ones,
    // 1 wheel turn, 12 keys.
    const int kind = random.bounded(24);
    if (kind < 8) {
        const bool twice = kind == 0;
        cells.click(row, column, twice);
        clickCell(list, row, column, twice);
        const QString click = QStringLiteral("%1 %2 %3").arg(twice ? "double-click" : "click").arg(row).arg(column);
        return kind == 1 ? click + ", " + pause(true) : click;
    }
    if (kind < 11)
        return pause(kind == 8);
    if (kind == 11) {
        const int notches = random.bounded(2) ? 1 : -1;
        turnWheel(list, cellRect(list, row, column).center(), notches);
        cells.wheelTurned();
        return QStringLiteral("wheel %1 over %2 %3").arg(notches).arg(row).arg(column);
    }
    const KeyGesture& key = keyGestures()[random.bounded(int(keyGestures().size()))];
    key.told(cells);
    key.make(list->window().frame()->windowHandle());
    return QString::fromUtf8(key.name);
}

} // namespace

class TestListBox : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { fw::registerLayout(fw::parseLayout(layoutJson, QStringLiteral("test"))); }

    void init()
    {
        m_window = new ListWindow;   // closeAll() deletes it
        m_window->open();
        QVERIFY(QTest::qWaitForWindowActive(m_window->frame()));
        m_list = m_window->control<fw::ListBox>(QStringLiteral("List"));
    }

    void cleanup()
    {
        if (m_window)
            m_window->closing = nullptr;
        closeAllWindows();
    }

    // Rows are tagged in hidden cell 97 with their place before the sort;
    // hidden cells go with their rows through the sort and a RemoveRow.
    void sortOrders_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<bool>("foundFirst");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("text ascending") << 1 << false << QList<int>{2, 3, 0, 1, 4};
        QTest::newRow("text descending, ties stable") << -1 << false << QList<int>{1, 4, 0, 3, 2};
        QTest::newRow("found first") << 1 << true << QList<int>{2, 1, 3, 0, 4};
        QTest::newRow("found first, descending") << -1 << true << QList<int>{4, 0, 3, 1, 2};
    }
    void sortOrders()
    {
        QFETCH(int, direction);
        QFETCH(bool, foundFirst);
        QFETCH(QList<int>, expected);
        const QStringList titles{"cherry", "same", "apple", "Banana", "same"};
        const QStringList found{"0", "1", "1", "0", "0"};
        fill(m_list, titles);
        for (int r = 0; r < titles.size(); ++r) {
            m_list->setCell(r, 96, found[r]);
            m_list->setCell(r, 97, QString::number(r));
        }
        // Found songs first, compared as numbers; equal ones fall back to the text.
        m_list->CompareRows = [&](int r1, int r2, int, int& result) {
            result = m_list->Cell(r2, 96).toInt() - m_list->Cell(r1, 96).toInt();
            return foundFirst && result != 0;
        };
        m_list->setSortedColumn(0);
        m_list->setColumnSortDirection(0, direction);
        m_list->Sort();
        m_list->RemoveRow(1);
        expected.removeAt(1);
        for (int r = 0; r < expected.size(); ++r) {
            const int tag = m_list->Cell(r, 97).toInt();
            QCOMPARE(tag, expected[r]);
            QCOMPARE(m_list->Cell(r, 0) + m_list->Cell(r, 96), titles[tag] + found[tag]);
        }
    }

    // Past a handful of rows an unstable sort would mix up equal ones.
    void manyTiesKeepTheirOrder()
    {
        QStringList numbers;
        for (int r = 0; r < 100; ++r)
            numbers << QString::number(r);
        fill(m_list, numbers);
        m_list->setSortedColumn(1);   // empty throughout
        m_list->Sort();
        QCOMPARE(columnTexts(m_list, 0), numbers);
    }

    // A new row's hidden cells are empty; out-of-range arguments do nothing
    // and read empty.
    void insertAndOutOfRange()
    {
        fill(m_list, {"a", "b"});
        m_list->setCell(0, 98, QStringLiteral("A"));
        m_list->InsertRow(0, QStringLiteral("x"));
        m_list->RemoveRow(2);
        m_list->InsertRow(9, QStringLiteral("y"));
        m_list->setCell(-1, 0, QStringLiteral("z"));
        QCOMPARE(m_list->LastIndex(), 0);
        QCOMPARE(QStringList({m_list->Cell(0, 98), m_list->Cell(1, 98), m_list->Cell(2, 0), m_list->Cell(0, -3)}),
                 QStringList({"", "A", "", ""}));
        // The revision moves with every change, and only then: paint hooks
        // set cells to the text they hold while the list paints.
        quint64 revision = m_list->Revision();
        const auto changed = [&] {
            const quint64 now = m_list->Revision();
            return std::exchange(revision, now) != now;
        };
        m_list->setCell(0, 0, QStringLiteral("x"));
        m_list->setCell(1, 98, QStringLiteral("A"));
        QVERIFY(!changed());
        for (const auto& change : std::initializer_list<std::function<void()>>{
                 [&] { m_list->setCell(0, 1, QStringLiteral("x")); }, [&] { m_list->setCell(0, 97, QStringLiteral("h")); },
                 [&] { m_list->AddRow(QStringLiteral("a")); }, [&] { m_list->setSortedColumn(0); m_list->Sort(); },
                 [&] { m_list->RemoveRow(0); }, [&] { m_list->DeleteAllRows(); }}) {
            change();
            QVERIFY(changed());
        }
        // Several rows at once, in any order; others are passed over.
        fill(m_list, {"0", "1", "2", "3", "4", "5"});
        m_list->setListIndex(1);
        m_list->setSelected(4, true);
        m_list->RemoveRows({4, 1, 2, 2, -1, 9});
        QCOMPARE(columnTexts(m_list, 0), QStringList({"0", "3", "5"}));
        QCOMPARE(m_list->SelCount(), 0);
    }

    void changeOnlyWhenSelectionChanges()
    {
        fill(m_list, {"e", "d", "c", "b", "a"});
        QSignalSpy spy(m_list, &fw::ListBox::change);
        // The change events since the last look, and the selected row.
        const auto seen = [&] {
            const QString state = QStringLiteral("%1 changes, row %2").arg(spy.count()).arg(m_list->ListIndex());
            spy.clear();
            return state;
        };
        m_list->setListIndex(2);
        m_list->setListIndex(2);
        clickRow(m_list, 2);
        QCOMPARE(seen(), "1 changes, row 2");
        clickRow(m_list, 0);
        QCOMPARE(seen(), "1 changes, row 0");
        m_list->setSortedColumn(0);
        m_list->Sort();   // the selection follows its row, silently
        QCOMPARE(seen(), "0 changes, row 4");
        clickRow(m_list, -1);
        clickRow(m_list, -1);
        QCOMPARE(seen(), "1 changes, row -1");
        m_list->setListIndex(2);
        m_list->RemoveRow(0);   // renumbers the selected row without a change
        QCOMPARE(seen(), "1 changes, row 1");
        m_list->RemoveRow(1);
        QCOMPARE(seen(), "1 changes, row -1");
        m_list->setListIndex(0);
        m_list->DeleteAllRows();
        m_list->setListIndex(7);
        QCOMPARE(seen(), "2 changes, row -1");
    }

    // Row 0's text is red, row 2's not drawn at all, over a background of
    // alternating colours; the selected row keeps its highlight.
    void paintHooksReachThePixels()
    {
        fill(m_list, {"WWWW missing", "WWWW found", "WWWW hidden", "WWWW selected"});
        m_list->CellTextPaint = [](fw::Graphics& g, int row, int, int, int) {
            if (row == 0)
                g.ForeColor = Qt::red;
            return row == 2;
        };
        const QColor even(255, 250, 200), odd(200, 230, 255);
        m_list->CellBackgroundPaint = [&](fw::Graphics& g, int row, int) {
            g.ForeColor = row % 2 ? odd : even;
            g.FillRect(0, 0, g.Width, g.Height);
            return false;
        };
        m_list->setListIndex(3);
        const QImage image = viewportOf(m_list)->grab().toImage();
        const auto ink = [&](int row) {
            const QImage cell = image.copy(cellRect(m_list, row));
            return countPixels(cell, isRed) > 20 ? "red" : countPixels(cell, isDark) > 20 ? "dark"
                 : countPixels(cell, isDark) == 0 ? "none" : "faint";
        };
        QCOMPARE(QStringList({ink(0), ink(1), ink(2)}), QStringList({"red", "dark", "none"}));
        const auto background = [&](int row) { return image.pixelColor(cellRect(m_list, row, 2).center()); };
        QCOMPARE(QList<QColor>({background(0), background(1)}), QList<QColor>({even, odd}));
        QCOMPARE_NE(background(3), odd);
    }

    // A column worked out from the row above: the list shows it, Cell answers
    // it and sorting compares it; the stored texts stay as they are.
    void workedOutColumn()
    {
        fill(m_list, {"a", "b", "c"});
        const QStringList times{"10", "12", "15"};
        for (int r = 0; r < times.size(); ++r)
            m_list->setCell(r, 1, times[r]);
        m_list->setCell(0, 2, QStringLiteral("WWWW"));
        m_list->CellText = [&](int row, int column, QString& text) {
            if (column != 2)
                return false;
            text = row == 0 ? QString() : QString::number(m_list->Cell(row, 1).toInt() - m_list->Cell(row - 1, 1).toInt());
            return true;
        };
        const quint64 revision = m_list->Revision();
        QCOMPARE(columnTexts(m_list, 2), QStringList({"", "2", "3"}));
        const QImage image = viewportOf(m_list)->grab().toImage();
        const auto inked = [&](int row) { return countPixels(image.copy(cellRect(m_list, row, 2)), isDark) > 5; };
        QCOMPARE(QList<bool>({inked(0), inked(2)}), QList<bool>({false, true}));
        m_list->setSortedColumn(2);
        m_list->setColumnSortDirection(2, -1);
        m_list->Sort();
        QCOMPARE(columnTexts(m_list, 0), QStringList({"c", "b", "a"}));
        m_list->CellText = nullptr;
        QCOMPARE(m_list->Cell(2, 2), QStringLiteral("WWWW"));
        QCOMPARE(m_list->Revision(), revision + 1);   // the sort alone
    }

    // Hooks may work a cell out from the rows above it: a change in a visible
    // row or above them repaints every visible row, one below them none.
    void changeRepaints_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("repaints");
        QTest::newRow("cell in a visible row") << "cell 23" << true;
        QTest::newRow("hidden cell in a visible row") << "hidden 23" << true;
        QTest::newRow("cell above") << "cell 5" << true;
        QTest::newRow("cell below") << "cell 150" << false;
        QTest::newRow("same text again") << "same 23" << false;
        QTest::newRow("row inserted above") << "insert 5" << true;
        QTest::newRow("row inserted below") << "insert 150" << false;
        QTest::newRow("row removed above") << "remove 5" << true;
        QTest::newRow("row removed below") << "remove 150" << false;
        QTest::newRow("rows sorted") << "sort" << true;
    }
    void changeRepaints()
    {
        QFETCH(QString, change);
        QFETCH(bool, repaints);
        fill(m_list, 200);
        m_list->setScrollPosition(20);
        QSet<int> painted;
        m_list->CellTextPaint = [&](fw::Graphics&, int row, int, int, int) {
            painted << row;
            return false;
        };
        QTest::qWait(50);
        painted.clear();
        const int row = change.section(' ', 1).toInt();
        if (change.startsWith("cell"))
            m_list->setCell(row, 1, QStringLiteral("x"));
        else if (change.startsWith("hidden"))
            m_list->setCell(row, 98, QStringLiteral("x"));
        else if (change.startsWith("same"))
            m_list->setCell(row, 0, m_list->Cell(row, 0));
        else if (change.startsWith("insert"))
            m_list->InsertRow(row, QStringLiteral("new"));
        else if (change.startsWith("remove"))
            m_list->RemoveRow(row);
        else {
            m_list->setSortedColumn(0);
            m_list->Sort();   // as text: 0, 1, 10, 100, ...
        }
        QTest::qWait(50);
        const int last = hit(m_list, QPoint(5, viewportOf(m_list)->height() - 1)).y();
        QVERIFY(last > 25);
        QCOMPARE(painted.contains(20) && painted.contains(last) ? "all" : painted.isEmpty() ? "none" : "some",
                 repaints ? "all" : "none");
    }

    // A fill that lets the event loop turn every 99 rows does not repaint
    // the screenful of rows above it at each turn, yet its rows can be
    // reached in every way meanwhile and at the end.
    void longFill_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<int>("selected");
        QTest::newRow("nothing") << "" << -1;
        QTest::newRow("last row selected") << "select" << 1499;
        QTest::newRow("scrolled to the end, last row clicked") << "scroll" << 1499;
        QTest::newRow("a visible row clicked") << "click" << 3;
        QTest::newRow("End key") << "end" << 1499;
    }
    void longFill()
    {
        QFETCH(QString, meanwhile);
        int painted = 0;
        m_list->CellTextPaint = [&](fw::Graphics&, int, int, int, int) {
            ++painted;
            return false;
        };
        int paintingTurns = 0;   // once the first rows and the scroll bar are shown
        for (int r = 0; r < 3000; ++r) {
            m_list->AddRow(QString::number(r));
            m_list->setCell(r, 1, QStringLiteral("x"));
            if (r % 99 == 98) {
                const int before = painted;
                QCoreApplication::processEvents();
                paintingTurns += r > 500 && painted > before;
            }
            if (r == 700 && meanwhile == "end")
                clickRow(m_list, 3);
            if (r != 1499 || meanwhile.isEmpty())
                continue;
            QCOMPARE(paintingTurns, meanwhile == "end" ? 1 : 0);   // the click
            if (meanwhile == "select") {
                m_list->setListIndex(r);
            } else if (meanwhile == "scroll") {
                m_list->setScrollPosition(r);
                clickRow(m_list, r);
            } else if (meanwhile == "click") {
                clickRow(m_list, 3);
            } else {
                QTest::keyClick(m_list->widget(), Qt::Key_End);
            }
            QCOMPARE(hit(m_list, rowPoint(m_list, m_list->ListIndex())).y(), m_list->ListIndex());
            QTest::qWait(20);
            paintingTurns = 0;
        }
        // Scrolled to the last row, the rows that come next show at once.
        QVERIFY2(paintingTurns <= 2, qPrintable(QStringLiteral("%1 turns painted").arg(paintingTurns)));
        QTEST(m_list->ListIndex(), "selected");
        // The scroll bar catches up by itself; the last rows can be reached.
        const auto* bar = qobject_cast<QAbstractScrollArea*>(m_list->widget())->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 2950);
        m_list->setListIndex(2999);
        QCOMPARE(hit(m_list, rowPoint(m_list, 2999)).y(), 2999);
        clickRow(m_list, 2998);
        QCOMPARE(m_list->ListIndex(), 2998);
    }

    // Above the rows is the heading; points there and below the rows hit
    // nothing. Files are taken once the list accepts them: one dropped on a
    // row tells the first file and the row, and adds none.
    void hitTestingFileDropOnRowAndDoubleClickOnRowsOnly()
    {
        fill(m_list, {"a", "b", "c", "d", "e"});
        QCOMPARE(QList<QPoint>({hit(m_list, rowPoint(m_list, 0)), hit(m_list, cellRect(m_list, 3, 2).center()),
                                hit(m_list, QPoint(30, -5)), hit(m_list, rowPoint(m_list, -1))}),
                 QList<QPoint>({{0, 0}, {2, 3}, {-1, -1}, {-1, -1}}));
        QSignalSpy doubleClicked(m_list, &fw::ListBox::doubleClick);
        clickRow(m_list, 1, true);
        clickRow(m_list, -1, true);
        QCOMPARE(doubleClicked.count(), 1);
        QSignalSpy dropped(m_list, &fw::Control::dropObject);
        const QStringList files = {QDir::temp().filePath("My Song.mp3"), QDir::tempPath()};
        QVERIFY(!dropFiles(viewportOf(m_list), rowPoint(m_list, 3), files));
        m_list->acceptFileDrop(QStringLiteral("special/any"));
        QVERIFY(dropFiles(viewportOf(m_list), rowPoint(m_list, 3), files));
        QCOMPARE(dropped.count(), 1);
        const auto item = dropped.first().first().value<fw::DragItem>();
        QCOMPARE(item.folderItem.posixPath(), files.first());
        QCOMPARE(m_list->RowFromXY(item.position.x(), item.position.y()), 3);
        QCOMPARE(m_list->ListCount(), 5);
    }

    // Every key goes through CellKeyDown first; the hook may move the edit on.
    void editInPlace_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("hookMovesOn");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("events");
        const QString typed = "focus 1 1, key 52, text 1 1, key 50, text 1 1, key ";
        QTest::newRow("Return keeps") << int(Qt::Key_Return) << false << "42" << typed + "13, action 1 1";
        QTest::newRow("Tab keeps") << int(Qt::Key_Tab) << false << "42" << typed + "9, action 1 1";
        QTest::newRow("Escape restores") << int(Qt::Key_Escape) << false << "old" << typed + "27, action 1 1";
        QTest::newRow("hook edits the next cell") << int(Qt::Key_Tab) << true << "42"
                                                  << typed + "9, action 1 1, focus 1 2";
    }
    void editInPlace()
    {
        QFETCH(int, key);
        QFETCH(bool, hookMovesOn);
        QStringList log;   // the editing events, in order
        QObject heard;     // the edit left open ends when the window closes, after the test
        const auto entry = [&](const char* what) {
            return [&log, what](int r, int c) { log << QStringLiteral("%1 %2 %3").arg(what).arg(r).arg(c); };
        };
        connect(m_list, &fw::ListBox::cellGotFocus, &heard, entry("focus"));
        connect(m_list, &fw::ListBox::cellTextChange, &heard, entry("text"));
        connect(m_list, &fw::ListBox::cellAction, &heard, entry("action"));
        fill(m_list, {"a", "b"});
        m_list->setCell(1, 1, QStringLiteral("old"));
        m_list->setCell(1, 2, QStringLiteral("next"));
        m_list->CellKeyDown = [&](int r, int c, const QString& key) {
            log << QStringLiteral("key %1").arg(key.at(0).unicode());
            if (hookMovesOn && key == QLatin1String("\t"))
                m_list->EditCell(r, c + 1);
            return hookMovesOn && key == QLatin1String("\t");
        };
        m_list->EditCell(1, 1);
        QCOMPARE(activeText(m_list), QStringLiteral("old"));
        QTest::keyClicks(editor(m_list), QStringLiteral("42"));
        QCOMPARE(m_list->Cell(1, 1), QStringLiteral("old"));   // stored when the edit ends
        QTest::keyClick(editor(m_list), Qt::Key(key));
        QTEST(log.join(", "), "events");
        QTEST(m_list->Cell(1, 1), "stored");
        QCOMPARE(activeText(m_list), hookMovesOn ? "next" : "<none>");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The editor takes a cell's text whole, however long, and stores it so.
    void longCellEditsWhole()
    {
        fill(m_list, {"a"});
        const QString longText(40000, u'x');
        m_list->setCell(0, 1, longText);
        m_list->EditCell(0, 1);
        QTest::keyClick(editor(m_list), Qt::Key_End);
        QTest::keyClicks(editor(m_list), QStringLiteral("!"));
        QTest::keyClick(editor(m_list), Qt::Key_Return);
        QCOMPARE(m_list->Cell(0, 1), longText + QLatin1Char('!'));
    }

    // A click on the selected row's editable cell edits it once the
    // double-click interval has passed; whatever happens meanwhile drops it.
    void clickToEdit_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("events");
        QTest::newRow("nothing") << "" << "focus 1 1";
        QTest::newRow("the second click of a double-click") << "double" << "double-click";
        QTest::newRow("a click on another row") << "other" << "";
        QTest::newRow("a click on the window") << "window" << "";
        QTest::newRow("a key that types nothing") << "key" << "";
        QTest::newRow("Shift alone") << "shift" << "focus 1 1";
        QTest::newRow("a scroll") << "scroll" << "";
        QTest::newRow("another row selected") << "select" << "";
        QTest::newRow("another row selected before the release") << "press" << "";
        QTest::newRow("a row removed") << "remove" << "";
        QTest::newRow("EditCell, at once") << "code" << "focus 2 1";
    }
    void clickToEdit()
    {
        QFETCH(QString, meanwhile);
        const int interval = QApplication::doubleClickInterval();
        const auto restore = qScopeGuard([interval] { QApplication::setDoubleClickInterval(interval); });
        QApplication::setDoubleClickInterval(150);
        fill(m_list, 40);
        m_list->setColumnEditable(1, true);
        m_list->setListIndex(1);
        QStringList log;
        QObject heard;
        connect(m_list, &fw::ListBox::cellGotFocus, &heard, [&](int r, int c) { log << QStringLiteral("focus %1 %2").arg(r).arg(c); });
        connect(m_list, &fw::ListBox::doubleClick, &heard, [&] { log << QStringLiteral("double-click"); });
        QWidget* rows = viewportOf(m_list);
        const QPoint cell = cellRect(m_list, 1, 1).center();
        QTest::mousePress(rows, Qt::LeftButton, {}, cell);
        if (meanwhile == "press")
            m_list->setListIndex(2);
        QTest::mouseRelease(rows, Qt::LeftButton, {}, cell);
        QCOMPARE(activeText(m_list), "<none>");
        if (meanwhile == "double") {
            // The second press goes to whatever is under the mouse by then.
            QWidget* under = rows->childAt(cell) ? rows->childAt(cell) : rows;
            QTest::mouseDClick(under, Qt::LeftButton, {}, under->mapFrom(rows, cell));
            QTest::mouseRelease(under, Qt::LeftButton, {}, under->mapFrom(rows, cell));
        } else if (meanwhile == "other") {
            QTest::mouseClick(rows, Qt::LeftButton, {}, cellRect(m_list, 2, 1).center());
        } else if (meanwhile == "window") {
            QTest::mouseClick(m_list->window().content(), Qt::LeftButton, {}, QPoint(435, 290));
        } else if (meanwhile == "key") {
            QTest::keyClick(m_list->window().frame(), Qt::Key_F5);
        } else if (meanwhile == "shift") {
            QTest::keyClick(m_list->window().frame(), Qt::Key_Shift);
        } else if (meanwhile == "scroll") {
            qobject_cast<QAbstractScrollArea*>(m_list->widget())->verticalScrollBar()->triggerAction(
                QAbstractSlider::SliderSingleStepAdd);
        } else if (meanwhile == "select") {
            m_list->setListIndex(2);
        } else if (meanwhile == "remove") {
            m_list->RemoveRow(30);
        } else if (meanwhile == "code") {
            m_list->EditCell(2, 1);
            QCOMPARE(log, QStringList({"focus 2 1"}));
        }
        QTest::qWait(300);
        QTEST(log.join(", "), "events");
    }

    // What a real keyboard types while the edit waits goes into the cell:
    // the modifier's own press (Shift, AltGr, Caps Lock) neither drops the
    // edit nor loses the character typed with it, a composed character and
    // a paste go in too; a key that types nothing drops the edit.
    void typedWhileTheEditWaits_data()
    {
        QTest::addColumn<int>("pause");   // ms after the click, within the interval of 400
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("stored");
        QTest::newRow("a capital, Shift pressed first") << 0 << "type Turn left" << "Turn left";
        QTest::newRow("a capital 300 ms after the click") << 300 << "type Spin" << "Spin";
        QTest::newRow("a sign typed with Shift") << 0 << "type +120" << "+120";
        QTest::newRow("Caps Lock") << 0 << "caps TURN" << "TURN";
        QTest::newRow("AltGr") << 100 << "altgr" << "€";
        QTest::newRow("composed characters") << 0 << "compose" << "été";
        QTest::newRow("a dead key the platform does not compose") << 0 << "dead" << "e";
        // X11 composes for a focus object that takes input-method text only;
        // any other gets the dead key's own press, and its accent is lost.
        QTest::newRow("a dead key and a letter, as X11 composes them") << 0 << "x11 dead" << "é";
        QTest::newRow("a dead key as X11 composes it, 300 ms after the click") << 300 << "x11 dead" << "é";
        QTest::newRow("Ctrl+V") << 0 << "ctrl+v" << "pasted";
        QTest::newRow("Shift+Insert") << 200 << "shift+insert" << "pasted";
        QTest::newRow("a key that types nothing") << 0 << "f5" << "old";
    }
    void typedWhileTheEditWaits()
    {
        QFETCH(int, pause);
        QFETCH(QString, keys);
        const int interval = QApplication::doubleClickInterval();
        const auto restore = qScopeGuard([interval] { QApplication::setDoubleClickInterval(interval); });
        QApplication::setDoubleClickInterval(400);
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
        // The program's Edit menu has Paste on these keys.
        QAction menuPaste(QStringLiteral("Paste"));
        menuPaste.setShortcuts(QKeySequence::Paste);
        int menuPastes = 0;
        connect(&menuPaste, &QAction::triggered, [&menuPastes] { ++menuPastes; });
        m_window->frame()->addAction(&menuPaste);
        fill(m_list, {"a", "b"});
        m_list->setColumnEditable(1, true);
        m_list->setCell(1, 1, QStringLiteral("old"));
        m_list->setListIndex(1);
        QWindow* window = m_window->frame()->windowHandle();
        QTest::mouseClick(viewportOf(m_list), Qt::LeftButton, {}, cellRect(m_list, 1, 1).center());
        QTest::qWait(pause);
        if (keys.startsWith("type ")) {
            typeOnKeyboard(window, keys.mid(5));
        } else if (keys.startsWith("caps ")) {
            pressKey(window, Qt::Key_CapsLock);
            for (const QChar c : keys.mid(5))
                pressKey(window, Qt::Key(c.unicode()), c);
        } else if (keys == "altgr") {
            pressWith(window, Qt::Key_AltGr, Qt::Key_E, "€");
        } else if (keys == "compose") {
            typeWithDeadKey(window, Qt::Key_Dead_Acute, u'e', "é");
            typeOnKeyboard(window, "t");
            typeWithDeadKey(window, Qt::Key_Dead_Acute, u'e', "é");
        } else if (keys == "x11 dead") {
            typeWithDeadKey(window, Qt::Key_Dead_Acute, u'e', "é");
        } else if (keys == "dead") {
            pressKey(window, Qt::Key_Dead_Acute);
            typeOnKeyboard(window, "e");
        } else if (keys == "ctrl+v") {
            pressWith(window, Qt::Key_Control, Qt::Key_V);
        } else if (keys == "shift+insert") {
            pressWith(window, Qt::Key_Shift, Qt::Key_Insert);
        } else {
            pressKey(window, Qt::Key_F5);
        }
        QTest::qWait(450 - pause);   // past the interval
        pressKey(window, Qt::Key_Return, "\r");
        QTEST(m_list->Cell(1, 1), "stored");
        QCOMPARE(activeText(m_list), "<none>");
        QCOMPARE(menuPastes, 0);
    }

    // A long run of the user's gestures drawn at random: clicks and
    // double-clicks on the selected row and others, on editable cells and
    // others; pauses shorter and longer than the double-click interval; keys
    // as a real keyboard sends them; wheel turns. After every step each cell
    // holds what it held, or what the user typed into the editor their own
    // click opened on it. A failing run tells its seed; LIST_INPUT_SEED
    // replays it.
    void randomInput()
    {
        const int interval = QApplication::doubleClickInterval();
        const auto restore = qScopeGuard([interval] { QApplication::setDoubleClickInterval(interval); });
        QApplication::setDoubleClickInterval(TypedCells::kInterval);
        QGuiApplication::clipboard()->setText(QStringLiteral("Clip"));
        fill(m_list, 20);
        for (int row = 0; row < 20; ++row) {
            for (int column = 1; column < 4; ++column)
                m_list->setCell(row, column, QStringLiteral("%1.%2").arg(row).arg(column));
        }
        m_list->setColumnEditable(1, true);
        m_list->setColumnEditable(3, true);
        clickCell(m_list, 0, 0);
        const QByteArray given = qgetenv("LIST_INPUT_SEED");
        const quint32 seed = given.isEmpty() ? QRandomGenerator::global()->generate() : given.toUInt();
        QRandomGenerator random(seed);
        TypedCells cells(m_list);
        QStringList steps;
        for (int step = 0; step < 2000; ++step) {
            steps << userStep(random, m_list, cells);
            const QString wrong = cells.mismatch();
            QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("seed %1, step %2: %3; the last steps: %4")
                                                      .arg(seed).arg(step).arg(wrong, steps.mid(std::max(0, step - 12)).join(", "))));
        }
    }

    // What was typed in an edit left open is kept when code finishes the
    // edit, when the rows are deleted and when the window closes (before its
    // Close event); removing the edited row drops it.
    void openEditEnds_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("events");
        const QString kept = "action 1 1: typed, 2 rows";
        QTest::newRow("finishEdit") << "finish" << kept;
        QTest::newRow("finishEdit, no edit open") << "finish only" << "";
        QTest::newRow("window closed") << "close" << kept + "|close";
        QTest::newRow("all rows deleted") << "delete" << kept;
        QTest::newRow("its row removed") << "remove" << "";
    }
    void openEditEnds()
    {
        QFETCH(QString, how);
        fill(m_list, {"a", "b"});
        QStringList log;
        QObject heard;
        connect(m_list, &fw::ListBox::cellAction, &heard, [&](int r, int c) {
            log << QStringLiteral("action %1 %2: %3, %4 rows").arg(r).arg(c).arg(m_list->Cell(r, c)).arg(m_list->ListCount());
        });
        m_window->closing = [&log] { log << QStringLiteral("close"); };
        if (how != "finish only") {
            m_list->EditCell(1, 1);
            QTest::keyClicks(editor(m_list), QStringLiteral("typed"));
        }
        if (how.startsWith("finish"))
            m_list->finishEdit();
        else if (how == "close")
            m_window->Close();
        else if (how == "delete")
            m_list->DeleteAllRows();
        else
            m_list->RemoveRow(1);
        QTEST(log.join('|'), "events");
        if (how != "close")
            QCOMPARE(activeText(m_list), "<none>");
    }

    void scrollPosition()
    {
        fill(m_list, 200);
        m_list->setScrollPosition(50);
        QCOMPARE(m_list->ScrollPosition(), 50);
        QCOMPARE(hit(m_list, QPoint(5, 2)).y(), 50);
        // No further than the last row needs.
        m_list->setScrollPosition(10000);
        QVERIFY(m_list->ScrollPosition() > 150 && m_list->ScrollPosition() < 199);
        QVERIFY(cellRect(m_list, 199).bottom() < viewportOf(m_list)->height());
    }

    void headingClickSortsThenReverses()
    {
        fill(m_list, {"b", "c", "a"});
        auto* heading = m_list->widget()->findChild<QHeaderView*>();
        for (const char* expected : {"abc", "cba"}) {
            QTest::mouseClick(heading->viewport(), Qt::LeftButton, {}, QPoint(10, heading->height() / 2));
            QCOMPARE(columnTexts(m_list, 0).join(""), QLatin1String(expected));
        }
    }

    // A text a little too wide for its column shows whole in a narrower
    // font; one far too wide keeps the font and is cut short.
    void cellTextsShowWholeOrCutShort_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("fits") << "12.50" << "whole";
        QTest::newRow("a little too wide") << "888.88 888" << "whole, narrower";
        QTest::newRow("far too wide") << "a note far wider than its column" << "cut short";
    }
    void cellTextsShowWholeOrCutShort()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        m_list->setColumnWidths(QStringLiteral("60"));
        fill(m_list, {text});
        QStringList drawn;
        for (const DrawnText& t : drawnTexts(m_list->widget())) {
            if (cellRect(m_list, 0).contains(viewportOf(m_list)->mapFrom(m_list->widget(), t.at))) {
                drawn << (t.text == text ? "whole" : t.text.endsWith(QChar(0x2026)) ? "cut short" : t.text);
                if (t.font.stretch() != QFont::AnyStretch && t.font.stretch() < QFont::Unstretched)
                    drawn << "narrower";
            }
        }
        QCOMPARE(drawn.join(", "), shown);
    }

private:
    QPointer<ListWindow> m_window;
    fw::ListBox* m_list = nullptr;
};

QTEST_MAIN(TestListBox)
#include "tst_listbox.moc"
