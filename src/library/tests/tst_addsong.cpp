// The add-song window and the edit contextual menu of its fields.

#include "library/AddSong.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"

#include <QAbstractScrollArea>
#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

using namespace testing;

namespace {
// As the song list opens it, on "Midnight at the Velmora".
AddSong& openVelmora(AppHarness& h)
{
    h.startWithoutWindows();
    return openWindowOn<AddSong>(songID(h, "Midnight at the Velmora").toInt());
}

// A click where the field takes its presses.
void click(fw::EditField* field, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    auto* area = qobject_cast<QAbstractScrollArea*>(field->widget());
    QTest::mouseClick(area ? area->viewport() : field->widget(), button, modifiers, QPoint(3, 3));
}
} // namespace

class AddSongTest : public QObject {
    Q_OBJECT
private slots:
    // Without a link the field and Go are disabled; a disabled field takes
    // no presses, so it offers no menu. A song that is gone, or a library
    // that cannot be read, is told and the window closes.
    void showsInstructionsFollowsTheLinkAndClosesOnAMissingSong()
    {
        AppHarness h;
        AddSong& w = openVelmora(h);
        QVERIFY(w.efInstructions->text().startsWith("The audio for \"Midnight at the Velmora\""));
        const QString link = "https://corvantis.example.org/melvaro/install/tamsin-ordell";
        QCOMPARE(w.efURL->text(), link);
        QTest::mouseClick(w.pbGo->widget(), Qt::LeftButton);
        w.efURL->setText("example.org/typed");
        w.pbGo->push();
        execute(h, "Update Songs Set InstallLink=''");
        AddSong& unlinked = openWindowOn<AddSong>(songID(h, "Midnight at the Velmora").toInt());
        const QString noLink = "There is no direct link for this song.";
        QVERIFY(unlinked.efURL->text() == noLink && !unlinked.efURL->enabled() && !unlinked.pbGo->enabled());
        QTest::mouseClick(unlinked.pbGo->widget(), Qt::LeftButton);
        h.fake->menuChoices = {"Clear"};
        click(unlinked.efURL, Qt::RightButton);
        QVERIFY(h.fake->menusShown.empty() && unlinked.efURL->text() == noLink);
        QCOMPARE(h.fake->urls, (QStringList{link, "example.org/typed"}));
        QVERIFY(openWindowOn<AddSong>(0).isClosed());
        makeUnreadable(h, false);
        QVERIFY(openWindowOn<AddSong>(1).isClosed());
        QCOMPARE(h.fake->messageTexts(), QStringList({"Couldn't find song info.", unreadableMessage(false)}));
    }

    void editMenuActsOnTheContextClickedField_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<int>("selected");    // characters selected from "beta" on
        QTest::addColumn<QString>("after");   // the text, its selection, the clipboard
        QTest::newRow("Cut") << "Cut" << 4 << "alpha  gamma||beta";
        QTest::newRow("Copy") << "Copy" << 4 << "alpha beta gamma|beta|beta";
        QTest::newRow("Paste") << "Paste" << 4 << "alpha clip gamma||clip";
        QTest::newRow("Clear") << "Clear" << 4 << "alpha  gamma||clip";
        QTest::newRow("Clear, nothing selected") << "Clear" << 0 << "alpha beta gamma||clip";
    }
    void editMenuActsOnTheContextClickedField()
    {
        QFETCH(QString, choice);
        QFETCH(int, selected);
        QFETCH(QString, after);
        AppHarness h;
        AddSong& w = openVelmora(h);
        const QString link = w.efURL->text();
        QGuiApplication::clipboard()->setText("clip");
        w.efInstructions->setText("alpha beta gamma");
        w.efInstructions->setSelStart(6);
        w.efInstructions->setSelLength(selected);
        click(w.efURL, Qt::LeftButton);   // a plain press is the field's own: no menu
        // The menu acts on the field clicked last, with its selection as it was
        // before a press the field would take as its own.
        h.fake->menuChoices = {"Cancel", choice};
        click(w.efURL, Qt::RightButton);
        click(w.efInstructions, Qt::LeftButton, Qt::ControlModifier);   // the context modifier
        QCOMPARE(h.fake->menusShown, std::vector<QStringList>(2, {"Cut", "Copy", "Paste", "Clear", "-", "Cancel"}));
        QCOMPARE(QStringList({w.efInstructions->text(), w.efInstructions->selText(), QGuiApplication::clipboard()->text(),
                              w.efURL->text()}).join('|'), after + '|' + link);
    }
};

QTEST_MAIN(AddSongTest)
#include "tst_addsong.moc"
