#pragma once

// Keys as the window system delivers a real keyboard's, to the window with
// the focus: a modifier's own press (no text) first, then the key with the
// modifier held, the releases last. Where the platform composes a character
// of two keys (a dead key and a letter), their presses never reach the
// program: the character comes as input-method text.

#include <QString>
#include <Qt>

class QWindow;

namespace testing {

// Types text as a US keyboard does: capitals and shifted signs ("+", "?")
// with Shift held; Backspace as "\b".
void typeOnKeyboard(QWindow* window, const QString& text);
// One key pressed with a modifier key held: Ctrl+V, Shift+Insert, AltGr+E
// (typing "€"). The key's text is what the platform gives the pair.
void pressWith(QWindow* window, Qt::Key modifierKey, Qt::Key key, const QString& text = QString());
// A key on its own (Return, F5, Caps Lock ...), pressed and released.
void pressKey(QWindow* window, Qt::Key key, const QString& text = QString());
// A dead key and the letter after it, composed by the platform into one
// character.
void typeComposed(QWindow* window, Qt::Key deadKey, const QString& character);
// A dead key and the letter after it as the X11 platform delivers them: to a
// focus object that takes input-method text, the one character they compose;
// to any other, the two key presses themselves, the dead key's without text.
void typeWithDeadKey(QWindow* window, Qt::Key deadKey, QChar letter, const QString& composed);

} // namespace testing
