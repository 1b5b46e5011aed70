// The basic-step window: what it restores and saves, its pictures, and the
// feet and words it shows count by count.

#include "core/Code.h"
#include "core/MenuBar1.h"
#include "practice/Feet.h"
#include "support/app/AppHarness.h"

#include "framework/MenuBar.h"

#include <QtTest>

using namespace testing;

namespace {

// A later run of the program with the statement run on the settings row,
// then the basic-step window opened alone.
Feet& openFeet(AppHarness& h, const QString& settingsStatement)
{
    startAgain(h);
    execute(h, settingsStatement);
    return Feet::instance();
}

// The shown canvases ("23": Foot2 and Foot3), the three labels, and the
// Tops of Foot2 and Foot3.
QString shown(const Feet& w)
{
    QString feet;
    for (const fw::Canvas* c : {w.Foot1, w.Foot2, w.Foot3, w.Foot4}) {
        if (c->visible())
            feet += c->name().back();
    }
    return QStringList{feet, w.stFeetTop->text(), w.stFeetMiddle->text(), w.stFeetBottom->text(),
                       QString::number(w.Foot2->top()), QString::number(w.Foot3->top())}.join(u';');
}

void click(fw::RadioButton* button)
{
    if (!button->value())
        QTest::mouseClick(button->widget(), Qt::LeftButton);
    QVERIFY(button->value());
}

const QString kSeed = "Update Settings Set FeetOnOne='False', FeetOnLady='False', FeetTop=77, FeetLeft=88";

} // namespace

class FeetTest : public QObject {
    Q_OBJECT
private slots:
    // A later run restores the choices, the place and the menu item's check;
    // the pictures come from the data folder, with no built-in fallback for a
    // missing one and no message.
    void opens()
    {
        AppHarness h;
        QImage red(31, 31, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(h.env.appDataFolder() + "/LeftFoot.bmp", "BMP"));
        QVERIFY(QFile::remove(h.env.appDataFolder() + "/RightFoot.bmp"));
        // On one, on two, ladies, men, the menu check, the flag that the window is open.
        const auto restored = [](const Feet& w) {
            return QList<bool>{w.rbOnOne->value(), w.rbOnTwo->value(), w.rbLadies->value(), w.rbMens->value(),
                               mFeet()->checked(), Code::FeetOn};
        };
        Feet& w = openFeet(h, kSeed);
        QCOMPARE(restored(w), QList<bool>({false, true, false, true, true, true}));
        QCOMPARE(QPoint(w.left(), w.top()), QPoint(88, 77));
        QCOMPARE(shown(w), QStringLiteral("23;;Ready;;65;65"));
        QCOMPARE(w.Foot1->backdrop().value_or(QImage()).pixelColor(15, 15), QColor(Qt::red));
        QCOMPARE(w.Foot2->backdrop().value_or(QImage()).pixelColor(15, 15), QColor(Qt::red));
        QVERIFY(!w.Foot3->backdrop() && !w.Foot4->backdrop() && h.fake->messageTexts().isEmpty());
        // Without a settings row: the laid-out choices, no menu check.
        QCOMPARE(restored(openFeet(h, QStringLiteral("Delete from Settings"))),
                 QList<bool>({true, false, true, false, false, true}));
    }

