#include "framework/ListBox.h"

#include "framework/Format.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QHeaderView>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <map>
#include <numeric>

namespace fw {

namespace {

// The keys the editor leaves to the list: they move between or end edits.
bool isEditKey(int key)
{
    switch (key) {
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
    case Qt::Key_Tab: case Qt::Key_Backtab: case Qt::Key_Return: case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    default:
        return false;
    }
}

constexpr int textMargin = 4;

// While installed on the application, hears of every press, double-click,
// key and wheel turn, wherever they go; `heard` answers true for one it took.
class InputWatch final : public QObject {
public:
    InputWatch(std::function<bool(QObject*, QEvent*)> heard, QObject* parent)
        : QObject(parent), m_heard(std::move(heard)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
        case QEvent::Wheel:
            if (m_heard(watched, event))
                return true;
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(QObject*, QEvent*)> m_heard;
};

// A key that edits text (a letter, a digit, a sign, Backspace or Delete),
// not a command.
bool editsText(const QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return (!text.isEmpty() && text.at(0).isPrint()) || event->key() == Qt::Key_Backspace
        || event->key() == Qt::Key_Delete;
}

// The font, at the narrowest stretch and as large as it can be, in which a
// text takes no more than the width.
QFont smallerToFit(const QFont& font, const QString& text, int width)
{
    QFont smaller = font;
    smaller.setStretch(kNarrowestStretch);
    const QFontInfo info(smaller);
    for (int pixels = info.pixelSize(); pixels > 1; --pixels) {
        smaller.setPixelSize(pixels);
        if (QFontMetricsF(smaller).horizontalAdvance(text) <= width)
            break;
    }
    return smaller;
}

// The keys with which the user selects rows in the list.
bool selectsRows(const QKeyEvent* event)
{
    if (event->matches(QKeySequence::SelectAll))
        return true;
    switch (event->key()) {
    case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_PageUp: case Qt::Key_PageDown:
    case Qt::Key_Home: case Qt::Key_End: case Qt::Key_Space: case Qt::Key_Select:
        return true;
    default:
        return false;
    }
}

} // namespace

void Graphics::FillRect(int x, int y, int width, int height)
{
    // A cell has one background colour: any fill that reaches into the cell
    // colours all of it.
    if (width > 0 && height > 0 && x < Width && y < Height && x + width > 0 && y + height > 0)
        m_fill = ForeColor;
}

bool ShiftKey() { return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier; }

// ---- ListModel -----------------------------------------------------------

// The rows and the columns' properties. A row keeps its visible cells in a
// vector as long as the column count, its hidden cells in a short list, and
// an id that stays with it through sorting, so the list can tell whether the
// same rows are still selected.
class ListModel final : public QAbstractTableModel {
public:
    explicit ListModel(const ListBox& box) : m_box(box) {}

    struct ColumnInfo {
        QString heading;
        Alignment alignment = Alignment::Default;
        bool editable = false;
        int direction = 1;
    };

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : m_columns;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::DisplayRole && index.isValid())
            return shown(index.row(), index.column());
        return QVariant();
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal)
            return QVariant();
        if (role == Qt::DisplayRole)
            return column(section).heading;
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(horizontalAlignment(column(section).alignment) | Qt::AlignVCenter);
        return QVariant();
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    }

    bool validRow(int row) const { return row >= 0 && row < static_cast<int>(m_rows.size()); }
    quint64 rowId(int row) const { return m_rows[row].id; }

    // The text the row holds under the column.
    const QString& stored(int row, int col) const
    {
        static const QString none;
        if (!validRow(row) || col < 0)
            return none;
        const Row& r = m_rows[row];
        if (col < m_columns)
            return r.cells[col];
        for (const auto& [hiddenColumn, text] : r.hidden) {
            if (hiddenColumn == col)
                return text;
        }
        return none;
    }

    // The text the list shows: the window's own where its hook answers.
    QString shown(int row, int col) const
    {
        if (m_box.CellText && validRow(row) && col >= 0) {
            QString text;
            if (m_box.CellText(row, col, text))
                return text;
        }
        return stored(row, col);
    }

    // Stored texts are compared where they lie, without copies.
    bool sameText(int row1, int row2, int col) const
    {
        QString worked1, worked2;
        const bool hook = m_box.CellText && validRow(row1) && validRow(row2) && col >= 0;
        const QString& text1 = hook && m_box.CellText(row1, col, worked1) ? worked1 : stored(row1, col);
        const QString& text2 = hook && m_box.CellText(row2, col, worked2) ? worked2 : stored(row2, col);
        return text1 == text2;
    }

    int findRow(int col, const QString& text) const
    {
        const int rows = static_cast<int>(m_rows.size());
        for (int row = 0; row < rows; ++row) {
            QString worked;
            if (m_box.CellText && m_box.CellText(row, col, worked) ? worked == text : stored(row, col) == text)
                return row;
        }
        return -1;
    }

    // Answers whether the text changed. Setting the text a cell already
    // holds changes nothing and tells no one: paint hooks set cells while
    // the list paints.
    bool setCell(int row, int col, const QString& text)
    {
        if (!validRow(row) || col < 0 || stored(row, col) == text)
            return false;
        ++m_revision;
        Row& r = m_rows[row];
        if (col < m_columns) {
            r.cells[col] = text;
            const QModelIndex at = index(row, col);
            emit dataChanged(at, at, {Qt::DisplayRole});
            return true;
        }
        for (auto& [hiddenColumn, hiddenText] : r.hidden) {
            if (hiddenColumn == col) {
                hiddenText = text;
                return true;
            }
        }
        r.hidden.emplace_back(col, text);
        return true;
    }

    void insertRow(int row, const QString& first)
    {
        beginInsertRows(QModelIndex(), row, row);
        ++m_revision;
        Row r{m_nextId++, std::vector<QString>(m_columns), {}};
        r.cells[0] = first;
        m_rows.insert(m_rows.begin() + row, std::move(r));
        endInsertRows();
        m_lastIndex = row;
    }

    void removeRows(int first, int last)
    {
        beginRemoveRows(QModelIndex(), first, last);
        ++m_revision;
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        endRemoveRows();
        if (m_lastIndex >= first && m_lastIndex <= last)
            m_lastIndex = -1;
        else if (m_lastIndex > last)
            m_lastIndex -= last - first + 1;
    }

    void clear()
    {
        beginResetModel();
        ++m_revision;
        m_rows.clear();
        endResetModel();
        m_lastIndex = -1;
    }

    int lastIndex() const { return m_lastIndex; }
    int columns() const { return m_columns; }
    quint64 revision() const { return m_revision; }

    // Cells keep their column numbers: the ones that fall out of the visible
    // range become hidden cells, and hidden ones that come into it show.
    void setColumns(int count)
    {
        beginResetModel();
        for (Row& r : m_rows) {
            std::vector<QString> cells(count);
            std::vector<std::pair<int, QString>> hidden;
            for (int c = 0; c < m_columns; ++c) {
                if (c < count)
                    cells[c] = std::move(r.cells[c]);
                else if (!r.cells[c].isEmpty())
                    hidden.emplace_back(c, std::move(r.cells[c]));
            }
            for (auto& [c, text] : r.hidden) {
                if (c < count)
                    cells[c] = std::move(text);
                else
                    hidden.emplace_back(c, std::move(text));
            }
            r.cells = std::move(cells);
            r.hidden = std::move(hidden);
        }
        m_columns = count;
        ++m_revision;
        endResetModel();
    }

    // Puts old row order[i] at row i; persistent indexes (the selection, the
    // current row, the cell being edited) follow their rows.
    void reorder(const std::vector<int>& order)
    {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        std::vector<int> newRow(order.size());
        for (int i = 0; i < static_cast<int>(order.size()); ++i)
            newRow[order[i]] = i;
        const QModelIndexList from = persistentIndexList();
        QModelIndexList to;
        to.reserve(from.size());
        for (const QModelIndex& index : from)
            to.append(this->index(newRow[index.row()], index.column()));
        changePersistentIndexList(from, to);
        std::vector<Row> sorted;
        sorted.reserve(m_rows.size());
        for (int old : order)
            sorted.push_back(std::move(m_rows[old]));
        m_rows.swap(sorted);
        ++m_revision;
        if (m_lastIndex >= 0)
            m_lastIndex = newRow[m_lastIndex];
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

    const ColumnInfo& column(int col) const
    {
        static const ColumnInfo defaults;
        const auto it = m_columnInfo.find(col);
        return it == m_columnInfo.end() ? defaults : it->second;
    }
    ColumnInfo& columnToChange(int col) { return m_columnInfo[col]; }

    int sortedColumn = -1;

private:
    struct Row {
        quint64 id;
        std::vector<QString> cells;
        std::vector<std::pair<int, QString>> hidden;
    };
    const ListBox& m_box;
    std::vector<Row> m_rows;
    std::map<int, ColumnInfo> m_columnInfo;
    int m_columns = 1;
    int m_lastIndex = -1;
    quint64 m_nextId = 0;
    quint64 m_revision = 0;
};

