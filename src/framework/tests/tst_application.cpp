// The application object with its menu bar: items found by name, one bar
// shared by every window, handlers bound by name, the menu-enabling event,
// and quitting.

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/MenuBar.h"
#include "framework/Window.h"
#include "support/Windows.h"

#include <QClipboard>
#include <QMenuBar>
#include <QtTest>

namespace {
const char* kLayout = R"({
  "window": { "name": "Pane", "width": 200, "height": 100, "menuBar": true },
  "controls": [ { "name": "field", "kind": "EditField", "left": 10, "top": 10, "width": 150, "height": 22, "text": "hello" },
                { "name": "notes", "kind": "EditField", "left": 10, "top": 40, "width": 150, "height": 50, "text": "hello",
                  "multiline": true } ]
})";

class ProbeApp : public fw::Application {
public:
    QStringList log;
    bool refuseQuit = false;

protected:
    void Event_Close() override { log << QStringLiteral("app closed"); }
    bool Event_CancelClose() override { return refuseQuit; }
    void Event_EnableMenuItems() override { menuBar()->findItem(QStringLiteral("hidden"))->setVisible(false); }
};

std::unique_ptr<fw::MenuBar> makeBar()
{
    auto bar = std::make_unique<fw::MenuBar>(QStringLiteral("Bar"));
    const auto add = [](fw::MenuItem* menu, const char* name, const char* text) {
        return menu->append(std::make_unique<fw::MenuItem>(QLatin1String(name), QLatin1String(text)));
    };
    fw::MenuItem* file = add(bar.get(), "FileMenu", "&File");
    for (const char* name : {"mToggle", "hidden"})
        add(file, name, name);
    add(file, "sep", "-");
    add(file, "mExit", "E&xit")->setKeyboardShortcut(QStringLiteral("Cmd+Q"));
    fw::MenuItem* edit = add(bar.get(), "mEdit", "&Edit");
    for (const char* name : {"EditCopy", "EditPaste", "EditClear"})
        add(edit, name, name);
    return bar;
}

fw::Window* openPane()
{
    auto* pane = new fw::Window(QStringLiteral("Pane"));   // deleted when it closes
    pane->open();
    return pane;
}
} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT
    std::unique_ptr<fw::MenuBar> m_bar;
    std::unique_ptr<ProbeApp> m_app;

    QAction* action(const char* name) const { return m_bar->findItem(QLatin1String(name))->action(); }

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

    // Menus are brought up to date (the enabling event) before they show.
    void itemsAreFoundByNameWithTheirShortcutsAndBroughtUpToDate()
    {
        QCOMPARE(action("mExit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        m_bar->findItem(QStringLiteral("mExit"))->setCommandKey(QStringLiteral("w"));
        QCOMPARE(action("mExit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+W")));
        QVERIFY(action("sep")->isSeparator() && !m_bar->findItem(QStringLiteral("nothing")));
        QVERIFY(action("hidden")->isVisible());
        emit m_bar->child(QStringLiteral("FileMenu"))->menu()->aboutToShow();
        QVERIFY(!action("hidden")->isVisible());
    }

    // Each window has a bar of its own over the same menus; the content area
    // is below it and keeps the laid-out size.
    void everyWindowShowsTheSameBar()
    {
        std::vector<QMenuBar*> bars;
        for (fw::Window* pane : {openPane(), openPane()}) {
            bars.push_back(pane->frame()->findChild<QMenuBar*>());
            QVERIFY(pane->content()->geometry().top() == bars.back()->height() && pane->height() == 100);
        }
        QVERIFY(bars[0] && bars[1] && bars[0] != bars[1]);
        QCOMPARE(bars[0]->actions().first()->menu(), bars[1]->actions().first()->menu());
    }

    // Choosing does not flip the check mark: only the handler sets it.
    void choosingAnItemRunsItsHandlerOnly()
    {
        int runs = 0;
        m_app->AddMenuHandler(QStringLiteral("mToggle"), [&] { ++runs; return false; });
        m_bar->findItem(QStringLiteral("mToggle"))->setChecked(true);
        action("mToggle")->trigger();
        action("hidden")->trigger();   // no handler: nothing runs
        QVERIFY(runs == 1 && m_bar->findItem(QStringLiteral("mToggle"))->checked() && action("mToggle")->isChecked());
    }

    // The Edit items act on the focused field, one line or several; Clear
    // removes the selection and nothing else. The clipboard holds "X" before.
    void editItemsActOnTheFocusedField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("after");   // the field's text | the clipboard's
        for (const char* field : {"field", "notes"}) {
            QTest::addRow("%s, copy", field) << field << "EditCopy" << 1 << 3 << "hello|ell";
            QTest::addRow("%s, paste", field) << field << "EditPaste" << 1 << 3 << "hXo|X";
            QTest::addRow("%s, clear", field) << field << "EditClear" << 1 << 3 << "ho|X";
            QTest::addRow("%s, clear with nothing selected", field) << field << "EditClear" << 2 << 0 << "hello|X";
        }
    }
    void editItemsActOnTheFocusedField()
    {
        QFETCH(QString, field);
        QFETCH(QString, item);
        QFETCH(int, start);
        QFETCH(int, length);
        fw::Window* pane = openPane();
        pane->frame()->activateWindow();
        auto* edit = pane->control<fw::EditField>(field);
        edit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), edit->widget());
        QGuiApplication::clipboard()->setText(QStringLiteral("X"));
        edit->setSelStart(start);
        edit->setSelLength(length);
        action(qPrintable(item))->trigger();
        QTEST(edit->text() + '|' + QGuiApplication::clipboard()->text(), "after");
    }

    void quitClosesWindowsThenRaisesCloseOnce()
    {
        fw::Window* pane = openPane();
        connect(pane, &fw::Window::closed, this, [this] { m_app->log << QStringLiteral("window closed"); });
        m_app->refuseQuit = true;
        m_app->Quit(0);
        QVERIFY(!m_app->quitRequested() && !pane->isClosed());
        m_app->refuseQuit = false;
        m_app->Quit(3);
        m_app->Quit(3);
        QVERIFY(m_app->quitRequested() && m_app->exitCode() == 3);
        QCOMPARE(m_app->log, QStringList({QStringLiteral("window closed"), QStringLiteral("app closed")}));
    }
};

QTEST_MAIN(ApplicationTest)
#include "tst_application.moc"
