// The test song picker: which songs it lists, the empty picker, starting a
// test, and songs that changed after the list was filled.

#include "library/ListCells.h"
#include "library/SongLocations.h"
#include "player/FileMessage.h"
#include "practice/Test.h"
#include "practice/TestSongs.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"

#include <QtTest>

using namespace testing;

namespace {
const QString kDemo = QStringLiteral("Dancer's Lantern");

TestSongs& openPicker(AppHarness& h)
{
    h.app->chooseMenuItem(QStringLiteral("mTest"));
    return TestSongs::instance();
}
} // namespace

class TestSongsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<AppHarness> h;

    // A song "Aria" with a test section from 1 s; its file a short WAV
    // ("file"), none ("empty") or one that is not there ("gone").
    int aria(const QString& testStart = QStringLiteral("1"), const QString& file = QStringLiteral("file"))
    {
        const QString wav = h->env.root() + QStringLiteral("/aria.wav");
        if (file == QLatin1String("file"))
            writeWav(wav, 4.0);
        const int id = h->addSong(QStringLiteral("Aria"), file == QLatin1String("empty") ? QString() : wav,
                                  {0.5, 1.5, 2.5}, {1, 1, 1});
        execute(*h, QStringLiteral("Update Songs set TestStart=%1, TestEnd=3 where ID=%2").arg(testStart).arg(id));
        return id;
    }

private slots:
    void init()
    {
        h = std::make_unique<AppHarness>();
        startAgain(*h);
    }
    void cleanup() { h.reset(); }

    void listsSongsWithATestSectionAndAFile_data()
    {
        QTest::addColumn<QString>("testStart");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("listed");
        QTest::newRow("1 s") << "1" << "file" << true;
        QTest::newRow("0") << "0" << "file" << false;
        QTest::newRow("negative") << "-2" << "file" << false;
        QTest::newRow("empty") << "''" << "file" << false;
        QTest::newRow("a word") << "'soon'" << "file" << false;
        QTest::newRow("no path") << "1" << "empty" << false;
        QTest::newRow("file gone") << "1" << "gone" << false;
    }
    void listsSongsWithATestSectionAndAFile()
    {
        QFETCH(QString, testStart);
        QFETCH(QString, file);
        QFETCH(bool, listed);
        const int id = aria(testStart, file);
        TestSongs& w = openPicker(*h);
        QCOMPARE(columnTexts(w.List, 0), listed ? QStringList({"Aria", kDemo}) : QStringList{kDemo});
        QCOMPARE(w.List->Cell(0, ListCells::IDCell), listed ? QString::number(id) : songID(*h, kDemo));
        QCOMPARE(w.List->ListIndex(), 0);
    }

    void anEmptyPickerAsksForASong()
    {
        execute(*h, "Update Songs set TestStart=0");
        TestSongs& w = openPicker(*h);
        QVERIFY(w.List->ListCount() == 0 && w.List->ListIndex() == -1);
        w.pbStartTest->push();
        clickRow(w.List, -1, true);
        QCOMPARE(h->fake->messageTexts(), QStringList(2, "Please click on a song first."));
        QVERIFY(!Test::isOpen());
    }

    // Start Test on the first song, Aria, as the picker listed it or changed since.
    void startTest_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("message");
        QTest::newRow("unchanged") << "" << "";
        QTest::newRow("file removed") << "remove" << "";
        QTest::newRow("song deleted") << "Delete from Songs where Title='Aria'" << "Couldn't find song record.";
        QTest::newRow("songs unreadable") << "Alter table Songs rename to Tunes"
                                          << "Couldn't find song record. Error: no such table: Songs";
    }
    void startTest()
    {
        QFETCH(QString, change);
        aria();
        TestSongs& w = openPicker(*h);
        if (change == "remove")
            QVERIFY(QFile::remove(h->env.root() + "/aria.wav"));
        else if (!change.isEmpty())
            execute(*h, change);
        w.pbStartTest->push();
        QTEST(h->fake->messageTexts().join(""), "message");
        QCOMPARE(QList<bool>({Test::isOpen(), SongError::isOpen(), TestSongs::isOpen()}),
                 QList<bool>({change.isEmpty(), change == "remove", true}));
        if (change == "remove") {   // the song locations list, the song selected
            const fw::ListBox* located = SongLocations::instance().SongList;
            QCOMPARE(located->Cell(located->ListIndex(), 0), QStringLiteral("Aria"));
        } else if (change.isEmpty()) {
            Test& test = Test::instance();
            QCOMPARE(columnTexts(test.List, 0), QStringList({"1.50", "2.50"}));
            // A double-click on another song hands it to the same test window.
            clickRow(w.List, 1, true);
            QCOMPARE(&Test::instance(), &test);
            QCOMPARE(columnTexts(test.List, 0), QStringList({"1.00", "5.00"}));
            QVERIFY(w.List->ListIndex() == 1 && h->fake->messageTexts().isEmpty());
        }
    }
};

QTEST_MAIN(TestSongsTest)
#include "tst_testsongs.moc"
