#include "support/Keyboard.h"

#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QWindow>
#include <QtTest>

namespace testing {

namespace {

Qt::KeyboardModifier modifierOf(Qt::Key key)
{
    switch (key) {
    case Qt::Key_Shift: return Qt::ShiftModifier;
    case Qt::Key_Control: return Qt::ControlModifier;
    case Qt::Key_Alt: return Qt::AltModifier;
    case Qt::Key_Meta: return Qt::MetaModifier;
    case Qt::Key_AltGr: return Qt::GroupSwitchModifier;   // as the X11 platform reports it
    default: return Qt::NoModifier;
    }
}

// The key a US keyboard types a character with, and whether Shift is held.
std::pair<Qt::Key, bool> keyFor(QChar c)
{
    static const QString shiftedSigns = QStringLiteral("~!@#$%^&*()_+{}|:\"<>?");
    if (c == u'\b')
        return {Qt::Key_Backspace, false};
    if (c.isLetter() && c.unicode() < 0x80)
        return {Qt::Key(c.toUpper().unicode()), c.isUpper()};
    // Qt's key codes for ASCII signs and digits are their character codes.
    return {Qt::Key(c.unicode()), shiftedSigns.contains(c)};
}

// QTest's own key presses add modifier presses of their own; these send
// exactly the events a real keyboard makes.
void key(QWindow* window, bool press, Qt::Key code, Qt::KeyboardModifiers held, const QString& text)
{
    QTest::simulateEvent(window, press, code, held, text, false);
}

// What the platform asks before it composes for the object with the focus.
bool takesInputMethodText(QObject* object)
{
    if (!object)
        return false;
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QCoreApplication::sendEvent(object, &query);
    return query.value(Qt::ImEnabled).toBool();
}

} // namespace

void pressWith(QWindow* window, Qt::Key modifierKey, Qt::Key code, const QString& text)
{
    const Qt::KeyboardModifier held = modifierOf(modifierKey);
    key(window, true, modifierKey, held, QString());
    key(window, true, code, held, text);
    key(window, false, code, held, text);
    key(window, false, modifierKey, Qt::NoModifier, QString());
}

void pressKey(QWindow* window, Qt::Key code, const QString& text)
{
    key(window, true, code, Qt::NoModifier, text);
    key(window, false, code, Qt::NoModifier, text);
}

void typeOnKeyboard(QWindow* window, const QString& text)
{
    for (const QChar c : text) {
        const auto [key, shifted] = keyFor(c);
        const QString typed = c == u'\b' ? QString() : QString(c);
        if (shifted)
            pressWith(window, Qt::Key_Shift, key, typed);
        else
            pressKey(window, key, typed);
    }
}

void typeComposed(QWindow* window, Qt::Key deadKey, const QString& character)
{
    QInputMethodEvent composed;
    composed.setCommitString(character);
    QCoreApplication::sendEvent(QGuiApplication::focusObject(), &composed);
    key(window, false, deadKey, Qt::NoModifier, QString());
}

void typeWithDeadKey(QWindow* window, Qt::Key deadKey, QChar letter, const QString& composed)
{
    if (takesInputMethodText(QGuiApplication::focusObject())) {
        typeComposed(window, deadKey, composed);
        return;
    }
    pressKey(window, deadKey);
    typeOnKeyboard(window, QString(letter));
}

} // namespace testing
