#include "framework/ListBox.h"

#include "framework/ListModel.h"
#include "framework/ListView.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>
#include <numeric>

namespace fw {

void Graphics::FillRect(int x, int y, int width, int height)
{
    // A cell has one background colour: any fill that reaches into the cell
    // colours all of it.
    if (width > 0 && height > 0 && x < Width && y < Height && x + width > 0 && y + height > 0)
        m_fill = ForeColor;
}

bool ShiftKey() { return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier; }

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
