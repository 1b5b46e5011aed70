#include "framework/ListView.h"


#include <QApplication>
#include <QHeaderView>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyleOption>
#include <algorithm>

namespace fw {

namespace {

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

} // namespace

ListView::ListView(ListBox& box, ListModel& model, QWidget* parent)
    : QTreeView(parent)
    , m_box(box)
    , m_model(model)
    , m_delegate(new CellDelegate(box, model, this))
    , m_waitingEdit(*this)
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
    cancelPendingEdit();
    const QModelIndex index = indexAt(event->position().toPoint());
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
    bool editsOnRelease = false;
    if (index.isValid() && plain && press->button() == Qt::LeftButton && m_model.column(index.column()).editable) {
        const std::vector<int> rows = selectedRows();
        editsOnRelease = rows.size() == 1 && rows.front() == index.row();
    }
    // A click below the rows clears the selection (not every Qt release's
    // views do this by themselves in every selection mode).
    if (!index.isValid() && plain) {
        selectionModel()->clearSelection();
        selectionModel()->clearCurrentIndex();
    }
    QTreeView::mousePressEvent(press);
    event->setAccepted(press->isAccepted());
    // Known once the view has taken the press in (it makes the cell current):
    // whatever drops an edit from now on forgets the press too.
    if (editsOnRelease)
        m_waitingEdit.pressed(index);
    // Below the rows there is nothing of the list's to press: the window
    // hears of the press as of one on no control.
    if (!index.isValid())
        event->ignore();
}

void ListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    m_waitingEdit.released(event->button() == Qt::LeftButton ? indexAt(event->position().toPoint()) : QModelIndex());
}

void ListView::beforeRowsChange()
{
    cancelPendingEdit();
    layoutNow();
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    // Not even a press the view makes of it leaves an edit to wait.
    cancelPendingEdit();
    if (event->button() == Qt::LeftButton && (m_doubleClickAnywhere || indexAt(event->position().toPoint()).isValid()))
        emit m_box.doubleClick();
}

void ListView::updateEditorGeometries()
{
    QTreeView::updateEditorGeometries();
    if (m_editor && m_editIndex.isValid())
        m_editor->setGeometry(visualRect(m_editIndex));
}

QWidget* ListView::editorWidget() const { return m_editor.data(); }

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

} // namespace fw