// ---- the in-place editor ---------------------------------------------------

class CellLineEdit final : public QLineEdit, public CellEditor {
public:
    CellLineEdit(ListView* owner, QWidget* parent) : QLineEdit(parent), m_owner(owner) {}
    // An editor whose edit has ended reports nothing more.
    void detach() { m_owner = nullptr; }

    QString text() const override { return QLineEdit::text(); }
    void setText(const QString& text) override { QLineEdit::setText(text); }
    int selStart() const override { return hasSelectedText() ? selectionStart() : cursorPosition(); }
    int selLength() const override { return selectionLength(); }
    void setSelStart(int start) override
    {
        setCursorPosition(std::clamp(start, 0, static_cast<int>(text().size())));
    }
    void setSelLength(int length) override
    {
        const int start = selStart();
        setSelection(start, std::clamp(length, 0, static_cast<int>(text().size()) - start));
    }

protected:
    bool event(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    ListView* m_owner;
};

// ---- CellDelegate ----------------------------------------------------------

class CellDelegate final : public QStyledItemDelegate {
public:
    CellDelegate(ListBox& box, ListModel& model, QObject* parent)
        : QStyledItemDelegate(parent), m_box(box), m_model(model) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString text = m_model.shown(index.row(), index.column());
        return QSize(option.fontMetrics.horizontalAdvance(text) + 2 * textMargin, rowHeightFor(option.fontMetrics));
    }
    // Every row is as high, whatever its texts.
    int rowHeightFor(const QFontMetrics& metrics) const { return rowHeight > 0 ? rowHeight : metrics.height() + 4; }

