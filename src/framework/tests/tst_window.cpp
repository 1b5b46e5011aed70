// Windows built from layout records: creation order, control arrays, locked
// edges, the shared instance's life, the simple controls' events.

#include "framework/Controls.h"
#include "framework/Window.h"
#include "support/FakePlatform.h"
#include "support/Windows.h"

#include <QtTest>

namespace {

const char* kLayout = R"({
  "window": { "name": "Probe", "width": 300, "height": 200, "visible": true, "menuBar": false },
  "controls": [
    { "name": "box", "kind": "GroupBox", "left": 10, "top": 10, "width": 200, "height": 100, "lock": ["left", "top", "right"] },
    { "name": "count", "index": 0, "kind": "StaticText", "parent": "box", "left": 20, "top": 30, "width": 30, "height": 20, "text": "1" },
    { "name": "count", "index": 1, "kind": "StaticText", "parent": "box", "left": 20, "top": 60, "width": 30, "height": 20, "text": "2" },
    { "name": "note", "kind": "StaticText", "parent": "box", "left": 60, "top": 30, "width": 100, "height": 20,
      "lock": ["left", "right"], "helpTag": "a tip" },
    { "name": "corner", "kind": "PushButton", "left": 220, "top": 170, "width": 70, "height": 22, "lock": ["right", "bottom"] },
    { "name": "floor", "kind": "PushButton", "left": 10, "top": 170, "width": 70, "height": 22, "lock": ["bottom"], "enabled": false },
    { "name": "field", "kind": "EditField", "left": 10, "top": 120, "width": 100, "height": 22, "text": "abc" },
    { "name": "one", "kind": "RadioButton", "left": 120, "top": 120, "width": 60, "height": 20, "value": true },
    { "name": "two", "kind": "RadioButton", "left": 180, "top": 120, "width": 60, "height": 20 },
    { "name": "tabs", "kind": "TabPanel", "left": 220, "top": 10, "width": 70, "height": 100, "tabs": ["A", "B"] },
    { "name": "onA", "kind": "StaticText", "parent": "tabs", "page": 1, "left": 225, "top": 60, "width": 40, "height": 20 },
    { "name": "onB", "kind": "StaticText", "parent": "tabs", "page": 2, "left": 225, "top": 60, "width": 40, "height": 20 },
    { "name": "tick", "kind": "Timer", "period": 10, "mode": 0 },
    { "name": "menu", "kind": "ContextualMenu" }
  ]
})";

