// The application object with its menu bar: items found by name, one bar
// shared by every window, handlers bound by name, the menu-enabling event,
// and quitting.

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/MenuBar.h"
#include "framework/Window.h"
#include "support/Windows.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

namespace {
const char* kLayout = R"({
  "window": { "name": "Pane", "title": "Pane", "width": 200, "height": 100, "menuBar": true },
  "controls": [ { "name": "field", "kind": "EditField", "left": 10, "top": 10, "width": 150, "height": 22, "text": "hello" } ]
})";

class Pane : public fw::Window {
public:
    explicit Pane(QStringList* log) : Window(QStringLiteral("Pane")), m_log(log) {}

protected:
    void Event_Close() override { *m_log << QStringLiteral("window closed"); }

private:
    QStringList* m_log;
};

class ProbeApp : public fw::Application {
public:
    QStringList log;
    bool refuseQuit = false;

protected:
    void Event_Close() override { log << QStringLiteral("app closed"); }
    bool Event_CancelClose() override { return refuseQuit; }
    void Event_EnableMenuItems() override
    {
        log << QStringLiteral("enable");
        menuBar()->findItem(QStringLiteral("hidden"))->setVisible(false);
    }
};

std::unique_ptr<fw::MenuBar> makeBar()
{
    auto bar = std::make_unique<fw::MenuBar>(QStringLiteral("Bar"));
    fw::MenuItem* file = bar->append(std::make_unique<fw::MenuItem>(QStringLiteral("FileMenu"), QStringLiteral("&File")));
    auto add = [](fw::MenuItem* menu, const char* name, const char* text, const char* keys = "") {
        auto item = std::make_unique<fw::MenuItem>(QLatin1String(name), QLatin1String(text));
        item->setKeyboardShortcut(QLatin1String(keys));
        return menu->append(std::move(item));
    };
    add(file, "mToggle", "Toggle");
    add(file, "sep", "-");
    add(file, "hidden", "Hidden");
    add(file, "mExit", "E&xit", "Cmd+Q");
    fw::MenuItem* edit = bar->append(std::make_unique<fw::MenuItem>(QStringLiteral("mEdit"), QStringLiteral("&Edit")));
    add(edit, "EditCopy", "&Copy", "Cmd+C");
    add(edit, "EditPaste", "&Paste", "Cmd+V");
    return bar;
}
} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT
    std::unique_ptr<fw::MenuBar> m_bar;
    std::unique_ptr<ProbeApp> m_app;

private slots:
    void initTestCase() { fw::registerLayout(fw::parseLayout(kLayout, QStringLiteral("test"))); }
    void init()
    {
        m_bar = makeBar();
        m_app = std::make_unique<ProbeApp>();
        m_app->setMenuBar(m_bar.get());
    }
    void cleanup()
    {
        testing::closeAllWindows();
        m_app.reset();
        m_bar.reset();
    }

    void itemsAreFoundByNameWithTheirShortcuts()
    {
        fw::MenuItem* exit = m_bar->findItem(QStringLiteral("mExit"));
        QVERIFY(exit);
        QCOMPARE(exit->action()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QCOMPARE(exit->action()->text(), QStringLiteral("E&xit"));
        exit->setText(QStringLiteral("Quit"));
        exit->setCommandKey(QStringLiteral("q"));
        QCOMPARE(exit->keyboardShortcut(), QStringLiteral("Cmd+Q"));
        QVERIFY(m_bar->findItem(QStringLiteral("sep"))->action()->isSeparator());
        QVERIFY(!m_bar->findItem(QStringLiteral("nothing")));
        QCOMPARE(m_bar->child(QStringLiteral("FileMenu"))->menu()->title(), QStringLiteral("&File"));
    }

    void everyWindowShowsTheSameBar()
    {
        QStringList log;
        auto* first = new Pane(&log);
        first->open();
        auto* second = new Pane(&log);
        second->open();
        auto* barOne = first->frame()->findChild<QMenuBar*>();
        auto* barTwo = second->frame()->findChild<QMenuBar*>();
        QVERIFY(barOne && barTwo && barOne != barTwo);
        QCOMPARE(barOne->actions().size(), 2);
        QCOMPARE(barOne->actions().first()->menu(), barTwo->actions().first()->menu());
        m_bar->findItem(QStringLiteral("mToggle"))->setChecked(true);
        QAction* shared = m_bar->findItem(QStringLiteral("mToggle"))->action();
        QVERIFY(barOne->actions().first()->menu()->actions().contains(shared));
        QVERIFY(shared->isChecked());
        // The content area is below the bar and keeps the laid-out size.
        QCOMPARE(first->height(), 100);
        QCOMPARE(first->content()->geometry().top(), barOne->height());
    }

    void choosingAnItemRunsItsHandlerOnly()
    {
        int runs = 0;
        m_app->AddMenuHandler(QStringLiteral("mToggle"), [&] { ++runs; return false; });
        fw::MenuItem* toggle = m_bar->findItem(QStringLiteral("mToggle"));
        toggle->action()->trigger();
        QCOMPARE(runs, 1);
        // A checked item does not flip its own check mark when chosen.
        toggle->setChecked(true);
        toggle->action()->trigger();
        QVERIFY(toggle->checked());
        QVERIFY(toggle->action()->isChecked());
        // An item without a handler does nothing.
        m_bar->findItem(QStringLiteral("hidden"))->action()->trigger();
        QCOMPARE(runs, 2);
    }

    void editItemsActOnTheFocusedField()
    {
        QStringList log;
        auto* pane = new Pane(&log);
        pane->open();
        pane->frame()->activateWindow();
        auto* field = pane->control<fw::EditField>(QStringLiteral("field"));
        field->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), field->widget());
        field->setSelStart(0);
        field->setSelLength(5);
        m_bar->findItem(QStringLiteral("EditCopy"))->action()->trigger();
        field->setSelStart(5);
        m_bar->findItem(QStringLiteral("EditPaste"))->action()->trigger();
        QCOMPARE(field->text(), QStringLiteral("hellohello"));
    }

    void menusAreBroughtUpToDateBeforeTheyShow()
    {
        QMenu* file = m_bar->child(QStringLiteral("FileMenu"))->menu();
        QVERIFY(m_bar->findItem(QStringLiteral("hidden"))->action()->isVisible());
        emit file->aboutToShow();
        QVERIFY(m_app->log.contains(QStringLiteral("enable")));
        QVERIFY(!m_bar->findItem(QStringLiteral("hidden"))->action()->isVisible());
    }

    void quitClosesWindowsThenRaisesCloseOnce()
    {
        auto* pane = new Pane(&m_app->log);
        pane->open();
        m_app->refuseQuit = true;
        m_app->Quit(0);
        QVERIFY(!m_app->quitRequested());
        QVERIFY(!pane->isClosed());
        m_app->refuseQuit = false;
        m_app->Quit(3);
        m_app->Quit(3);
        QVERIFY(m_app->quitRequested());
        QCOMPARE(m_app->exitCode(), 3);
        QCOMPARE(m_app->log.filter(QStringLiteral("closed")),
                 QStringList({QStringLiteral("window closed"), QStringLiteral("app closed")}));
    }

    void ticksCountSixtiethsOfASecond()
    {
        const qint64 before = fw::Ticks();
        QTest::qWait(250);
        const qint64 elapsed = fw::Ticks() - before;
        QVERIFY2(elapsed >= 14 && elapsed <= 40, qPrintable(QString::number(elapsed)));
    }
};

QTEST_MAIN(ApplicationTest)
#include "tst_application.moc"
