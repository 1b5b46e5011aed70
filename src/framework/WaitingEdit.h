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

    // A press on the rows: on the cell a click would edit, or on no such
    // cell (an invalid index), which forgets an earlier press.
    void pressed(const QPersistentModelIndex& cell);
    // The release of the left button over a cell (an invalid index: over
    // none, or another button): on the pressed cell, the edit starts waiting.
    void released(const QModelIndex& at);
    // Drops the waiting edit; nothing when none waits.
    void drop();

protected:
    // While an edit waits, every press, key, input-method text and wheel
    // turn of the program passes here first.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool typedMeanwhile(QObject* watched, QEvent* event);

    ListView& m_view;
    QPersistentModelIndex m_pressed;   // pressed, not yet released
    QPersistentModelIndex m_cell;      // waiting for the interval to pass
    QTimer m_timer;
    bool m_listTookInputMethod = false;   // before the edit waited
};

} // namespace fw
