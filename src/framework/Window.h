#pragma once

// A window built from its layout records. Naming a window class's shared
// instance builds it when none is open: the window record is applied (with the
// application's menu bar), the controls are created in their creation order,
// each control's Open event runs, then the window's Event_Open, and the window
// is shown when its record says it is visible at creation. Closing runs
// Event_Close and discards the window; the next naming builds it afresh.

#include "framework/Control.h"
#include "framework/Layout.h"

#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

class QKeyEvent;
class QMenuBar;
class QWidget;

namespace fw {

class Window : public QObject {
    Q_OBJECT
public:
    explicit Window(const QString& layoutName);
    ~Window() override;

    // Builds the window (see above). Called once, by whoever creates it.
    void open();

    // A control by name (and index, for a member of a control array).
    // Throws std::logic_error when the layout has no such control of that
    // kind: the window's code and its layout belong together.
    template <class C>
    C* control(const QString& name, int index = -1) const
    {
        C* found = dynamic_cast<C*>(findControl(name, index));
        if (!found)
            missingControl(name, index);
        return found;
    }
    Control* findControl(const QString& name, int index = -1) const;
    const std::vector<Control*>& controls() const { return m_controls; }

    const WindowRecord& windowRecord() const { return m_layout.window; }
    QString title() const;
    void setTitle(const QString& title);

    // Place and size of the window's content area on the screen.
    int top() const;
    int left() const;
    int width() const;
    int height() const;
    void setTop(int top);
    void setLeft(int left);
    void setWidth(int width);
    void setHeight(int height);

    bool isVisible() const;
    // Makes the window visible and brings it to the front.
    void Show();
    void Hide();
    // Closes the window as its close box does.
    void Close();
    bool isClosed() const { return m_closed; }

    // The top-level widget (for the framework and for tests that click).
    QWidget* frame() const { return m_frame.get(); }
    QWidget* content() const { return m_content; }

    // Every window not yet closed, in the order they were created.
    static std::vector<Window*> openWindows();
    // Closes every open window (quitting does this; so does each test).
    static void closeAll();

signals:
    void closed();

protected:
    // Takes the window's controls and binds their events.
    virtual void CreateControls() {}
    virtual void Event_Open() {}
    virtual void Event_Close() {}
    // True keeps the window open.
    virtual bool Event_CancelClose() { return false; }
    // A key press that no control took (see keyCharacter); a key held down
    // is one press, its repeats are not raised. True: the key is handled.
    virtual bool Event_KeyDown(const QString& key) { Q_UNUSED(key); return false; }
    // A press on the window where no control takes it (on its background,
    // on a static text), in content coordinates. True: the press is handled.
    virtual bool Event_MouseDown(int x, int y) { Q_UNUSED(x); Q_UNUSED(y); return false; }
    // The window is gone from the user's view: shared instances forget it.
    virtual void discarded() {}

private:
    friend class WindowFrame;
    void applyWindowRecord();
    void createControl(const ControlRecord& record);
    void frameResized();
    void frameClosing(QEvent* event);
    bool frameKeyPress(const QKeyEvent* event);
    bool frameMousePress(const QPoint& framePosition);
    int menuBarHeight() const;
    void applySizeLimits();
    [[noreturn]] void missingControl(const QString& name, int index) const;

    const LayoutRecords& m_layout;
    std::unique_ptr<QWidget> m_frame;
    QWidget* m_content = nullptr;
    QMenuBar* m_menuBar = nullptr;
    std::vector<Control*> m_controls;
    QSize m_laidOutSize;
    bool m_closed = false;
    bool m_opened = false;
};

// The one shared instance of a window class W (W derives SharedWindow<W>):
// instance() returns the open window, building it when none is open.
template <class W>
class SharedWindow : public Window {
public:
    using Window::Window;

    static W& instance()
    {
        if (s_live)
            return *s_live;
        // A window may close itself while it opens; the caller still gets it.
        W* window = new W();
        s_live = window;
        window->open();
        return *window;
    }
    static bool isOpen() { return s_live != nullptr; }
    // The open window or null, without building one.
    static W* ifOpen() { return s_live; }

protected:
    void discarded() override
    {
        if (s_live == this)
            s_live = nullptr;
    }

private:
    static inline W* s_live = nullptr;
};

// A window of a class that gets a new window for each use: built and
// opened; the caller shows it and hands it what it shows.
template <class W>
W& newWindow()
{
    W* window = new W();
    window->open();
    return *window;
}

} // namespace fw
