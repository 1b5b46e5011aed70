#pragma once

// A click on the selected row's editable cell opens its editor only once the
// platform's double-click interval has passed: opened at the click, the
// editor would sit under the second click of a double-click, which would
// then never reach the list. What the user does meanwhile decides what
// becomes of that edit, and that rule is kept here (private to the list
// box's files).

#include <QObject>
#include <QPersistentModelIndex>
#include <QTimer>

namespace fw {

class ListView;

class WaitingEdit final : public QObject {
public:
    explicit WaitingEdit(ListView& view);
    ~WaitingEdit() override;

    // A press on the cell a click would edit, once the list has taken the
    // press in.
    void pressed(const QPersistentModelIndex& cell);
    // The release of the left button over a cell (an invalid index: over
    // none, or another button): on the pressed cell, the edit starts waiting.
    void released(const QModelIndex& at);
    // Drops the waiting edit, and forgets a press not yet released: nothing
    // of either remains. Nothing when neither is there.
    void drop();

protected:
    // While an edit waits, every press, key, input-method text and wheel
    // turn of the program passes here first.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool typedMeanwhile(QObject* watched, QEvent* event);
    // Ends the wait, all of it, and opens the cell's editor.
    void open();

    ListView& m_view;
    QPersistentModelIndex m_pressed;   // pressed, not yet released
    QPersistentModelIndex m_cell;      // waiting for the interval to pass
    QTimer m_timer;
    // An edit waits: the program's events pass here and the list takes
    // input-method text (the cell alone cannot tell: its row may go).
    bool m_waiting = false;
    bool m_listTookInputMethod = false;   // before the edit waited
};

} // namespace fw