class Probe : public fw::SharedWindow<Probe> {
public:
    Probe() : SharedWindow(QStringLiteral("Probe")) { ++s_built; }
    static inline int s_built = 0;
    static inline QStringList s_events;

protected:
    void CreateControls() override
    {
        s_events << QStringLiteral("CreateControls");
        for (fw::Control* c : controls())
            connect(c, &fw::Control::opened, this, [c] { s_events << c->record().key(); });
    }
    void Event_Open() override { s_events << QStringLiteral("Open"); }
    void Event_Close() override { s_events << QStringLiteral("Close"); }
};

} // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { fw::registerLayout(fw::parseLayout(kLayout, QStringLiteral("test"))); }
    void cleanup()
    {
        testing::closeAllWindows();
        Probe::s_events.clear();
    }

    void buildsInCreationOrderThenOpens()
    {
        Probe& w = Probe::instance();
        QCOMPARE(Probe::s_events.mid(0, 3) << Probe::s_events.last(),
                 QStringList({"CreateControls", "box", "count(0)", "Open"}));
        QVERIFY(w.isVisible());
        QCOMPARE(w.control<fw::StaticText>(QStringLiteral("count"), 1)->text(), QStringLiteral("2"));
        QVERIFY(w.findControl(QStringLiteral("count")) == nullptr);   // the array has no unindexed member
        QVERIFY_THROWS_EXCEPTION(std::logic_error, w.control<fw::PushButton>(QStringLiteral("note")));
        QCOMPARE(w.control<fw::StaticText>(QStringLiteral("note"))->widget()->toolTip(), QStringLiteral("a tip"));
    }

    void sharedInstanceIsBuiltAfreshAfterClose()
    {
        const int before = Probe::s_built;
        Probe& first = Probe::instance();
        QCOMPARE(&Probe::instance(), &first);
        first.control<fw::EditField>(QStringLiteral("field"))->setText(QStringLiteral("changed"));
        first.Close();
        QVERIFY(Probe::s_events.contains(QStringLiteral("Close")) && !Probe::isOpen());
        Probe& second = Probe::instance();
        QCOMPARE(Probe::s_built, before + 2);
        QCOMPARE(second.control<fw::EditField>(QStringLiteral("field"))->text(), QStringLiteral("abc"));
    }

    void controlsFollowTheirLockedEdges()
    {
        Probe& w = Probe::instance();
        const auto rect = [&w](const char* name, int index = -1) { return w.findControl(name, index)->rect(); };
        w.setWidth(400);
        w.setHeight(260);
        // The box and its note stretch across, the count (no edges) stays, the
        // corner button moves with both edges, the floor button down only.
        QCOMPARE(QList<QRect>({rect("box"), rect("note"), rect("count", 0), rect("corner"), rect("floor")}),
                 QList<QRect>({{10, 10, 300, 100}, {60, 30, 200, 20}, {20, 30, 30, 20}, {320, 230, 70, 22},
                               {10, 230, 70, 22}}));
        // Widgets sit where the records say, inside their containers.
        QCOMPARE(w.findControl(QStringLiteral("note"))->widget()->geometry(), QRect(50, 20, 200, 20));
        // A control moved by code keeps the move through later resizes.
        w.findControl(QStringLiteral("corner"))->setTop(100);
        w.setHeight(270);
        QCOMPARE(rect("corner").top(), 110);
    }

    void tabPagesShowTheirOwnControlsDisabledButtonAndRadioGroup()
    {
        Probe& w = Probe::instance();
        auto* onA = w.findControl(QStringLiteral("onA"));
        auto* onB = w.findControl(QStringLiteral("onB"));
        QVERIFY(onA->widget()->isVisible() && !onB->widget()->isVisible());
        QVERIFY(onB->visible());   // its own flag stays: only its page is hidden
        w.control<fw::TabPanel>(QStringLiteral("tabs"))->setValue(1);
        QVERIFY(!onA->widget()->isVisible() && onB->widget()->isVisible());
        QSignalSpy pressed(w.control<fw::PushButton>("floor"), &fw::PushButton::action);
        w.control<fw::PushButton>("floor")->push();
        QCOMPARE(pressed.count(), 0);
        auto* two = w.control<fw::RadioButton>("two");
        QSignalSpy chosen(two, &fw::RadioButton::action);
        two->setValue(true);
        QCOMPARE(chosen.count(), 1);
        QVERIFY(!w.control<fw::RadioButton>("one")->value());
    }

    void mouseDownClaimsTheReleaseFileDropReportsTheFirstFile()
    {
        auto* label = Probe::instance().control<fw::StaticText>(QStringLiteral("note"));
        QStringList seen;
        label->mouseDown = [&](int x, int y) { seen << QStringLiteral("down %1,%2").arg(x).arg(y); return true; };
        label->mouseUp = [&](int x, int y) { seen << QStringLiteral("up %1,%2").arg(x).arg(y); };
        QTest::mouseClick(label->widget(), Qt::LeftButton, {}, QPoint(5, 6));
        QCOMPARE(seen, QStringList({"down 5,6", "up 5,6"}));
        QVERIFY(!fw::IsContextualClick());
        QTest::mouseClick(label->widget(), Qt::RightButton, {}, QPoint(5, 6));
        QVERIFY(fw::IsContextualClick());
        // A file drop reports the first file.
        QSignalSpy dropped(label, &fw::Control::dropObject);
        const QStringList files = {QDir::temp().filePath("My Song.wav"), QDir::tempPath()};
        QVERIFY(!testing::dropFiles(label->widget(), QPoint(3, 4), files));   // not accepting drops yet
        label->acceptFileDrop(QStringLiteral("special/any"));
        QVERIFY(testing::dropFiles(label->widget(), QPoint(3, 4), files));
        QCOMPARE(dropped.count(), 1);
        const auto item = dropped.first().first().value<fw::DragItem>();
        QCOMPARE(item.folderItem.posixPath(), files.first());
        QCOMPARE(item.position, QPoint(3, 4));
    }

    void timerFiresAndDiesWithItsWindow()
    {
        Probe& w = Probe::instance();
        auto* tick = w.control<fw::Timer>(QStringLiteral("tick"));
        QSignalSpy fired(tick, &fw::Timer::action);
        tick->setMode(fw::Timer::ModeSingle);
        QVERIFY(fired.wait(500));
        QTest::qWait(60);
        QVERIFY(fired.count() == 1 && tick->mode() == fw::Timer::ModeOff);
        tick->setMode(fw::Timer::ModeMultiple);
        QVERIFY(fired.wait(500));
        w.Close();
        fired.clear();
        QTest::qWait(60);
        QCOMPARE(fired.count(), 0);
    }

    void contextualMenuAnswersThroughThePlatform()
    {
        testing::ScopedFakePlatform fake;
        auto* menu = Probe::instance().control<fw::ContextualMenu>(QStringLiteral("menu"));
        menu->AddRow(QStringLiteral("Cut"));
        menu->AddRow(QStringLiteral("Copy"));
        QSignalSpy chosen(menu, &fw::ContextualMenu::action);
        fake->menuChoices.push_back(QStringLiteral("Copy"));
        menu->Open();
        menu->Open();   // dismissed
        QCOMPARE(QList<QVariantList>(chosen), QList<QVariantList>({{QStringLiteral("Copy")}}));
        QCOMPARE(fake->menusShown, (std::vector<QStringList>(2, {"Cut", "Copy"})));
    }

    void malformedLayoutsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("json");
        const QByteArray x = R"({"window":{"name":"X"},"controls":[{"name":"a","kind":"StaticText")";
        QTest::newRow("not json") << QByteArray("{");
        QTest::newRow("no window name") << QByteArray(R"({"window":{},"controls":[]})");
        QTest::newRow("twice the same control") << x + R"(},{"name":"a","kind":"StaticText"}]})";
        QTest::newRow("child before its box") << x + R"(,"parent":"b"}]})";
        QTest::newRow("bad edge") << x + R"(,"lock":["middle"]}]})";
    }
    void malformedLayoutsAreRefused()
    {
        QFETCH(QByteArray, json);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, fw::parseLayout(json, QStringLiteral("test")));
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
