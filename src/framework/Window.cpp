#include "framework/Window.h"

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/ListBox.h"
#include "framework/MenuBar.h"
#include "framework/MoviePlayer.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMenuBar>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <stdexcept>

namespace fw {

namespace {
std::vector<Window*>& liveWindows()
{
    static std::vector<Window*> windows;
    return windows;
}
} // namespace

// The top-level widget: hands its close and resize events to its window.
class WindowFrame final : public QWidget {
public:
    explicit WindowFrame(Window& window) : m_window(window) {}

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        m_window.frameResized();
    }
    void closeEvent(QCloseEvent* event) override { m_window.frameClosing(event); }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (m_window.frameKeyPress(event))
            event->accept();
        else
            QWidget::keyPressEvent(event);
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (m_window.frameMousePress(event->position().toPoint()))
            event->accept();
        else
            QWidget::mousePressEvent(event);
    }
    void changeEvent(QEvent* event) override
    {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
            if (Application* app = Application::instance())
                app->updateMenus();
        }
    }

private:
    Window& m_window;
};

Window::Window(const QString& layoutName)
    : m_layout(layoutRecords(layoutName))
{
    setObjectName(layoutName);
    liveWindows().push_back(this);
}

Window::~Window()
{
    std::erase(liveWindows(), this);
    // Widgets go first; the controls (our children) never touch them after.
    m_frame.reset();
}

void Window::open()
{
    if (m_opened)
        return;
    m_opened = true;
    try {
        applyWindowRecord();
        for (const ControlRecord& record : m_layout.controls)
            createControl(record);
        CreateControls();
    } catch (...) {
        // A window that cannot be built is gone at once: it never opened,
        // so it has no Close event to run.
        m_closed = true;
        discarded();
        std::erase(liveWindows(), this);
        if (m_frame)
            m_frame->hide();
        deleteLater();
        throw;
    }
    for (Control* control : m_controls) {
        if (m_closed)
            return;
        emit control->opened();
    }
    if (m_closed)
        return;
    Event_Open();
    if (!m_closed && m_layout.window.visible)
        Show();
}

void Window::applyWindowRecord()
{
    const WindowRecord& w = m_layout.window;
    m_frame = std::make_unique<WindowFrame>(*this);
    Qt::WindowFlags flags = Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint;
    if (w.closeButton)
        flags |= Qt::WindowCloseButtonHint;
    if (w.minimizeButton)
        flags |= Qt::WindowMinimizeButtonHint;
    if (w.maximizeButton && w.resizable)
        flags |= Qt::WindowMaximizeButtonHint;
    m_frame->setWindowFlags(flags);
    m_frame->setWindowTitle(w.title);

    if (w.menuBar) {
        if (Application* app = Application::instance(); app && app->menuBar())
            m_menuBar = app->menuBar()->createWidget(m_frame.get());
    }
    m_content = new QWidget(m_frame.get());
    m_content->setObjectName(QStringLiteral("content"));
    if (w.backColor) {
        QPalette palette = m_content->palette();
        palette.setColor(QPalette::Window, *w.backColor);
        m_content->setPalette(palette);
        m_content->setAutoFillBackground(true);
    }
    m_laidOutSize = QSize(w.width, w.height);
    m_frame->resize(w.width, w.height + menuBarHeight());
    applySizeLimits();
    frameResized();

    if (w.placement == Placement::MainScreen) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            setLeft(area.left() + (area.width() - w.width) / 2);
            setTop(area.top() + (area.height() - w.height) / 3);
        }
    }
}

int Window::menuBarHeight() const
{
    return m_menuBar ? m_menuBar->sizeHint().height() : 0;
}

void Window::applySizeLimits()
{
    const WindowRecord& w = m_layout.window;
    const int extra = menuBarHeight();
    if (w.resizable) {
        m_frame->setMinimumSize(w.minWidth, w.minHeight + extra);
        m_frame->setMaximumSize(std::min(w.maxWidth, QWIDGETSIZE_MAX),
                                std::min(w.maxHeight + extra, QWIDGETSIZE_MAX));
    } else {
        m_frame->setFixedSize(m_frame->size());
    }
}

