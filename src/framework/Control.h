#pragma once

// The base of every control a window builds from its layout records: its name
// and index in a control array, its place in window coordinates with the
// edges it is locked to, its text size, help tag, visibility, mouse events
// and file drops.

#include "framework/FolderItem.h"
#include "framework/Layout.h"

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QRect>
#include <functional>

class QKeyEvent;
class QWidget;

namespace fw {

class Window;

// What a file drop carries: the first dropped file, and where it landed in
// the control's own coordinates.
struct DragItem {
    FolderItem folderItem;
    QPoint position;
};

} // namespace fw

Q_DECLARE_METATYPE(fw::DragItem)

namespace fw {

// Whether the mouse press being handled is a contextual click (the right
// button, or the left one with Ctrl).
bool IsContextualClick();

// A key press as the program's key events see it: one character; arrows are
// chr(28) left, 29 right, 30 up, 31 down, Tab chr(9), Return chr(13), Escape
// chr(27); empty for a key that types nothing (a modifier alone).
QString keyCharacter(const QKeyEvent* event);

class Control : public QObject {
    Q_OBJECT
public:
    Control(Window& window, const ControlRecord& record);
    ~Control() override;

    const QString& name() const { return m_record.name; }
    int index() const { return m_record.index; }
    const ControlRecord& record() const { return m_record; }
    Window& window() const { return m_window; }
    // The control's widget; null for controls that are never seen (timers,
    // the movie player, contextual menus).
    QWidget* widget() const { return m_widget; }

    // Place and size in the window's content coordinates.
    int left() const { return m_rect.left(); }
    int top() const { return m_rect.top(); }
    int width() const { return m_rect.width(); }
    int height() const { return m_rect.height(); }
    void setLeft(int left);
    void setTop(int top);
    void setWidth(int width);
    void setHeight(int height);
    QRect rect() const { return m_rect; }

    bool visible() const { return m_visible; }
    void setVisible(bool visible);
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int textSize() const { return m_textSize; }
    void setTextSize(int points);
    QString helpTag() const { return m_helpTag; }
    void setHelpTag(const QString& tag);
    void refresh();

    // Accept files dropped on the control; "special/any" admits any file.
    void acceptFileDrop(const QString& fileType);

    // Mouse events with the platform's rule: when mouseDown answers true the
    // control does not handle the press itself and mouseUp gets the release.
    std::function<bool(int x, int y)> mouseDown;
    std::function<void(int x, int y)> mouseUp;

    // The window's content area changed size: follow the locked edges
    // (left and right locked: stretch; right only: move; likewise vertically).
    // Called in creation order, so a container has moved before its children.
    void followWindowResize(const QSize& before, const QSize& now);
    // Where a child of this container, on the given page, has its origin
    // in window coordinates, and the widget it goes into.
    virtual QPoint childOrigin(int page) const;
    virtual QWidget* childHost(int page) const;
    // The window is about to close, its Close event still to come: end what
    // the user left open (an edit), while the window still hears of it.
    virtual void windowAboutToClose() {}
    // The window is closing: stop whatever would outlive it.
    virtual void windowClosing() {}

signals:
    // Raised once, after the window has built all its controls.
    void opened();
    void dropObject(const fw::DragItem& item);

protected:
    // The widget the control's own widget must be created in.
    QWidget* hostWidget() const;
    // Takes the control's widget: places it and applies the record.
    void attachWidget(QWidget* widget);
    // The widget that receives the mouse (a scroll area's viewport).
    virtual QWidget* mouseTarget() const { return m_widget; }
    virtual void applyTextSize();
    // The control's font at its text size, as the text would be drawn
    // before it is made to fit (see fittedFont).
    const QFont& textFont() const { return m_font; }
    // Gives the control's widget the font that shows its text whole in the
    // control's present size; run again whenever the text, the text size or
    // the size changes. Controls without text take textFont() as it is.
    virtual void fitText();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyGeometry();
    bool handleDrop(QObject* watched, QEvent* event);

    Window& m_window;
    ControlRecord m_record;
    Control* m_container = nullptr;
    QPointer<QWidget> m_widget;
    QRect m_rect;
    QFont m_font;
    bool m_visible;
    bool m_enabled;
    int m_textSize;
    QString m_helpTag;
    bool m_acceptsDrops = false;
    bool m_mouseCaptured = false;
    QPoint m_lastMove;     // what the last window resize did to this control
    QSize m_lastGrow;
};

// Makes the text of each control smaller by the given points (the windows
// show their texts 2 points smaller than laid out).
void lowerTextSize(std::initializer_list<Control*> controls, int points = 2);

// The font that shows a text whole: `font` itself, or `font` made narrower,
// which always fits. `need` answers how much room the text takes at a font,
// as a share of the room it has: 1 or less fits. The rule every text a
// control shows follows is told where it is applied, in Control.cpp.
QFont fittedFont(const QFont& font, const std::function<double(const QFont&)>& need);
// The share of a box a text laid out with the flags takes at a font, the
// larger of its width's and its height's.
double shareOfBox(const QFont& font, const QString& text, const QRect& box, int flags);
// The narrowest a text is drawn, in per cent of its font's width.
constexpr int kNarrowestStretch = 60;

// The pixel size of text laid out at a point size. The layouts were drawn for
// 72-dpi points; a little larger reads better on today's screens and still
// fits the laid-out heights.
int pixelSizeForPoints(int points);

} // namespace fw
