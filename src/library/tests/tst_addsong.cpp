// The add-song window and the edit contextual menu of its fields.

#include "library/AddSong.h"
#include "support/app/AppHarness.h"

#include <QAbstractScrollArea>
#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

using testing::AppHarness;

namespace {

const QString kNoLink = QStringLiteral("There is no direct link for this song.");

int songID(AppHarness& h, const QString& title)
{
    return h.queryValue(QStringLiteral("Select ID from Songs where Title=%1").arg(fw::sqlQuoted(title))).toInt();
}

// As the song list opens it: built, shown, then given its song.
AddSong& openFor(int id)
{
    AddSong& w = fw::newWindow<AddSong>();
    w.Show();
    w.Init(id);
    return w;
}

// Where a field takes its mouse presses.
QWidget* pressTarget(fw::EditField* field)
{
    auto* area = qobject_cast<QAbstractScrollArea*>(field->widget());
    return area ? area->viewport() : field->widget();
}

// The secondary button, or the primary one with the context modifier.
void contextClick(fw::EditField* field, bool withModifier = false)
{
    const Qt::MouseButton button = withModifier ? Qt::LeftButton : Qt::RightButton;
    const Qt::KeyboardModifiers modifiers = withModifier ? Qt::ControlModifier : Qt::NoModifier;
    QTest::mousePress(pressTarget(field), button, modifiers, QPoint(3, 3));
    QTest::mouseRelease(pressTarget(field), button, modifiers, QPoint(3, 3));
}

} // namespace

class AddSongTest : public QObject {
    Q_OBJECT
private slots:
    void showsInstructionsAndFollowsTheLink()
    {
        AppHarness h;
        h.startWithoutWindows();
        const int id = songID(h, QStringLiteral("Midnight at the Velmora"));
        AddSong& w = openFor(id);
        QCOMPARE(w.SongID, id);
        QVERIFY(w.efInstructions->text().startsWith(QStringLiteral("The audio for \"Midnight at the Velmora\"")));
        const QString link = QStringLiteral("https://corvantis.example.org/melvaro/install/tamsin-ordell");
        QCOMPARE(w.efURL->text(), link);
        QCOMPARE(w.efURL->textSize(), 10);
        QTest::mouseClick(w.pbGo->widget(), Qt::LeftButton);
        w.efURL->setText(QStringLiteral("example.org/typed"));
        w.pbGo->push();
        w.pbHelp->push();
        QCOMPARE(h.fake->urls, (QStringList{link, "example.org/typed",
                                            "https://corvantis.example.org/melvaro/docs/add-song"}));
        QCOMPARE(h.queryValue(QStringLiteral("Select InstallLink from Songs where ID=%1").arg(id)), link);
    }

    void withoutLinkTheFieldAndGoAreDisabled()
    {
        AppHarness h;
        h.startWithoutWindows();
        h.openDatabase()->SQLExecute(QStringLiteral("Update Songs Set InstallLink=''"));
        AddSong& w = openFor(songID(h, QStringLiteral("Midnight at the Velmora")));
        QCOMPARE(w.efURL->text(), kNoLink);
        QVERIFY(!w.efURL->enabled());
        QVERIFY(!w.pbGo->enabled());
        QVERIFY(w.pbHelp->enabled());
        QTest::mouseClick(w.pbGo->widget(), Qt::LeftButton);
        QVERIFY(h.fake->urls.isEmpty());
        // A disabled field takes no presses, so it offers no menu.
        h.fake->menuChoices = {QStringLiteral("Clear")};
        contextClick(w.efURL);
        QVERIFY(h.fake->menusShown.empty());
        QCOMPARE(w.efURL->text(), kNoLink);
    }

    void missingSongClosesTheWindow()
    {
        AppHarness h;
        h.startWithoutWindows();
        AddSong& w = openFor(9999);
        QCOMPARE(h.fake->messageTexts(), QStringList{"Couldn't find song info."});
        QVERIFY(w.isClosed());
    }

    void editMenuActsOnTheContextClickedField_data()
    {
        QTest::addColumn<QString>("choice");   // empty: the menu is dismissed
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("clipboard");
        QTest::newRow("Cut") << "Cut" << "alpha  gamma" << "beta";
        QTest::newRow("Copy") << "Copy" << "alpha beta gamma" << "beta";
        QTest::newRow("Paste") << "Paste" << "alpha clip gamma" << "clip";
        QTest::newRow("Clear") << "Clear" << "alpha  gamma" << "clip";
        QTest::newRow("Cancel") << "Cancel" << "alpha beta gamma" << "clip";
        QTest::newRow("dismissed") << "" << "alpha beta gamma" << "clip";
    }
    void editMenuActsOnTheContextClickedField()
    {
        QFETCH(QString, choice);
        QFETCH(QString, text);
        QFETCH(QString, clipboard);
        AppHarness h;
        h.startWithoutWindows();
        AddSong& w = openFor(songID(h, QStringLiteral("Midnight at the Velmora")));
        const QString link = w.efURL->text();
        QGuiApplication::clipboard()->setText(QStringLiteral("clip"));
        w.efInstructions->setText(QStringLiteral("alpha beta gamma"));
        w.efInstructions->setSelStart(6);
        w.efInstructions->setSelLength(4);
        // A plain press is the field's own.
        QTest::mouseClick(pressTarget(w.efURL), Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(h.fake->menusShown.empty());
        // The menu acts on the field clicked last, with its selection as it was.
        h.fake->menuChoices = {QStringLiteral("Cancel")};
        if (!choice.isEmpty())
            h.fake->menuChoices.push_back(choice);
        contextClick(w.efURL);
        // A press the field would take as its own moves the caret and drops the selection.
        contextClick(w.efInstructions, true);
        QCOMPARE(h.fake->menusShown.size(), size_t(2));
        QCOMPARE(h.fake->menusShown.back(), (QStringList{"Cut", "Copy", "Paste", "Clear", "-", "Cancel"}));
        QCOMPARE(w.editMenu->ActiveControl, w.efInstructions);
        QCOMPARE(w.efInstructions->text(), text);
        if (text == QLatin1String("alpha beta gamma"))
            QCOMPARE(w.efInstructions->selText(), QStringLiteral("beta"));
        QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
        QCOMPARE(w.efURL->text(), link);
    }
};

QTEST_MAIN(AddSongTest)
#include "tst_addsong.moc"