    bool gridLines = false;
    int rowHeight = 0;   // from the layout; 0: what the font needs

private:
    ListBox& m_box;
    ListModel& m_model;
};

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int row = index.row();
    const int col = index.column();
    const QRect cell = option.rect;
    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
        : (option.state & QStyle::State_Active)                               ? QPalette::Normal
                                                                              : QPalette::Inactive;
    const QPalette& palette = option.palette;
    painter->save();

    Graphics g(cell.width(), cell.height(), palette.color(group, QPalette::Text));
    const bool backgroundHandled = m_box.CellBackgroundPaint && m_box.CellBackgroundPaint(g, row, col);
    // The background is always painted opaque, so whatever the view drew
    // under the cell (its own row highlight) never shows through.
    painter->fillRect(cell, g.fill().value_or(palette.color(group, QPalette::Base)));
    const bool highlighted = (option.state & QStyle::State_Selected) && !backgroundHandled;
    if (highlighted)
        painter->fillRect(cell, palette.color(group, QPalette::Highlight));

    g.ForeColor = palette.color(group, highlighted ? QPalette::HighlightedText : QPalette::Text);
    const QFontMetrics& metrics = option.fontMetrics;
    const int baseline = (cell.height() - metrics.height()) / 2 + metrics.ascent();
    if (!(m_box.CellTextPaint && m_box.CellTextPaint(g, row, col, textMargin, baseline))) {
        const QRect textRect = cell.adjusted(textMargin, 0, -textMargin, 0);
        const QString shown = m_model.shown(row, col);
        // Most cells fit with room to spare, which the cell's own metrics
        // tell at once; only the others are measured to the fraction of a
        // pixel, as cutting short measures. A narrowed font fits; the cell's
        // own font may not, and then cuts.
        QFont font = option.font;
        QString text = shown;
        if (metrics.horizontalAdvance(shown) + 1 >= textRect.width()) {
            double wholeShare = 0.0;
            font = fittedFont(option.font, [&](const QFont& f) {
                const double share = QFontMetricsF(f).horizontalAdvance(shown) / std::max(1, textRect.width());
                if (f.stretch() == QFont::Unstretched)
                    wholeShare = share;
                return share;
            });
            if (font.stretch() == QFont::Unstretched && wholeShare > 1.0) {
                // A number cut short would show another number: it is drawn
                // smaller instead, at the narrowest stretch, as small as it needs.
                if (numberOf(shown))
                    font = smallerToFit(option.font, shown, textRect.width());
                else
                    text = QFontMetrics(font).elidedText(shown, Qt::ElideRight, textRect.width());
            }
        }
        painter->setFont(font);
        painter->setPen(g.ForeColor);
        painter->drawText(textRect, horizontalAlignment(m_model.column(col).alignment) | Qt::AlignVCenter
                              | Qt::TextSingleLine, text);
    }
    if (gridLines) {
        painter->setPen(palette.color(group, QPalette::Midlight));
        painter->drawLine(cell.topRight(), cell.bottomRight());
        painter->drawLine(cell.bottomLeft(), cell.bottomRight());
    }
    painter->restore();
}

// ---- ListHeader ------------------------------------------------------------

// The heading row: each heading is drawn in the font that shows it whole in
// the place the style gives it.
class ListHeader final : public QHeaderView {
public:
    explicit ListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int section) const override
    {
        if (!rect.isValid())
            return;
        QStyleOptionHeaderV2 option;
        initStyleOption(&option);
        initStyleOptionForIndex(&option, section);
        option.rect = rect;
        option.text = model()->headerData(section, Qt::Horizontal).toString();
        const QRect label = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
        const QFont font = fittedFont(this->font(), [&](const QFont& f) {
            return shareOfBox(f, option.text, QRect(0, 0, label.width(), height()), Qt::TextSingleLine);
        });
        option.fontMetrics = QFontMetrics(font);
        painter->save();
        painter->setFont(font);
        style()->drawControl(QStyle::CE_Header, &option, painter, this);
        painter->restore();
    }
};

// ---- ListView --------------------------------------------------------------

class ListView final : public QTreeView {
public:
    enum class EditEnd { Store, Restore, Drop };

    ListView(ListBox& box, ListModel& model, QWidget* parent);
    ~ListView() override;

    void configure(const QJsonObject& settings);
    // Brings the layout up to date with every row (see rowsInserted).
    void layoutNow();
    // Lays out rows changed below the visible ones without repainting these.
    void layoutQuietly();
    void doItemsLayout() override;

    // Repainting after a change (see ListBox.h).
    int lastVisibleRow() const;
    bool belowView(int row) const { return row > lastVisibleRow(); }
    void rowChanged(int row);
    void applyColumnSettings();
    void applyColumnWidths();
    void setGivenWidths(std::vector<std::optional<int>> widths);
    void showSortIndicator();

    // Selection: rows, sorted; change() when the set of selected rows is no
    // longer the one last reported.
    std::vector<int> selectedRows() const;
    void checkSelection();
    // Holds back change() while the rows are rearranged, then checks once.
    class QuietSelection {
    public:
        explicit QuietSelection(ListView& view) : m_view(view) { ++m_view.m_quiet; }
        ~QuietSelection()
        {
            if (--m_view.m_quiet == 0)
                m_view.checkSelection();
        }
        QuietSelection(const QuietSelection&) = delete;
        QuietSelection& operator=(const QuietSelection&) = delete;

    private:
        ListView& m_view;
    };

    // In-place editing.
    void editCell(int row, int col);
    // A click on the selected row's editable cell edits it once the
    // double-click interval has passed with nothing else happening.
    void editAfterDoubleClickInterval(const QPersistentModelIndex& cell);
    void cancelPendingEdit();
    // Input while an edit waits for the double-click interval: a key typed
    // on the list opens the editor at once and goes into it (true: taken);
    // anything else drops the waiting edit.
    bool inputBeforeEdit(QObject* watched, QEvent* event);
    // Before rows are removed or reordered: a pending edit is dropped and the
    // view catches up on every row.
    void beforeRowsChange();
    void endEdit(EditEnd how);
    int editedRow() const { return m_editor ? m_editIndex.row() : -1; }
    CellEditor* activeCell() const { return m_editor.data(); }
    void setEditorFont(const QFont& font);
    bool editorKey(CellLineEdit* editor, QKeyEvent* event);
    void editorFocusLost(CellLineEdit* editor);

protected:
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyboardSearch(const QString& search) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void verticalScrollbarValueChanged(int value) override;
    void horizontalScrollbarValueChanged(int value) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateEditorGeometries() override;

private:
    void openEditor(const QModelIndex& index);
    void headingClicked(int col);
    bool someWidthsMissing() const;

    ListBox& m_box;
    ListModel& m_model;
    CellDelegate* m_delegate;
    QPointer<CellLineEdit> m_editor;
    QPersistentModelIndex m_editIndex;
    QString m_textBeforeEdit;
    QPersistentModelIndex m_clickToEdit;   // pressed, not yet released
    QPersistentModelIndex m_pendingEdit;
    QTimer m_editTimer;
    InputWatch* m_inputWatch;
    std::vector<quint64> m_selectedIds;
    std::vector<std::optional<int>> m_givenWidths;
    bool m_heading = false;
    bool m_resizable = false;
    bool m_sortable = true;
    bool m_doubleClickAnywhere = false;
    bool m_applyingWidths = false;
    bool m_userSized = false;   // the user dragged a column's edge
    bool m_repaintAsked = false;   // since the last paint
    bool m_painting = false;
    bool m_layoutOwed = false;   // rows came in below the visible ones
    QTimer m_catchUp;
    int m_quiet = 0;
};

