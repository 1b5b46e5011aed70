#include "framework/WaitingEdit.h"

#include "framework/ListView.h"

#include <QApplication>
#include <QKeyEvent>

namespace fw {

namespace {

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

} // namespace

WaitingEdit::WaitingEdit(ListView& view) : m_view(view)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        const QPersistentModelIndex cell = m_cell;
        drop();
        if (cell.isValid())
            m_view.editCell(cell.row(), cell.column());
    });
}

WaitingEdit::~WaitingEdit() { drop(); }

void WaitingEdit::pressed(const QPersistentModelIndex& cell) { m_pressed = cell; }

void WaitingEdit::released(const QModelIndex& at)
{
    const QPersistentModelIndex target = std::exchange(m_pressed, QPersistentModelIndex());
    if (!target.isValid() || at != target)
        return;
    m_cell = target;
    qApp->installEventFilter(this);
    m_timer.start(QApplication::doubleClickInterval());
}

void WaitingEdit::drop()
{
    if (!m_timer.isActive())
        return;
    m_timer.stop();
    m_cell = QPersistentModelIndex();
    qApp->removeEventFilter(this);
}

bool WaitingEdit::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::Wheel:
        if (inputMeanwhile(watched, event))
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

// A key typed on the list opens the editor at once and goes into it (true:
// taken); anything else drops the waiting edit.
bool WaitingEdit::inputMeanwhile(QObject* watched, QEvent* event)
{
    const bool isKey = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
    if (!isKey || QApplication::focusWidget() != &m_view || !editsText(static_cast<QKeyEvent*>(event))) {
        drop();
        return false;
    }
    // The key press itself follows its shortcut check, and the list hears
    // it before its window does.
    if (event->type() == QEvent::ShortcutOverride || watched != &m_view)
        return false;
    const QPersistentModelIndex cell = m_cell;
    drop();
    if (!cell.isValid())
        return false;
    m_view.editCell(cell.row(), cell.column());
    QWidget* editor = m_view.editorWidget();
    if (!editor)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    QKeyEvent typed(QEvent::KeyPress, key->key(), key->modifiers(), key->text(), key->isAutoRepeat(), key->count());
    QCoreApplication::sendEvent(editor, &typed);
    return true;
}

} // namespace fw
