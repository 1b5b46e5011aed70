#include "framework/WaitingEdit.h"

#include "framework/ListView.h"

#include <QApplication>
#include <QKeyEvent>
#include <memory>

namespace fw {

namespace {

// A key that types text (a letter, a digit, a sign, Backspace or Delete),
// not a command. Ctrl and Alt held together are AltGr on some keyboards.
bool typesText(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers commands = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (commands && commands != (Qt::ControlModifier | Qt::AltModifier))
        return false;
    const QString text = event->text();
    return (!text.isEmpty() && text.at(0).isPrint()) || event->key() == Qt::Key_Backspace
        || event->key() == Qt::Key_Delete;
}

// A key whose own press types nothing and changes what the next key types:
// a real keyboard sends Shift's press before the "T" typed with it.
bool changesTheNextKey(int key)
{
    switch (key) {
    case Qt::Key_Shift: case Qt::Key_Control: case Qt::Key_Alt: case Qt::Key_AltGr: case Qt::Key_Meta:
    case Qt::Key_Super_L: case Qt::Key_Super_R: case Qt::Key_Hyper_L: case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock: case Qt::Key_NumLock: case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

// A dead key or the compose key: the first of the keys that type one
// character ("´" then "e" for "é"). Where the platform composes, these
// presses never reach the program and the character comes as input-method
// text; where it does not, they come as key presses.
bool startsACharacter(int key)
{
    return key == Qt::Key_Multi_key || (key >= Qt::Key_Dead_Grave && key <= Qt::Key_Dead_Longsolidusoverlay);
}

bool isPaste(const QKeyEvent* event) { return event->matches(QKeySequence::Paste); }

// Input-method text: a composed character, or text still being composed.
bool bringsText(const QEvent* event)
{
    const auto* input = static_cast<const QInputMethodEvent*>(event);
    return !input->commitString().isEmpty() || !input->preeditString().isEmpty();
}

} // namespace

WaitingEdit::WaitingEdit(ListView& view) : m_view(view)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &WaitingEdit::open);
}

WaitingEdit::~WaitingEdit() { drop(); }

void WaitingEdit::pressed(const QPersistentModelIndex& cell) { m_pressed = cell; }

void WaitingEdit::released(const QModelIndex& at)
{
    const QPersistentModelIndex target = std::exchange(m_pressed, QPersistentModelIndex());
    if (!target.isValid() || at != target)
        return;
    drop();
    m_waiting = true;
    m_cell = target;
    qApp->installEventFilter(this);
    // The platform composes a character of a dead key and a letter only for
    // a widget that takes input-method text; else the dead key comes as a
    // key press of its own and its accent is lost.
    m_listTookInputMethod = m_view.testAttribute(Qt::WA_InputMethodEnabled);
    m_view.setAttribute(Qt::WA_InputMethodEnabled);
    m_timer.start(QApplication::doubleClickInterval());
}

void WaitingEdit::drop()
{
    m_pressed = QPersistentModelIndex();
    if (!std::exchange(m_waiting, false))
        return;
    m_timer.stop();
    m_cell = QPersistentModelIndex();
    qApp->removeEventFilter(this);
    m_view.setAttribute(Qt::WA_InputMethodEnabled, m_listTookInputMethod);
}

bool WaitingEdit::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        drop();
        break;
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::InputMethod:
        if (typedMeanwhile(watched, event))
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

// What is typed on the list while the edit waits goes into the cell: text,
// Backspace and Delete, a composed character and a paste open the editor at
// once and go into it (true: taken). The press of a key that only changes
// what the next key types (Shift, AltGr, Caps Lock ...) leaves the edit
// waiting, so the character typed with it is kept. Any other key drops the
// edit, so it acts on the list as it would have.
bool WaitingEdit::typedMeanwhile(QObject* watched, QEvent* event)
{
    if (QApplication::focusWidget() != &m_view) {
        drop();
        return false;
    }
    bool goesIn = false;
    if (event->type() == QEvent::InputMethod) {
        // One without text (the platform resetting its composing) is no input.
        if (!bringsText(event))
            return false;
        goesIn = true;
    } else {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (changesTheNextKey(key->key()))
            return false;
        goesIn = typesText(key) || isPaste(key) || startsACharacter(key->key());
        if (goesIn && event->type() == QEvent::ShortcutOverride) {
            // A paste is the list's, not the Edit menu's: its press then
            // comes to the list. The other keys have no shortcut to override.
            if (isPaste(key) && watched == &m_view) {
                event->accept();
                return true;
            }
            return false;
        }
    }
    if (!goesIn) {
        drop();
        return false;
    }
    // The window hears of a key before the list it goes to.
    if (watched != &m_view)
        return false;
    open();
    QWidget* editor = m_view.editorWidget();
    if (!editor)
        return false;
    const std::unique_ptr<QEvent> typed(event->clone());
    QCoreApplication::sendEvent(editor, typed.get());
    return true;
}

// Whether the interval or a key opens it, the edit waits no more: nothing of
// the wait is left to take later keys to this cell.
void WaitingEdit::open()
{
    const QPersistentModelIndex cell = m_cell;
    drop();
    if (cell.isValid())
        m_view.editCell(cell.row(), cell.column());
}

} // namespace fw