ListView::ListView(ListBox& box, ListModel& model, QWidget* parent)
    : QTreeView(parent)
    , m_box(box)
    , m_model(model)
    , m_delegate(new CellDelegate(box, model, this))
    , m_inputWatch(new InputWatch([this](QObject* watched, QEvent* event) { return inputBeforeEdit(watched, event); },
                                  this))
{
    setHeader(new ListHeader(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setAnimated(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(m_delegate);
    setModel(&model);
    m_catchUp.setSingleShot(true);
    m_catchUp.setInterval(200);
    connect(&m_catchUp, &QTimer::timeout, this, [this] { layoutNow(); });
    m_editTimer.setSingleShot(true);
    connect(&m_editTimer, &QTimer::timeout, this, [this] {
        const QPersistentModelIndex cell = m_pendingEdit;
        cancelPendingEdit();
        if (cell.isValid())
            editCell(cell.row(), cell.column());
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { checkSelection(); });
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(true);
    header()->setHighlightSections(false);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int col) { headingClicked(col); });
    // The header also resizes sections itself (font changes, stretching);
    // only a drag with the button down is the user's sizing.
    connect(header(), &QHeaderView::sectionResized, this, [this](int col) {
        if (!m_applyingWidths && col + 1 < m_model.columns()
            && (QGuiApplication::mouseButtons() & Qt::LeftButton))
            m_userSized = true;
    });
}

ListView::~ListView()
{
    cancelPendingEdit();
    if (m_editor)
        m_editor->detach();
    m_box.m_view = nullptr;
}

void ListView::configure(const QJsonObject& settings)
{
    const bool multiple = settings.value(QLatin1String("selection")).toString() == QLatin1String("multiple");
    setSelectionMode(multiple ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    m_heading = settings.value(QLatin1String("heading")).toBool(false);
    m_resizable = settings.value(QLatin1String("columnsResizable")).toBool(false);
    m_delegate->gridLines = settings.value(QLatin1String("gridLines")).toBool(false);
    m_delegate->rowHeight = settings.value(QLatin1String("rowHeight")).toInt(0);
    m_sortable = settings.value(QLatin1String("sortable")).toBool(true);
    m_doubleClickAnywhere = settings.value(QLatin1String("doubleClickAnywhere")).toBool(false);
    if (!settings.value(QLatin1String("focusable")).toBool(true))
        setFocusPolicy(Qt::NoFocus);
    setVerticalScrollBarPolicy(settings.value(QLatin1String("scrollVertical")).toBool(true)
                                   ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(settings.value(QLatin1String("scrollHorizontal")).toBool(false)
                                     ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    header()->setVisible(m_heading);
    header()->setSectionsClickable(m_heading && m_sortable);
    applyColumnSettings();
}

void ListView::applyColumnSettings()
{
    header()->setSectionResizeMode(m_resizable ? QHeaderView::Interactive : QHeaderView::Fixed);
    header()->setStretchLastSection(true);
    applyColumnWidths();
    showSortIndicator();
}

void ListView::applyColumnWidths()
{
    const int count = m_model.columns();
    int listed = 0;
    int unlisted = 0;
    for (int c = 0; c < count; ++c) {
        if (c < static_cast<int>(m_givenWidths.size()) && m_givenWidths[c])
            listed += *m_givenWidths[c];
        else
            ++unlisted;
    }
    // Before the list is first shown its viewport has no size of its own yet.
    const int available = isVisible() ? viewport()->width() : maximumViewportSize().width();
    const int share = unlisted > 0 ? std::max(header()->minimumSectionSize(), (available - listed) / unlisted) : 0;
    m_applyingWidths = true;
    for (int c = 0; c < count; ++c) {
        const bool given = c < static_cast<int>(m_givenWidths.size()) && m_givenWidths[c];
        header()->resizeSection(c, given ? *m_givenWidths[c] : share);
    }
    m_applyingWidths = false;
}

void ListView::setGivenWidths(std::vector<std::optional<int>> widths)
{
    m_givenWidths = std::move(widths);
    m_userSized = false;
    applyColumnWidths();
}

bool ListView::someWidthsMissing() const
{
    const int count = m_model.columns();
    for (int c = 0; c + 1 < count; ++c) {
        if (c >= static_cast<int>(m_givenWidths.size()) || !m_givenWidths[c])
            return true;
    }
    return false;
}

void ListView::resizeEvent(QResizeEvent* event)
{
    layoutNow();
    QTreeView::resizeEvent(event);
    // Columns without a width of their own share the list's width, until the
    // user sizes the columns by hand.
    if (!m_userSized && someWidthsMissing())
        applyColumnWidths();
}

int ListView::lastVisibleRow() const
{
    // Rows are all one height and scroll one at a time, so the scroll bar's
    // value is the top row; a row cut by the bottom edge is visible too.
    const int height = m_delegate->rowHeightFor(fontMetrics());
    return verticalScrollBar()->value() + (viewport()->height() + height - 1) / height - 1;
}

void ListView::rowChanged(int row)
{
    if (m_repaintAsked || !isVisible() || belowView(row))
        return;
    m_repaintAsked = true;
    viewport()->update();
}

void ListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    // rowChanged repaints, as hidden cells need too. The tree view's own
    // repaint of the one cell would look the row up among all it lays out.
    Q_UNUSED(topLeft);
    Q_UNUSED(bottomRight);
    Q_UNUSED(roles);
}

// Rows inserted below the last visible row, once the rows fill the list,
// change nothing on screen. The tree view would lay out every row again at
// the next turn of the event loop for each of them and repaint the viewport,
// which makes a long fill that lets the loop turn as it goes cost a full
// layout per turn. Such rows are left to a catch-up instead: the view is then
// short of rows at its end only. The rows it knows keep their places (rows
// are all alike and have no children, so its row k stays model row k) and
// fill the screen, and it can scroll only as far as its last row, so painting
// and scrolling stay right. Whatever needs every row (a selection or current
// row change, hit-testing, keys, a resize, showing, the list's calls that
// scroll, find a row by its place or change rows) catches up first, and a
// timer catches up every 200 ms meanwhile, so the scroll bar keeps growing.
// Catching up repaints nothing: the owed rows are all below the visible ones.
void ListView::rowsInserted(const QModelIndex& parent, int start, int end)
{
    if (!isVisible() || !belowView(start)) {
        QTreeView::rowsInserted(parent, start, end);
        return;
    }
    if (!m_layoutOwed) {
        m_layoutOwed = true;
        m_catchUp.start();
    }
    QAbstractItemView::rowsInserted(parent, start, end);
}

void ListView::layoutNow()
{
    if (m_painting)
        return;
    // A layout of the view's own (after a removal, a sort, rows among the
    // visible ones) repaints what it moves; it also takes in the owed rows.
    executeDelayedItemsLayout();
    if (m_layoutOwed)
        layoutQuietly();
}

void ListView::doItemsLayout()
{
    m_layoutOwed = false;
    m_catchUp.stop();
    QTreeView::doItemsLayout();
}

void ListView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    cancelPendingEdit();
    layoutNow();
    QTreeView::currentChanged(current, previous);
}

void ListView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    cancelPendingEdit();
    layoutNow();
    QTreeView::selectionChanged(selected, deselected);
}

bool ListView::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        layoutNow();
        break;
    default:
        break;
    }
    return QTreeView::viewportEvent(event);
}

