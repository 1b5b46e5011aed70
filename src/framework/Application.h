#pragma once

// The application object: runs the one event loop, carries the menu bar and
// the table that binds menu item names to handlers, and raises the
// application's Open, Close, CancelClose and EnableMenuItems events.

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

namespace fw {

class MenuBar;

class Application : public QObject {
    Q_OBJECT
public:
    // Needs a QApplication; there is one Application at a time.
    Application();
    ~Application() override;
    static Application* instance();

    MenuBar* menuBar() const { return m_menuBar; }
    void setMenuBar(MenuBar* bar);

    // Binds a menu item name to a handler; later bindings of a name replace it.
    void AddMenuHandler(const QString& itemName, std::function<bool()> handler);
    bool hasMenuHandler(const QString& itemName) const { return m_handlers.contains(itemName); }
    // What choosing the item does: its handler, or the platform's text
    // editing for the Edit menu's items, or nothing.
    void chooseMenuItem(const QString& itemName);
    // Brings the menus up to date (raises Event_EnableMenuItems).
    void updateMenus();

    QString LongVersion() const;

    // Raises Event_Open, then brings the menus up to date before anything
    // of them is shown. run() does this once the loop runs.
    void startUp();
    // Raises Event_Open once the loop runs, runs the loop until the program
    // quits, and returns the exit code. Windows still open are closed and
    // Event_Close is raised before it returns.
    int run();
    // Asks Event_CancelClose, closes every window (each saves what it keeps),
    // raises Event_Close and ends the loop with the exit code.
    void Quit(int exitCode = 0);
    bool quitRequested() const { return m_quitRequested; }
    int exitCode() const { return m_exitCode; }

protected:
    virtual void Event_Open() {}
    virtual void Event_Close() {}
    virtual bool Event_CancelClose() { return false; }
    virtual void Event_EnableMenuItems() {}

private:
    void raiseClose();

    MenuBar* m_menuBar = nullptr;
    QHash<QString, std::function<bool()>> m_handlers;
    bool m_running = false;
    bool m_quitRequested = false;
    bool m_closeRaised = false;
    int m_exitCode = 0;
};

// Lets the event loop handle the pending events, then returns.
void DoEvents();
// A loop's yield: lets pending events run, at most about every 15 ms, so a
// long loop stays responsive without spending its time in the event loop.
// While a transaction's work runs (Database::writing) neither gives a turn.
void YieldToEventLoop();
// Sixtieths of a second since the program started.
qint64 Ticks();
// Replaces the clock Ticks reads (tests tap at chosen ticks); an empty
// function gives the real clock back.
void setTickSource(std::function<qint64()> source);

} // namespace fw
