#pragma once

// The list box's rows and columns, as its view shows them (private to the
// list box's files).

#include "framework/ListBox.h"
#include "framework/Layout.h"

#include <QAbstractTableModel>
#include <map>
#include <vector>

namespace fw {

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

} // namespace fw