void Window::createControl(const ControlRecord& record)
{
    const QString& kind = record.kind;
    Control* control = nullptr;
    if (kind == QLatin1String("StaticText"))
        control = new StaticText(*this, record);
    else if (kind == QLatin1String("EditField"))
        control = new EditField(*this, record);
    else if (kind == QLatin1String("PushButton"))
        control = new PushButton(*this, record);
    else if (kind == QLatin1String("RadioButton"))
        control = new RadioButton(*this, record);
    else if (kind == QLatin1String("GroupBox"))
        control = new GroupBox(*this, record);
    else if (kind == QLatin1String("TabPanel"))
        control = new TabPanel(*this, record);
    else if (kind == QLatin1String("Canvas"))
        control = new Canvas(*this, record);
    else if (kind == QLatin1String("ImageWell"))
        control = new ImageWell(*this, record);
    else if (kind == QLatin1String("ContextualMenu"))
        control = new ContextualMenu(*this, record);
    else if (kind == QLatin1String("Timer"))
        control = new Timer(*this, record);
    else if (kind == QLatin1String("MoviePlayer"))
        control = new MoviePlayer(*this, record);
    else if (kind == QLatin1String("ListBox"))
        control = new ListBox(*this, record);
    else
        throw std::runtime_error(QStringLiteral("layout %1: unknown kind of control %2")
                                     .arg(m_layout.window.name, kind).toStdString());
    m_controls.push_back(control);
}

Control* Window::findControl(const QString& name, int index) const
{
    for (Control* control : m_controls) {
        if (control->name() == name && control->index() == index)
            return control;
    }
    return nullptr;
}

void Window::missingControl(const QString& name, int index) const
{
    throw std::logic_error(QStringLiteral("window %1 has no control %2(%3) of that kind")
                               .arg(m_layout.window.name, name).arg(index).toStdString());
}

QString Window::title() const { return m_frame ? m_frame->windowTitle() : QString(); }

void Window::setTitle(const QString& title)
{
    if (m_frame)
        m_frame->setWindowTitle(title);
}

int Window::top() const { return m_frame->geometry().top(); }
int Window::left() const { return m_frame->geometry().left(); }
int Window::width() const { return m_frame->width(); }
int Window::height() const { return m_frame->height() - menuBarHeight(); }

void Window::setTop(int top)
{
    QRect g = m_frame->geometry();
    g.moveTop(top);
    m_frame->setGeometry(g);
}

void Window::setLeft(int left)
{
    QRect g = m_frame->geometry();
    g.moveLeft(left);
    m_frame->setGeometry(g);
}

void Window::setWidth(int width)
{
    if (!m_layout.window.resizable)
        m_frame->setFixedWidth(width);
    QRect g = m_frame->geometry();
    g.setWidth(width);
    m_frame->setGeometry(g);
}

void Window::setHeight(int height)
{
    const int total = height + menuBarHeight();
    if (!m_layout.window.resizable)
        m_frame->setFixedHeight(total);
    QRect g = m_frame->geometry();
    g.setHeight(total);
    m_frame->setGeometry(g);
}

void Window::frameResized()
{
    const int bar = menuBarHeight();
    const QSize size(m_frame->width(), m_frame->height() - bar);
    if (m_menuBar)
        m_menuBar->setGeometry(0, 0, size.width(), bar);
    m_content->setGeometry(0, bar, size.width(), size.height());
    if (size == m_laidOutSize)
        return;
    const QSize before = m_laidOutSize;
    m_laidOutSize = size;
    for (Control* control : m_controls)
        control->followWindowResize(before, size);
}

bool Window::isVisible() const { return m_frame && m_frame->isVisible(); }

void Window::Show()
{
    if (m_closed)
        return;
    m_frame->show();
    m_frame->raise();
    m_frame->activateWindow();
}

void Window::Hide()
{
    if (m_frame)
        m_frame->hide();
}

void Window::Close()
{
    if (!m_closed && m_frame)
        m_frame->close();
}

void Window::frameClosing(QEvent* event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    if (Event_CancelClose()) {
        event->ignore();
        return;
    }
    for (Control* control : m_controls)
        control->windowAboutToClose();
    m_closed = true;
    Event_Close();
    for (Control* control : m_controls)
        control->windowClosing();
    discarded();
    std::erase(liveWindows(), this);
    event->accept();
    emit closed();
    deleteLater();
}

bool Window::frameKeyPress(const QKeyEvent* event)
{
    if (m_closed || event->isAutoRepeat())
        return false;
    const QString key = keyCharacter(event);
    return !key.isEmpty() && Event_KeyDown(key);
}

bool Window::frameMousePress(const QPoint& framePosition)
{
    if (m_closed)
        return false;
    const QPoint at = m_content->mapFrom(m_frame.get(), framePosition);
    return Event_MouseDown(at.x(), at.y());
}

std::vector<Window*> Window::openWindows()
{
    std::vector<Window*> open;
    for (Window* w : liveWindows()) {
        if (!w->m_closed)
            open.push_back(w);
    }
    return open;
}

void Window::closeAll()
{
    // Newest first, so a window opened by another closes before its opener.
    std::vector<Window*> open = openWindows();
    std::reverse(open.begin(), open.end());
    for (Window* w : open) {
        if (w->m_frame) {
            w->m_frame->close();
        } else {
            // Made but never opened: nothing to ask, nothing to save.
            w->m_closed = true;
            w->discarded();
            w->deleteLater();
        }
    }
}

} // namespace fw
