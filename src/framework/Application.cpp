#include "framework/Application.h"

#include "framework/Database.h"
#include "framework/MenuBar.h"
#include "framework/Window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <csignal>

namespace fw {

namespace {
Application* s_instance = nullptr;

QElapsedTimer& sinceStart()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer;
}

// The Edit menu acts on the focused text field.
void editFocusedField(const QString& itemName)
{
    QWidget* focus = QApplication::focusWidget();
    if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        if (itemName == QLatin1String("EditUndo"))
            line->undo();
        else if (itemName == QLatin1String("EditCut"))
            line->cut();
        else if (itemName == QLatin1String("EditCopy"))
            line->copy();
        else if (itemName == QLatin1String("EditPaste"))
            line->paste();
        else if (itemName == QLatin1String("EditClear") && line->hasSelectedText())
            line->del();   // with nothing selected it would delete the next character
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
        if (itemName == QLatin1String("EditUndo"))
            plain->undo();
        else if (itemName == QLatin1String("EditCut"))
            plain->cut();
        else if (itemName == QLatin1String("EditCopy"))
            plain->copy();
        else if (itemName == QLatin1String("EditPaste"))
            plain->paste();
        else if (itemName == QLatin1String("EditClear"))
            plain->textCursor().removeSelectedText();
    }
}
void onFileSizeLimit(int) {}
} // namespace

Application::Application()
{
    sinceStart();
    s_instance = this;
    // A write past the file-size limit (ulimit -f) would end the program
    // with SIGXFSZ. Caught, it fails "File too large" and is told as a full
    // disk is. A handler, unlike ignoring the signal, is not passed on to the
    // programs this one starts.
    struct sigaction caught {};
    caught.sa_handler = onFileSizeLimit;
    sigemptyset(&caught.sa_mask);
    caught.sa_flags = SA_RESTART;
    sigaction(SIGXFSZ, &caught, nullptr);
}

Application::~Application()
{
    if (s_instance == this)
        s_instance = nullptr;
}

Application* Application::instance() { return s_instance; }

void Application::setMenuBar(MenuBar* bar)
{
    if (m_menuBar)
        disconnect(m_menuBar, nullptr, this, nullptr);
    m_menuBar = bar;
    if (bar) {
        connect(bar, &MenuBar::itemChosen, this, &Application::chooseMenuItem);
        connect(bar, &MenuBar::aboutToShowMenu, this, &Application::updateMenus);
    }
}

void Application::AddMenuHandler(const QString& itemName, std::function<bool()> handler)
{
    m_handlers.insert(itemName, std::move(handler));
}

void Application::chooseMenuItem(const QString& itemName)
{
    auto it = m_handlers.constFind(itemName);
    if (it != m_handlers.constEnd()) {
        (*it)();
        return;
    }
    if (itemName.startsWith(QLatin1String("Edit")))
        editFocusedField(itemName);
}

void Application::updateMenus() { Event_EnableMenuItems(); }

QString Application::LongVersion() const
{
    return QCoreApplication::applicationVersion();
}

void Application::startUp()
{
    Event_Open();
    updateMenus();
}

int Application::run()
{
    QTimer::singleShot(0, this, &Application::startUp);
    m_running = true;
    const int code = QApplication::exec();
    m_running = false;
    Window::closeAll();
    raiseClose();
    return m_quitRequested ? m_exitCode : code;
}

void Application::Quit(int exitCode)
{
    if (Event_CancelClose())
        return;
    m_quitRequested = true;
    m_exitCode = exitCode;
    Window::closeAll();
    raiseClose();
    // Only a running loop is told to end: telling Qt to quit with no loop
    // running would make the next loop end at once.
    if (m_running)
        QCoreApplication::exit(exitCode);
}

void Application::raiseClose()
{
    if (m_closeRaised)
        return;
    m_closeRaised = true;
    Event_Close();
}

// Neither gives the event loop a turn while a transaction's work runs: the
// change is stored whole before anything else may touch the database.
void DoEvents()
{
    if (Database::writing())
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void YieldToEventLoop()
{
    static QElapsedTimer lastYield;
    if (Database::writing() || (lastYield.isValid() && lastYield.elapsed() < 15))
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    lastYield.start();
}

namespace {
std::function<qint64()>& tickSource()
{
    static std::function<qint64()> source;
    return source;
}
} // namespace

qint64 Ticks()
{
    if (tickSource())
        return tickSource()();
    return sinceStart().elapsed() * 60 / 1000;
}

void setTickSource(std::function<qint64()> source)
{
    tickSource() = std::move(source);
}

} // namespace fw
