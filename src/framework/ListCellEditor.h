#pragma once

// How the list box shows and edits its cells (private to the list box's
// files): the in-place editor of a cell, and the delegate that paints cells.

#include "framework/ListModel.h"

#include <QLineEdit>
#include <QStyledItemDelegate>
#include <algorithm>
#include <limits>

namespace fw {

class ListView;

// Room between a cell's edges and its text.
constexpr int kCellTextMargin = 4;

class CellLineEdit final : public QLineEdit, public CellEditor {
public:
    // A cell's text is edited whole, however long: a line edit cuts what it
    // is given at its own length limit, and the edit would store it so.
    CellLineEdit(ListView* owner, QWidget* parent) : QLineEdit(parent), m_owner(owner)
    {
        setMaxLength(std::numeric_limits<int>::max());
    }
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

class CellDelegate final : public QStyledItemDelegate {
public:
    CellDelegate(ListBox& box, ListModel& model, QObject* parent)
        : QStyledItemDelegate(parent), m_box(box), m_model(model) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString text = m_model.shown(index.row(), index.column());
        return QSize(option.fontMetrics.horizontalAdvance(text) + 2 * kCellTextMargin, rowHeightFor(option.fontMetrics));
    }
    // Every row is as high, whatever its texts.
    int rowHeightFor(const QFontMetrics& metrics) const { return rowHeight > 0 ? rowHeight : metrics.height() + 4; }

    bool gridLines = false;
    int rowHeight = 0;   // from the layout; 0: what the font needs

private:
    ListBox& m_box;
    ListModel& m_model;
};

} // namespace fw