void ListView::keyPressEvent(QKeyEvent* event)
{
    layoutNow();
    // As with a press: Shift and an arrow start a new selection from the
    // current row instead of extending one.
    if (selectsRows(event) && m_box.SelectionGesture && m_box.SelectionGesture()
        && (event->modifiers() & Qt::ShiftModifier) && !event->matches(QKeySequence::SelectAll)) {
        QKeyEvent unshifted(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier, event->text(),
                            event->isAutoRepeat(), event->count());
        QTreeView::keyPressEvent(&unshifted);
        event->setAccepted(unshifted.isAccepted());
        return;
    }
    QTreeView::keyPressEvent(event);
}

// In a list whose cells are edited in place, what the user types is meant
// for a cell: it never jumps the selection to a row that starts with it.
void ListView::keyboardSearch(const QString& search)
{
    for (int col = 0; col < m_model.columns(); ++col) {
        if (m_model.column(col).editable)
            return;
    }
    QTreeView::keyboardSearch(search);
}

void ListView::showEvent(QShowEvent* event)
{
    layoutNow();
    QTreeView::showEvent(event);
}

void ListView::hideEvent(QHideEvent* event)
{
    cancelPendingEdit();
    QTreeView::hideEvent(event);
}

void ListView::verticalScrollbarValueChanged(int value)
{
    cancelPendingEdit();
    QTreeView::verticalScrollbarValueChanged(value);
}

void ListView::horizontalScrollbarValueChanged(int value)
{
    cancelPendingEdit();
    QTreeView::horizontalScrollbarValueChanged(value);
}

void ListView::layoutQuietly()
{
    // A layout ends by repainting the whole viewport; nothing visible moved,
    // so that repaint is dropped. A viewport whose updates are off already
    // (its window is being built) is left so.
    QWidget* rows = viewport();
    if (rows->testAttribute(Qt::WA_UpdatesDisabled)) {
        doItemsLayout();
        return;
    }
    rows->setAttribute(Qt::WA_UpdatesDisabled);
    doItemsLayout();
    rows->setAttribute(Qt::WA_UpdatesDisabled, false);
}

void ListView::paintEvent(QPaintEvent* event)
{
    m_repaintAsked = false;
    // Hooks run while the rows are drawn: nothing they call may lay the rows
    // out under the drawing.
    m_painting = true;
    const auto painted = qScopeGuard([this] { m_painting = false; });
    QTreeView::paintEvent(event);
}