    // Each step: the part chosen ("m" or "l") and the count passed to SetFeetTo.
    void counts_data()
    {
        QTest::addColumn<bool>("onOne");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        const QStringList men = {"m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8"};
        const QStringList lady = {"l1", "l2", "l3", "l4", "l5", "l6", "l7", "l8"};
        QTest::newRow("men on one") << true << men << QStringList{
            "13;One!;;;65;65", "13;;In place;;65;70", "23;;Together;;65;65", "23;;Pause;;65;65",
            "24;;;Back;65;65", "24;;In Place;;70;65", "23;;Together;;65;65", "23;;Pause;;65;65"};
        QTest::newRow("lady on one") << true << lady << QStringList{
            "24;;;One!;65;65", "24;;In place;;70;65", "23;;Together;;65;65", "23;;Pause;;65;65",
            "13;Forward;;;65;65", "13;;In Place;;65;70", "23;;Together;;65;65", "23;;Pause;;65;65"};
        QTest::newRow("men on two") << false << men << QStringList{
            "23;;Break;;65;65", "13;Two!;;;65;65", "13;;In place;;65;70", "23;;Together;;65;65",
            "23;;Pause;;65;65", "24;;;Back;65;65", "24;;In Place;;70;65", "23;;Together;;65;65"};
        QTest::newRow("lady on two") << false << lady << QStringList{
            "23;;Break;;65;65", "24;;;Two!;65;65", "24;;In place;;70;65", "23;;Together;;65;65",
            "23;;Pause;;65;65", "13;Forward;;;65;65", "13;;In Place;;65;70", "23;;Together;;65;65"};
        // A foot drops from where it stands; a step home moves only its own foot; count 9 does nothing.
        QTest::newRow("parts changed mid-phrase") << true << QStringList{"m2", "m2", "m9", "l2", "l2", "l3", "l2", "m3"}
            << QStringList{"13;;In place;;65;70", "13;;In place;;65;75", "13;;In place;;65;75", "24;;In place;;70;75",
                           "24;;In place;;75;75", "23;;Together;;65;75", "24;;In place;;70;75", "23;;Together;;70;65"};
    }
    void counts()
    {
        QFETCH(bool, onOne);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        AppHarness h;
        Feet& w = openFeet(h, kSeed);
        click(onOne ? w.rbOnOne : w.rbOnTwo);
        for (int i = 0; i < steps.size(); ++i) {
            click(steps[i].startsWith(u'm') ? w.rbMens : w.rbLadies);
            w.SetFeetTo(steps[i].mid(1).toInt());
            QCOMPARE(shown(w), expected[i]);
        }
    }

    // The choices (on one, ladies) and the top the user leaves; another program
    // reading the file as the window closes; what is saved and told.
    void closing_data()
    {
        QTest::addColumn<QString>("choices");
        QTest::addColumn<int>("top");
        QTest::addColumn<bool>("otherReads");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("told");
        const QString asSeeded = "False,False,77,88";
        QTest::newRow("one, men") << "10" << 90 << false << "True,False,90,210" << "";
        QTest::newRow("two, ladies") << "01" << 90 << false << "False,True,90,210" << "";
        QTest::newRow("top 0: nothing written") << "10" << 0 << false << asSeeded << "";
        QTest::newRow("refused, choices changed") << "10" << 90 << true << asSeeded
                                                  << "Could not save the basic step choices. Error: database is locked";
        QTest::newRow("refused, place only") << "00" << 90 << true << asSeeded << "";
    }
    void closing()
    {
        QFETCH(QString, choices);
        QFETCH(int, top);
        QFETCH(bool, otherReads);
        QFETCH(QString, told);
        AppHarness h;
        Feet& w = openFeet(h, kSeed);
        click(choices[0] == '1' ? w.rbOnOne : w.rbOnTwo);
        click(choices[1] == '1' ? w.rbLadies : w.rbMens);
        w.setTop(top);
        w.setLeft(210);
        std::optional<OtherProgram> other;
        if (otherReads)
            other.emplace(h, OtherProgram::Hold::Reading);
        w.Close();
        other.reset();
        QTEST(setting(h, "FeetOnOne,FeetOnLady,FeetTop,FeetLeft"), "saved");
        QCOMPARE(h.fake->messageTexts(), told.isEmpty() ? QStringList() : QStringList{told});
        QVERIFY(!Code::FeetOn && !mFeet()->checked() && noTransactionOpen());
    }

    // Choices the window could not read as it opened (another program held
    // the file) are not written over the stored ones; its place still is.
    void unreadChoicesAreKept()
    {
        AppHarness h;
        startAgain(h);
        execute(h, kSeed);
        Feet* w = nullptr;
        {
            OtherProgram other(h, OtherProgram::Hold::Exclusive);
            w = &Feet::instance();
        }
        w->setTop(90);
        w->Close();
        QCOMPARE(setting(h, "FeetOnOne,FeetOnLady,FeetTop"), QStringLiteral("False,False,90"));
    }
};

QTEST_MAIN(FeetTest)
#include "tst_feet.moc"
