#include "framework/ListCellEditor.h"

#include "framework/Format.h"
#include "framework/ListView.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>

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

} // namespace

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
    if (!(m_box.CellTextPaint && m_box.CellTextPaint(g, row, col, kCellTextMargin, baseline))) {
        const QRect textRect = cell.adjusted(kCellTextMargin, 0, -kCellTextMargin, 0);
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

} // namespace fw
