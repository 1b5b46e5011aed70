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

const QString kSeed = "Update Settings Set FeetOnOne='False', FeetOnLady='True', FeetTop=77, FeetLeft=88";

} // namespace

class FeetTest : public QObject {
    Q_OBJECT
private slots:
    void opens_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<bool>("onOne");
        QTest::addColumn<bool>("lady");
        QTest::addColumn<bool>("settingsRow");
        QTest::newRow("two, lady") << kSeed << false << true << true;
        QTest::newRow("one, men") << QStringLiteral("Update Settings Set FeetOnOne='True', FeetOnLady='False'")
                                  << true << false << true;
        QTest::newRow("no settings row") << QStringLiteral("Delete from Settings") << true << true << false;
    }
    void opens()
    {
        QFETCH(QString, statement);
        QFETCH(bool, onOne);
        QFETCH(bool, lady);
        QFETCH(bool, settingsRow);
        AppHarness h;
        Feet& w = openFeet(h, statement);
        // The radio buttons, the menu item's check and the flag that the window is open.
        QCOMPARE(QList<bool>({w.rbOnOne->value(), w.rbOnTwo->value(), w.rbLadies->value(), w.rbMens->value(),
                              mFeet()->checked(), Code::FeetOn}),
                 QList<bool>({onOne, !onOne, lady, !lady, settingsRow, true}));
        if (statement == kSeed)
            QCOMPARE(QPoint(w.left(), w.top()), QPoint(88, 77));
        QCOMPARE(shown(w), QStringLiteral("23;;Ready;;65;65"));
    }

    void picturesComeFromTheDataFolder()
    {
        AppHarness h;
        QImage red(31, 31, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(h.env.appDataFolder() + "/LeftFoot.bmp", "BMP"));
        QVERIFY(QFile::remove(h.env.appDataFolder() + "/RightFoot.bmp"));
        Feet& w = openFeet(h, kSeed);
        QCOMPARE(w.Foot1->backdrop().value_or(QImage()).pixelColor(15, 15), QColor(Qt::red));
        QCOMPARE(w.Foot2->backdrop().value_or(QImage()).pixelColor(15, 15), QColor(Qt::red));
        // No built-in fallback for the missing picture, and no message.
        QVERIFY(!w.Foot3->backdrop() && !w.Foot4->backdrop() && h.fake->messageTexts().isEmpty());
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
        QTest::newRow("drops shown twice") << true << QStringList{"m2", "m2", "m3", "l2", "l2", "l3"}
            << QStringList{"13;;In place;;65;70", "13;;In place;;65;75", "23;;Together;;65;65",
                           "24;;In place;;70;65", "24;;In place;;75;65", "23;;Together;;65;65"};
        QTest::newRow("lady's part after count 2") << true << QStringList{"m2", "l3", "l6", "l7"}
            << QStringList{"13;;In place;;65;70", "23;;Together;;65;70", "13;;In Place;;65;75",
                           "23;;Together;;65;65"};
        QTest::newRow("no such count") << true << QStringList{"m2", "m0", "m9"}
            << QStringList{"13;;In place;;65;70", "13;;In place;;65;70", "13;;In place;;65;70"};
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

    void closing_data()
    {
        QTest::addColumn<bool>("onOne");
        QTest::addColumn<bool>("lady");
        QTest::addColumn<QPoint>("place");     // left, top
        QTest::addColumn<bool>("otherReads");  // another program reads the file as it closes
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("told");
        const QString asSeeded = "False,True,77,88";
        QTest::newRow("two, men") << false << false << QPoint(356, 52) << false << "False,False,52,356" << "";
        QTest::newRow("one, men") << true << false << QPoint(210, 90) << false << "True,False,90,210" << "";
        QTest::newRow("top 0") << true << false << QPoint(210, 0) << false << asSeeded << "";   // nothing written
        QTest::newRow("refused, choices changed")
            << true << true << QPoint(210, 90) << true << asSeeded
            << "Could not save the basic step choices. Error: database is locked";
        QTest::newRow("refused, place only") << false << true << QPoint(210, 90) << true << asSeeded << "";
    }
    void closing()
    {
        QFETCH(bool, onOne);
        QFETCH(bool, lady);
        QFETCH(QPoint, place);
        QFETCH(bool, otherReads);
        QFETCH(QString, saved);
        QFETCH(QString, told);
        AppHarness h;
        Feet& w = openFeet(h, kSeed);
        click(onOne ? w.rbOnOne : w.rbOnTwo);
        click(lady ? w.rbLadies : w.rbMens);
        w.setTop(place.y());
        w.setLeft(place.x());
        std::optional<OtherProgram> other;
        if (otherReads)
            other.emplace(h, OtherProgram::Hold::Reading);
        w.Close();
        other.reset();
        QCOMPARE(setting(h, "FeetOnOne,FeetOnLady,FeetTop,FeetLeft"), saved);
        QCOMPARE(h.fake->messageTexts(), told.isEmpty() ? QStringList() : QStringList{told});
        QVERIFY(!Code::FeetOn && !mFeet()->checked() && noTransactionOpen());
    }
};

QTEST_MAIN(FeetTest)
#include "tst_feet.moc"
