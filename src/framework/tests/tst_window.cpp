// Windows built from layout records: creation order, control arrays, locked
// edges, the shared instance's life, tab pages and timers.

#include "framework/Controls.h"
#include "framework/Window.h"
#include "support/Windows.h"

#include <QtTest>

namespace {

const char* kLayout = R"({
  "window": { "name": "Probe", "width": 300, "height": 200, "visible": true, "menuBar": false },
  "controls": [
    { "name": "box", "kind": "GroupBox", "left": 10, "top": 10, "width": 200, "height": 100, "lock": ["left", "top", "right"] },
    { "name": "count", "index": 0, "kind": "StaticText", "parent": "box", "left": 20, "top": 30, "width": 30, "height": 20, "text": "1" },
    { "name": "count", "index": 1, "kind": "StaticText", "parent": "box", "left": 20, "top": 60, "width": 30, "height": 20, "text": "2" },
    { "name": "note", "kind": "StaticText", "parent": "box", "left": 60, "top": 30, "width": 100, "height": 20, "lock": ["left", "right"] },
    { "name": "corner", "kind": "PushButton", "left": 220, "top": 170, "width": 70, "height": 22, "lock": ["right", "bottom"] },
    { "name": "floor", "kind": "PushButton", "left": 10, "top": 170, "width": 70, "height": 22, "lock": ["bottom"], "enabled": false },
    { "name": "field", "kind": "EditField", "left": 10, "top": 120, "width": 100, "height": 22, "text": "abc" },
    { "name": "tabs", "kind": "TabPanel", "left": 220, "top": 10, "width": 70, "height": 100, "tabs": ["A", "B"] },
    { "name": "onA", "kind": "StaticText", "parent": "tabs", "page": 1, "left": 225, "top": 60, "width": 40, "height": 20 },
    { "name": "onB", "kind": "StaticText", "parent": "tabs", "page": 2, "left": 225, "top": 60, "width": 40, "height": 20 },
    { "name": "tick", "kind": "Timer", "period": 10, "mode": 0 }
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

    void buildsInCreationOrderOpensAndIsBuiltAfreshAfterClose()
    {
        const int before = Probe::s_built;
        Probe& first = Probe::instance();
        QCOMPARE(Probe::s_events.mid(0, 3) << Probe::s_events.last(),
                 QStringList({"CreateControls", "box", "count(0)", "Open"}));
        QVERIFY(first.isVisible() && &Probe::instance() == &first);
        QCOMPARE(first.control<fw::StaticText>(QStringLiteral("count"), 1)->text(), QStringLiteral("2"));
        QVERIFY(first.findControl(QStringLiteral("count")) == nullptr);   // the array has no unindexed member
        QVERIFY_THROWS_EXCEPTION(std::logic_error, first.control<fw::PushButton>(QStringLiteral("note")));
        first.control<fw::EditField>(QStringLiteral("field"))->setText(QStringLiteral("changed"));
        first.Close();
        QVERIFY(Probe::s_events.last() == QLatin1String("Close") && !Probe::isOpen());
        Probe& second = Probe::instance();
        QVERIFY(Probe::s_built == before + 2 && second.control<fw::EditField>("field")->text() == QLatin1String("abc"));
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

    // A control on a hidden page keeps its own visible flag; a disabled
    // button pushed by code does nothing.
    void tabPagesShowTheirOwnControlsAndDisabledButtonsStayStill()
    {
        Probe& w = Probe::instance();
        auto* onA = w.findControl(QStringLiteral("onA"));
        auto* onB = w.findControl(QStringLiteral("onB"));
        QVERIFY(onA->widget()->isVisible() && !onB->widget()->isVisible() && onB->visible());
        w.control<fw::TabPanel>(QStringLiteral("tabs"))->setValue(1);
        QVERIFY(!onA->widget()->isVisible() && onB->widget()->isVisible());
        QSignalSpy pressed(w.control<fw::PushButton>("floor"), &fw::PushButton::action);
        w.control<fw::PushButton>("floor")->push();
        QCOMPARE(pressed.count(), 0);
    }

    void timerFiresAndDiesWithItsWindow()
    {
        Probe& w = Probe::instance();
        auto* tick = w.control<fw::Timer>(QStringLiteral("tick"));
        QSignalSpy fired(tick, &fw::Timer::action);
        tick->setMode(fw::Timer::ModeMultiple);
        QVERIFY(fired.wait(500) && fired.wait(500));
        w.Close();
        fired.clear();
        QTest::qWait(60);
        QCOMPARE(fired.count(), 0);
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
