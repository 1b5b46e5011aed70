// The application object with its menu bar: items found by name, one bar
// shared by every window, handlers bound by name, the menu-enabling event,
// and quitting.

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/MenuBar.h"
#include "framework/Window.h"
#include "support/Windows.h"

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
    auto add = [](fw::MenuItem* menu, const char* name, const char* text, const char* keys = "") {
        auto item = std::make_unique<fw::MenuItem>(QLatin1String(name), QLatin1String(text));
        item->setKeyboardShortcut(QLatin1String(keys));
        return menu->append(std::move(item));
    };
    fw::MenuItem* file = add(bar.get(), "FileMenu", "&File");
    add(file, "mToggle", "Toggle");
    add(file, "sep", "-");
    add(file, "hidden", "Hidden");
    add(file, "mExit", "E&xit", "Cmd+Q");
    fw::MenuItem* edit = add(bar.get(), "mEdit", "&Edit");
    add(edit, "EditCopy", "&Copy", "Cmd+C");
    add(edit, "EditPaste", "&Paste", "Cmd+V");
    add(edit, "EditClear", "Clear");
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
        QVERIFY(action("sep")->isSeparator());
        QVERIFY(!m_bar->findItem(QStringLiteral("nothing")));
        QMenu* file = m_bar->child(QStringLiteral("FileMenu"))->menu();
        QCOMPARE(file->title(), QStringLiteral("&File"));
        QVERIFY(action("hidden")->isVisible());
        emit file->aboutToShow();
        QVERIFY(!action("hidden")->isVisible());
    }

    void everyWindowShowsTheSameBar()
    {
        std::vector<QMenuBar*> bars;
        for (int i = 0; i < 2; ++i) {
            fw::Window* pane = openPane();
            bars.push_back(pane->frame()->findChild<QMenuBar*>());
            // The content area is below the bar and keeps the laid-out size.
            QCOMPARE(pane->content()->geometry().top(), bars.back()->height());
            QCOMPARE(pane->height(), 100);
        }
        QVERIFY(bars[0] && bars[1] && bars[0] != bars[1]);
        QCOMPARE(bars[0]->actions().size(), 2);
        QCOMPARE(bars[0]->actions().first()->menu(), bars[1]->actions().first()->menu());
    }

    void choosingAnItemRunsItsHandlerOnly()
    {
        int runs = 0;
        m_app->AddMenuHandler(QStringLiteral("mToggle"), [&] { ++runs; return false; });
        m_bar->findItem(QStringLiteral("mToggle"))->setChecked(true);
        action("mToggle")->trigger();
        action("hidden")->trigger();   // no handler: nothing runs
        QCOMPARE(runs, 1);
        // Choosing does not flip the check mark: only the handler sets it.
        QVERIFY(m_bar->findItem(QStringLiteral("mToggle"))->checked() && action("mToggle")->isChecked());
    }

    void editItemsActOnTheFocusedField()
    {
        fw::Window* pane = openPane();
        pane->frame()->activateWindow();
        auto* field = pane->control<fw::EditField>(QStringLiteral("field"));
        field->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), field->widget());
        field->setSelStart(0);
        field->setSelLength(5);
        action("EditCopy")->trigger();
        field->setSelStart(5);
        action("EditPaste")->trigger();
        QCOMPARE(field->text(), QStringLiteral("hellohello"));
    }

    // Clear removes the selection and nothing else.
    void editClearRemovesOnlyTheSelection_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("after");
        for (const char* field : {"field", "notes"}) {
            QTest::addRow("%s, selection", field) << field << 1 << 3 << "ho";
            QTest::addRow("%s, nothing selected", field) << field << 2 << 0 << "hello";
            QTest::addRow("%s, nothing selected at the start", field) << field << 0 << 0 << "hello";
        }
    }
    void editClearRemovesOnlyTheSelection()
    {
        QFETCH(QString, field);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, after);
        fw::Window* pane = openPane();
        pane->frame()->activateWindow();
        auto* edit = pane->control<fw::EditField>(field);
        edit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), edit->widget());
        edit->setSelStart(start);
        edit->setSelLength(length);
        action("EditClear")->trigger();
        QCOMPARE(edit->text(), after);
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