void ListView::showSortIndicator()
{
    const int col = m_model.sortedColumn;
    const bool shown = m_heading && col >= 0 && col < m_model.columns();
    header()->setSortIndicatorShown(shown);
    if (shown)
        header()->setSortIndicator(col, m_model.column(col).direction < 0 ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ListView::headingClicked(int col)
{
    if (!m_heading || !m_sortable)
        return;
    if (m_model.sortedColumn == col)
        m_box.setColumnSortDirection(col, -m_box.ColumnSortDirection(col));
    else
        m_box.setSortedColumn(col);
    m_box.Sort();
}

std::vector<int> ListView::selectedRows() const
{
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void ListView::checkSelection()
{
    if (m_quiet > 0)
        return;
    std::vector<quint64> ids;
    for (int row : selectedRows()) {
        if (m_model.validRow(row))
            ids.push_back(m_model.rowId(row));
    }
    std::sort(ids.begin(), ids.end());
    if (ids == m_selectedIds)
        return;
    m_selectedIds.swap(ids);
    emit m_box.change();
}

void ListView::mousePressEvent(QMouseEvent* event)
{
    // A click anywhere in the rows ends an edit; the editor takes its own clicks.
    endEdit(EditEnd::Store);
    const QModelIndex index = indexAt(event->position().toPoint());
    m_clickToEdit = QPersistentModelIndex();
    if (index.isValid() && m_box.CellClick) {
        const QPoint inCell = event->position().toPoint() - visualRect(index).topLeft();
        if (m_box.CellClick(index.row(), index.column(), inCell.x(), inCell.y()))
            return;
    }
    // The first gesture of a new selection has no range to extend: a
    // shift-click then selects as a click does.
    std::optional<QMouseEvent> unshifted;
    if (m_box.SelectionGesture && m_box.SelectionGesture() && (event->modifiers() & Qt::ShiftModifier))
        unshifted.emplace(event->type(), event->position(), event->scenePosition(), event->globalPosition(),
                          event->button(), event->buttons(), event->modifiers() & ~Qt::ShiftModifier,
                          event->pointingDevice());
    QMouseEvent* press = unshifted ? &*unshifted : event;
    const bool plain = !(press->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
    if (index.isValid() && plain && press->button() == Qt::LeftButton && m_model.column(index.column()).editable) {
        const std::vector<int> rows = selectedRows();
        if (rows.size() == 1 && rows.front() == index.row())
            m_clickToEdit = index;
    }
    // A click below the rows clears the selection (not every Qt release's
    // views do this by themselves in every selection mode).
    if (!index.isValid() && plain) {
        selectionModel()->clearSelection();
        selectionModel()->clearCurrentIndex();
    }
    QTreeView::mousePressEvent(press);
    event->setAccepted(press->isAccepted());
    // Below the rows there is nothing of the list's to press: the window
    // hears of the press as of one on no control.
    if (!index.isValid())
        event->ignore();
}

void ListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    const QPersistentModelIndex target = std::exchange(m_clickToEdit, QPersistentModelIndex());
    if (target.isValid() && event->button() == Qt::LeftButton && indexAt(event->position().toPoint()) == target)
        editAfterDoubleClickInterval(target);
}

// Opening the editor at the click would put it under the second click of a
// double-click, which would then never reach the list.
void ListView::editAfterDoubleClickInterval(const QPersistentModelIndex& cell)
{
    m_pendingEdit = cell;
    qApp->installEventFilter(m_inputWatch);
    m_editTimer.start(QApplication::doubleClickInterval());
}

void ListView::cancelPendingEdit()
{
    if (!m_editTimer.isActive())
        return;
    m_editTimer.stop();
    m_pendingEdit = QPersistentModelIndex();
    qApp->removeEventFilter(m_inputWatch);
}

bool ListView::inputBeforeEdit(QObject* watched, QEvent* event)
{
    const bool isKey = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
    if (!isKey || QApplication::focusWidget() != this || !editsText(static_cast<QKeyEvent*>(event))) {
        cancelPendingEdit();
        return false;
    }
    // The key press itself follows its shortcut check, and the list hears
    // it before its window does.
    if (event->type() == QEvent::ShortcutOverride || watched != this)
        return false;
    const QPersistentModelIndex cell = m_pendingEdit;
    cancelPendingEdit();
    if (!cell.isValid())
        return false;
    editCell(cell.row(), cell.column());
    if (!m_editor)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    QKeyEvent typed(QEvent::KeyPress, key->key(), key->modifiers(), key->text(), key->isAutoRepeat(), key->count());
    QCoreApplication::sendEvent(m_editor, &typed);
    return true;
}

void ListView::beforeRowsChange()
{
    cancelPendingEdit();
    layoutNow();
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_clickToEdit = QPersistentModelIndex();
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && (m_doubleClickAnywhere || indexAt(event->position().toPoint()).isValid()))
        emit m_box.doubleClick();
}

void ListView::updateEditorGeometries()
{
    QTreeView::updateEditorGeometries();
    if (m_editor && m_editIndex.isValid())
        m_editor->setGeometry(visualRect(m_editIndex));
}

void ListView::setEditorFont(const QFont& font)
{
    if (m_editor)
        m_editor->setFont(font);
}

void ListView::editCell(int row, int col)
{
    cancelPendingEdit();
    if (!m_model.validRow(row) || col < 0 || col >= m_model.columns())
        return;
    layoutNow();
    const QPersistentModelIndex target = m_model.index(row, col);
    if (m_editor && m_editIndex == target)
        return;
    // Ending an edit raises cellAction, whose handler may open another edit
    // or change the rows: end whatever is open, then look again.
    for (int attempts = 0; m_editor && attempts < 8; ++attempts)
        endEdit(EditEnd::Store);
    if (!m_editor && target.isValid())
        openEditor(target);
}

void ListView::openEditor(const QModelIndex& index)
{
    scrollTo(index);
    auto* editor = new CellLineEdit(this, viewport());
    const QString text = m_model.shown(index.row(), index.column());
    editor->setFrame(false);
    editor->setFont(font());
    editor->setAlignment(horizontalAlignment(m_model.column(index.column()).alignment) | Qt::AlignVCenter);
    editor->QLineEdit::setText(text);
    editor->selectAll();
    editor->setGeometry(visualRect(index));
    m_editor = editor;
    m_editIndex = index;
    // Escape puts back what the cell holds, not what a hook showed for it.
    m_textBeforeEdit = m_model.stored(index.row(), index.column());
    connect(editor, &QLineEdit::textChanged, this, [this, editor] {
        if (editor == m_editor && m_editIndex.isValid())
            emit m_box.cellTextChange(m_editIndex.row(), m_editIndex.column());
    });
    editor->show();
    editor->setFocus(Qt::OtherFocusReason);
    emit m_box.cellGotFocus(index.row(), index.column());
}

void ListView::endEdit(EditEnd how)
{
    if (!m_editor)
        return;
    // The state is cleared first: the handlers of cellAction may open the
    // next edit, and the old editor's focus loss must not end anything again.
    CellLineEdit* editor = m_editor;
    m_editor = nullptr;
    const QPersistentModelIndex cell = std::exchange(m_editIndex, QPersistentModelIndex());
    const QString text = editor->text();
    editor->detach();
    disconnect(editor, nullptr, this, nullptr);
    if (editor->window()->focusWidget() == editor)
        setFocus(Qt::OtherFocusReason);
    editor->hide();
    // Edits end from inside the editor's own key and focus events.
    editor->deleteLater();
    if (how == EditEnd::Drop || !cell.isValid())
        return;
    const int row = cell.row();
    const int col = cell.column();
    m_box.setCell(row, col, how == EditEnd::Store ? text : m_textBeforeEdit);
    emit m_box.cellAction(row, col);
}

bool ListView::editorKey(CellLineEdit* editor, QKeyEvent* event)
{
    if (editor != m_editor)
        return true;
    const QString key = keyCharacter(event);
    if (!key.isEmpty() && m_box.CellKeyDown) {
        const bool handled = m_box.CellKeyDown(m_editIndex.row(), m_editIndex.column(), key);
        // The hook may have ended this edit or moved it to another cell.
        if (handled || editor != m_editor)
            return true;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        endEdit(EditEnd::Store);
        return true;
    case Qt::Key_Escape:
        endEdit(EditEnd::Restore);
        return true;
    default:
        return false;
    }
}

void ListView::editorFocusLost(CellLineEdit* editor)
{
    if (editor == m_editor)
        endEdit(EditEnd::Store);
}

bool CellLineEdit::event(QEvent* event)
{
    if (m_owner && event->type() == QEvent::ShortcutOverride
        && isEditKey(static_cast<QKeyEvent*>(event)->key())) {
        // Return, Escape, Tab and the arrows belong to the edit, not to shortcuts.
        event->accept();
        return true;
    }
    if (m_owner && event->type() == QEvent::KeyPress) {
        if (m_owner->editorKey(this, static_cast<QKeyEvent*>(event)))
            return true;
        QLineEdit::event(event);
        // Keys the line leaves alone (Up, Down) must not move the list under it.
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void CellLineEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // The line's own contextual menu takes the focus without ending the edit.
    if (m_owner && event->reason() != Qt::PopupFocusReason)
        m_owner->editorFocusLost(this);
}

// ---- ListBox ---------------------------------------------------------------

ListBox::ListBox(Window& window, const ControlRecord& record)
    : Control(window, record)
    , m_model(std::make_unique<ListModel>(*this))
{
    m_model->setColumns(std::max(1, record.settings.value(QLatin1String("columns")).toInt(1)));
    m_view = new ListView(*this, *m_model, hostWidget());
    m_view->configure(record.settings);
    attachWidget(m_view);
}

ListBox::~ListBox()
{
    // The window's widgets normally go first (and the view then forgets us);
    // a list destroyed on its own takes its view along.
    delete m_view;
}

QWidget* ListBox::mouseTarget() const { return m_view ? m_view->viewport() : nullptr; }

void ListBox::applyTextSize()
{
    Control::applyTextSize();
    if (!m_view)
        return;
    m_view->header()->setFont(m_view->font());
    m_view->setEditorFont(m_view->font());
}

void ListBox::AddRow(const QString& firstColumn) { InsertRow(ListCount(), firstColumn); }

void ListBox::InsertRow(int row, const QString& firstColumn)
{
    if (row < 0 || row > ListCount())
        return;
    m_model->insertRow(row, firstColumn);
}

void ListBox::RemoveRow(int row) { RemoveRows({row}); }

void ListBox::RemoveRows(std::vector<int> rows)
{
    std::erase_if(rows, [this](int row) { return !m_model->validRow(row); });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty())
        return;
    if (std::binary_search(rows.begin(), rows.end(), m_view->editedRow()))
        m_view->endEdit(ListView::EditEnd::Drop);
    // A removal wholly below the visible rows is laid out at once without
    // repainting them; whatever layout was due before runs first, repainting
    // what it must.
    m_view->beforeRowsChange();
    const bool unseen = m_view->belowView(rows.front());
    ListView::QuietSelection quiet(*m_view);
    // Without a current row there, the view does not pick the next row to
    // select in its place: a removed selected row leaves no selection.
    if (std::binary_search(rows.begin(), rows.end(), m_view->currentIndex().row()))
        m_view->selectionModel()->clearCurrentIndex();
    // From the bottom up, a run of adjacent rows at a time.
    for (auto last = rows.rbegin(); last != rows.rend();) {
        auto first = last;
        while (std::next(first) != rows.rend() && *std::next(first) == *first - 1)
            ++first;
        m_model->removeRows(*first, *last);
        last = std::next(first);
    }
    if (unseen)
        m_view->layoutQuietly();
}

void ListBox::DeleteAllRows()
{
    // The edit's handlers hear of it while its row is there; an edit they
    // open meanwhile goes with the rows.
    m_view->cancelPendingEdit();
    m_view->endEdit(ListView::EditEnd::Store);
    m_view->endEdit(ListView::EditEnd::Drop);
    ListView::QuietSelection quiet(*m_view);
    m_model->clear();
}

int ListBox::ListCount() const { return m_model->rowCount(); }
int ListBox::LastIndex() const { return m_model->lastIndex(); }
quint64 ListBox::Revision() const { return m_model->revision(); }
QString ListBox::Cell(int row, int column) const { return m_model->shown(row, column); }
int ListBox::FindRow(int column, const QString& text) const { return column < 0 ? -1 : m_model->findRow(column, text); }
bool ListBox::SameText(int row1, int row2, int column) const { return m_model->sameText(row1, row2, column); }
void ListBox::setCell(int row, int column, const QString& text)
{
    if (m_model->setCell(row, column, text))
        m_view->rowChanged(row);
}
int ListBox::ColumnCount() const { return m_model->columns(); }

void ListBox::setColumnCount(int count)
{
    count = std::max(1, count);
    if (count == ColumnCount())
        return;
    m_view->endEdit(ListView::EditEnd::Drop);
    m_view->beforeRowsChange();
    ListView::QuietSelection quiet(*m_view);
    // The model starts afresh with the new columns; the same rows stay selected.
    const std::vector<int> selected = m_view->selectedRows();
    const int current = m_view->currentIndex().row();
    m_model->setColumns(count);
    QItemSelectionModel* selection = m_view->selectionModel();
    for (int row : selected)
        selection->select(m_model->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (current >= 0)
        selection->setCurrentIndex(m_model->index(current, 0), QItemSelectionModel::NoUpdate);
    m_view->applyColumnSettings();
}

void ListBox::setHeadings(const QString& tabSeparated)
{
    QStringList headings = tabSeparated.split(QLatin1Char('\t'));
    if (tabSeparated.endsWith(QLatin1Char('\t')))
        headings.removeLast();
    for (int c = 0; c < headings.size(); ++c)
        m_model->columnToChange(c).heading = headings[c];
    emit m_model->headerDataChanged(Qt::Horizontal, 0, std::max(0, ColumnCount() - 1));
}

QString ListBox::Heading(int column) const { return m_model->column(column).heading; }

void ListBox::setHeading(int column, const QString& heading)
{
    if (column < 0)
        return;
    m_model->columnToChange(column).heading = heading;
    if (column < ColumnCount())
        emit m_model->headerDataChanged(Qt::Horizontal, column, column);
}

void ListBox::setColumnWidths(const QString& widths)
{
    std::vector<std::optional<int>> given;
    for (const QString& part : widths.split(QLatin1Char(','))) {
        bool ok = false;
        const int width = part.trimmed().toInt(&ok);
        given.push_back(ok && width >= 0 ? std::optional<int>(width) : std::nullopt);
    }
    m_view->setGivenWidths(std::move(given));
}

int ListBox::columnWidth(int column) const
{
    if (column < 0 || column >= ColumnCount())
        return 0;
    return m_view->header()->sectionSize(column);
}

void ListBox::setColumnAlignment(int column, Alignment alignment)
{
    if (column < 0)
        return;
    m_model->columnToChange(column).alignment = alignment;
    if (column < ColumnCount())
        emit m_model->headerDataChanged(Qt::Horizontal, column, column);
    m_view->viewport()->update();
}

Alignment ListBox::columnAlignment(int column) const { return m_model->column(column).alignment; }

void ListBox::setColumnEditable(int column, bool editable)
{
    if (column >= 0)
        m_model->columnToChange(column).editable = editable;
}

bool ListBox::columnEditable(int column) const { return m_model->column(column).editable; }

int ListBox::ListIndex() const
{
    int first = -1;
    for (const QItemSelectionRange& range : m_view->selectionModel()->selection()) {
        if (first < 0 || range.top() < first)
            first = range.top();
    }
    return first;
}

void ListBox::setListIndex(int row)
{
    QItemSelectionModel* selection = m_view->selectionModel();
    if (row == -1) {
        selection->clearSelection();
        selection->clearCurrentIndex();
        return;
    }
    if (!m_model->validRow(row))
        return;
    m_view->layoutNow();
    const QModelIndex index = m_model->index(row, 0);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view->scrollTo(index);
}

bool ListBox::Selected(int row) const
{
    return m_model->validRow(row) && m_view->selectionModel()->isSelected(m_model->index(row, 0));
}

void ListBox::setSelected(int row, bool selected)
{
    if (!m_model->validRow(row))
        return;
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::Rows;
    if (!selected)
        flags |= QItemSelectionModel::Deselect;
    else if (m_view->selectionMode() == QAbstractItemView::SingleSelection)
        flags |= QItemSelectionModel::ClearAndSelect;
    else
        flags |= QItemSelectionModel::Select;
    m_view->selectionModel()->select(m_model->index(row, 0), flags);
}

int ListBox::SelCount() const { return static_cast<int>(m_view->selectedRows().size()); }
std::vector<int> ListBox::SelectedRows() const { return m_view->selectedRows(); }

int ListBox::SortedColumn() const { return m_model->sortedColumn; }

void ListBox::setSortedColumn(int column)
{
    m_model->sortedColumn = column < 0 ? -1 : column;
    m_view->showSortIndicator();
}

int ListBox::ColumnSortDirection(int column) const { return m_model->column(column).direction; }

void ListBox::setColumnSortDirection(int column, int direction)
{
    if (column < 0)
        return;
    m_model->columnToChange(column).direction = direction < 0 ? -1 : 1;
    m_view->showSortIndicator();
}

void ListBox::Sort()
{
    const int column = SortedColumn();
    const int count = ListCount();
    if (column < 0 || count < 2)
        return;
    const bool descending = ColumnSortDirection(column) < 0;
    // The hook reads the cells by their row numbers before the sort, so a
    // permutation is sorted and the rows move once, at the end. The texts
    // compared are worked out once for each row, when first compared.
    std::vector<std::optional<QString>> texts(static_cast<size_t>(count));
    const auto text = [&](int row) -> const QString& {
        std::optional<QString>& known = texts[static_cast<size_t>(row)];
        if (!known)
            known = m_model->shown(row, column);
        return *known;
    };
    const auto before = [&](int a, int b) {
        int result = 0;
        if (!(CompareRows && CompareRows(a, b, column, result)))
            result = QString::compare(text(a), text(b), Qt::CaseInsensitive);
        return descending ? result > 0 : result < 0;
    };
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    // Rows already in order (a list filled in the order it sorts by) stay
    // as they are, after one comparison each.
    if (std::is_sorted(order.begin(), order.end(), before))
        return;
    std::stable_sort(order.begin(), order.end(), before);
    bool moved = false;
    for (int i = 0; i < count && !moved; ++i)
        moved = order[i] != i;
    if (!moved)
        return;
    m_view->beforeRowsChange();
    ListView::QuietSelection quiet(*m_view);
    m_model->reorder(order);
}

int ListBox::ScrollPosition() const
{
    m_view->layoutNow();
    return m_view->verticalScrollBar()->value();
}

void ListBox::setScrollPosition(int row)
{
    // Rows scroll one at a time, so the scroll bar's value is the top row;
    // the bar keeps it within what can be scrolled.
    m_view->layoutNow();
    m_view->verticalScrollBar()->setValue(std::max(0, row));
}

int ListBox::RowFromXY(int x, int y) const
{
    m_view->layoutNow();
    const QPoint at = m_view->viewport()->mapFrom(m_view, QPoint(x, y));
    if (!m_view->viewport()->rect().contains(at))
        return -1;
    return m_view->indexAt(at).row();
}

int ListBox::ColumnFromXY(int x, int y) const
{
    m_view->layoutNow();
    const QPoint at = m_view->viewport()->mapFrom(m_view, QPoint(x, y));
    if (!m_view->viewport()->rect().contains(at))
        return -1;
    return m_view->indexAt(at).column();
}

int ListBox::MouseX() const { return m_view->mapFromGlobal(QCursor::pos()).x(); }
int ListBox::MouseY() const { return m_view->mapFromGlobal(QCursor::pos()).y(); }

void ListBox::EditCell(int row, int column) { m_view->editCell(row, column); }

CellEditor* ListBox::ActiveCell() const { return m_view->activeCell(); }

void ListBox::finishEdit() { m_view->endEdit(ListView::EditEnd::Store); }

void ListBox::windowAboutToClose()
{
    if (!m_view)
        return;
    m_view->cancelPendingEdit();
    finishEdit();
}

void ListBox::windowClosing()
{
    if (m_view)
        m_view->endEdit(ListView::EditEnd::Drop);
}

} // namespace fw
