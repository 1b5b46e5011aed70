#pragma once

// The simple controls a layout can hold. The list box and the movie player
// have headers of their own.

#include "framework/Control.h"

#include <QColor>
#include <QImage>
#include <QStringList>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QAbstractButton;
class QGroupBox;
class QTabBar;
class QFrame;
class QTimer;
class QWidget;

namespace fw {

class TextBox;

// Static text. Record settings: "multiline" (bool).
class StaticText final : public Control {
    Q_OBJECT
public:
    StaticText(Window& window, const ControlRecord& record);
    QString text() const;
    void setText(const QString& text);
    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor& colour);

protected:
    void fitText() override;

private:
    QLabel* m_label;
    QColor m_textColor;
};

// Edit field, one line or several. Record settings: "multiline", "readOnly",
// "border" (default true), "scrollbar", "acceptTabs".
class EditField final : public Control {
    Q_OBJECT
public:
    EditField(Window& window, const ControlRecord& record);
    QString text() const;
    void setText(const QString& text);
    bool multiline() const { return m_plain != nullptr; }
    int selStart() const;
    int selLength() const;
    void setSelStart(int start);
    void setSelLength(int length);
    QString selText() const;
    void setSelText(const QString& text);
    // The platform's text editing, on this field's selection.
    void copy();
    void cut();
    void paste();
    void clear();
    void setFocus();

signals:
    // Every change of the text, typed or set by code.
    void textChange();

protected:
    QWidget* mouseTarget() const override;

private:
    QLineEdit* m_line = nullptr;
    TextBox* m_plain = nullptr;
};

// Push button. Record settings: "default" (the window's default button).
class PushButton final : public Control {
    Q_OBJECT
public:
    PushButton(Window& window, const ControlRecord& record);
    QString caption() const;
    void setCaption(const QString& caption);
    // Presses the button as a click does: runs its action when it is enabled.
    void push();
    void setFocus();

signals:
    void action();

protected:
    void fitText() override;

private:
    QPushButton* m_button;
};

// Radio button; buttons in one container exclude each other.
// Record settings: "value" (selected as laid out).
class RadioButton final : public Control {
    Q_OBJECT
public:
    RadioButton(Window& window, const ControlRecord& record);
    bool value() const;
    void setValue(bool value);
    QString caption() const;

signals:
    // The button became selected, by the user or by code.
    void action();

protected:
    void fitText() override;

private:
    QRadioButton* m_button;
};

class GroupBox final : public Control {
    Q_OBJECT
public:
    GroupBox(Window& window, const ControlRecord& record);
    QString caption() const;
    void setCaption(const QString& caption);

protected:
    void fitText() override;

private:
    QGroupBox* m_box;
};

// Tab panel. Record settings: "tabs" (the page captions), "value" (the page
// shown first, 0-based). Its children name their page (1-based) in "page".
class TabPanel final : public Control {
    Q_OBJECT
public:
    TabPanel(Window& window, const ControlRecord& record);
    int value() const;
    void setValue(int page);
    int pageCount() const;
    QPoint childOrigin(int page) const override;
    QWidget* childHost(int page) const override;

signals:
    void change();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void fitText() override;

private:
    void showPage(int page);
    void layoutParts(const QSize& size);
    QTabBar* m_tabs;
    QFrame* m_frame;
    std::vector<QWidget*> m_pages;
    int m_barHeight;
};

// Canvas showing a picture. Record settings: "backdrop" (the name of a
// built-in picture, see registerPicture).
class Canvas : public Control {
    Q_OBJECT
public:
    Canvas(Window& window, const ControlRecord& record);
    std::optional<QImage> backdrop() const { return m_picture; }
    void setBackdrop(const std::optional<QImage>& picture);

private:
    QLabel* m_label;
    std::optional<QImage> m_picture;
};

// Image well: a canvas whose picture is called its image.
class ImageWell final : public Canvas {
    Q_OBJECT
public:
    using Canvas::Canvas;
    std::optional<QImage> image() const { return backdrop(); }
    void setImage(const std::optional<QImage>& picture) { setBackdrop(picture); }
};

// Contextual menu: rows added in its Open event, opened at the mouse.
class ContextualMenu final : public Control {
    Q_OBJECT
public:
    ContextualMenu(Window& window, const ControlRecord& record);
    void AddRow(const QString& text);
    QStringList rows() const { return m_rows; }
    // Shows the menu at the mouse; a chosen row raises action(text).
    void Open();

signals:
    void action(const QString& rowText);

private:
    QStringList m_rows;
};

// Timer owned by a window. Record settings: "period" (ms), "mode"
// (0 off, 1 single, 2 multiple). Fires precisely, on the event loop.
class Timer final : public Control {
    Q_OBJECT
public:
    enum Mode { ModeOff = 0, ModeSingle = 1, ModeMultiple = 2 };
    Timer(Window& window, const ControlRecord& record);
    Mode mode() const { return m_mode; }
    void setMode(Mode mode);
    int period() const;
    void setPeriod(int milliseconds);
    void windowClosing() override { setMode(ModeOff); }

signals:
    void action();

private:
    QTimer* m_timer;
    Mode m_mode = ModeOff;
};

// Built-in pictures that layouts name as backdrops.
void registerPicture(const QString& name, const QImage& picture);
std::optional<QImage> builtInPicture(const QString& name);

// Where the style puts a push or radio button's text, and a group box's
// title, at the widget's present font.
QRect buttonTextPlace(const QAbstractButton* button);
QRect groupTitlePlace(const QGroupBox* box);

} // namespace fw
