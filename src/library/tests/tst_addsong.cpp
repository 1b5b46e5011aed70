// The add-song window and the edit contextual menu of its fields.

#include "library/AddSong.h"
#include "support/app/AppHarness.h"

#include <QAbstractScrollArea>
#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

using testing::AppHarness;

namespace {
const QString kVelmora = "Midnight at the Velmora";

// As the song list opens it: built, shown, then given its song.
AddSong& openFor(AppHarness& h, const QString& title)
{
    h.startWithoutWindows();
    AddSong& w = fw::newWindow<AddSong>();
    w.Show();
    w.Init(h.queryValue("Select ID from Songs where Title=" + fw::sqlQuoted(title)).toInt());
    return w;
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
    void showsInstructionsAndFollowsTheLink()
    {
        AppHarness h;
        AddSong& w = openFor(h, kVelmora);
        QVERIFY(w.efInstructions->text().startsWith("The audio for \"Midnight at the Velmora\""));
        const QString link = "https://corvantis.example.org/melvaro/install/tamsin-ordell";
        QCOMPARE(w.efURL->text(), link);
        QTest::mouseClick(w.pbGo->widget(), Qt::LeftButton);
        w.efURL->setText("example.org/typed");
        w.pbGo->push();
        QCOMPARE(h.fake->urls, (QStringList{link, "example.org/typed"}));
    }

    void withoutLinkTheFieldAndGoAreDisabled()
    {
        AppHarness h;
        h.openDatabase()->SQLExecute("Update Songs Set InstallLink=''");
        AddSong& w = openFor(h, kVelmora);
        const QString noLink = "There is no direct link for this song.";
        QVERIFY(w.efURL->text() == noLink && !w.efURL->enabled() && !w.pbGo->enabled() && w.pbHelp->enabled());
        QTest::mouseClick(w.pbGo->widget(), Qt::LeftButton);
        h.fake->menuChoices = {"Clear"};
        click(w.efURL, Qt::RightButton);   // a disabled field takes no presses, so it offers no menu
        QVERIFY(h.fake->urls.isEmpty() && h.fake->menusShown.empty() && w.efURL->text() == noLink);
    }

    void missingSongClosesTheWindow()
    {
        AppHarness h;
        AddSong& w = openFor(h, "No Such Song");
        QCOMPARE(h.fake->messageTexts(), QStringList{"Couldn't find song info."});
        QVERIFY(w.isClosed());
    }

    void editMenuActsOnTheContextClickedField_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("clipboard");
        QTest::newRow("Cut") << "Cut" << "alpha  gamma" << "beta";
        QTest::newRow("Copy") << "Copy" << "alpha beta gamma" << "beta";
        QTest::newRow("Paste") << "Paste" << "alpha clip gamma" << "clip";
        QTest::newRow("Clear") << "Clear" << "alpha  gamma" << "clip";
        QTest::newRow("Cancel") << "Cancel" << "alpha beta gamma" << "clip";
    }
    void editMenuActsOnTheContextClickedField()
    {
        QFETCH(QString, choice);
        QFETCH(QString, text);
        QFETCH(QString, clipboard);
        AppHarness h;
        AddSong& w = openFor(h, kVelmora);
        const QString link = w.efURL->text();
        QGuiApplication::clipboard()->setText("clip");
        w.efInstructions->setText("alpha beta gamma");
        w.efInstructions->setSelStart(6);
        w.efInstructions->setSelLength(4);
        click(w.efURL, Qt::LeftButton);   // a plain press is the field's own
        QVERIFY(h.fake->menusShown.empty());
        // The menu acts on the field clicked last, with its selection as it was
        // before a press the field would take as its own.
        h.fake->menuChoices = {"Cancel", choice};
        click(w.efURL, Qt::RightButton);
        click(w.efInstructions, Qt::LeftButton, Qt::ControlModifier);   // the context modifier
        QCOMPARE(h.fake->menusShown.size(), size_t(2));
        QCOMPARE(h.fake->menusShown.back(), (QStringList{"Cut", "Copy", "Paste", "Clear", "-", "Cancel"}));
        QCOMPARE(w.efInstructions->text(), text);
        if (text == "alpha beta gamma")
            QCOMPARE(w.efInstructions->selText(), "beta");
        QVERIFY(QGuiApplication::clipboard()->text() == clipboard && w.efURL->text() == link);
    }
};

QTEST_MAIN(AddSongTest)
#include "tst_addsong.moc"
