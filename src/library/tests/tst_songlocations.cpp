// The song locations window: its rows, colours, drops and double-clicks.

#include "core/Code.h"
#include "library/ListCells.h"
#include "library/SongLocations.h"
#include "library/Songs.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"

#include <QtTest>

using namespace testing;
using namespace ListCells;

namespace {
fw::ListBox* openLocations(AppHarness& h) { h.startWithoutWindows(); return SongLocations::instance().SongList; }
QString pathOf(const AppHarness& h, const QString& id) { return h.queryValue("Select Path from Songs where ID=" + id); }
} // namespace

class SongLocationsTest : public QObject {
    Q_OBJECT
private slots:
    void rowsShowEachLocation()
    {
        AppHarness h;
        execute(h, "Update Songs Set Path='' where Title='Copper Rooftops'");
        fw::ListBox* list = openLocations(h);
        QCOMPARE(columnTexts(list, FoundCell), QStringList({"no", "yes", "yes", "no"}));   // no path, no file
        for (int r = 0; r < 4; ++r) {
            QCOMPARE(list->Cell(r, 1), pathOf(h, list->Cell(r, IDCell)));
            const QColor text = list->Cell(r, FoundCell) == "yes" ? Qt::black : QColor(255, 0, 0);
            QVERIFY(textColour(list, r, 0) == text && textColour(list, r, 1) == text);
            fw::Graphics g(100, 25, Qt::black);
            QVERIFY(!list->CellBackgroundPaint(g, r, 1));
            QCOMPARE(g.fill(), r % 2 ? QColor(204, 255, 255) : QColor(255, 255, 255));
        }
        // A library that cannot be read is told, not shown as one without songs.
        SongLocations::instance().Close();
        makeUnreadable(h, false);
        QCOMPARE(SongLocations::instance().SongList->ListCount(), 0);
        QCOMPARE(messagesAndBeeps(h), QStringList{unreadableMessage(false)});
    }

    // The upper of two equal titles; no row for an unknown title or one
    // whose case differs.
    void scrollToSong()
    {
        AppHarness h;
        execute(h, "Insert into Songs (Title) values ('Dancer''s Lantern')");
        fw::ListBox* list = openLocations(h);
        QList<int> rows;
        for (const char* title : {"Low Tide Promenade", "Not Here", "Dancer's Lantern", "low tide promenade"}) {
            SongLocations::instance().ScrollToSong(title);
            rows << list->ListIndex();
        }
        QCOMPARE(rows, QList<int>({3, -1, 1, -1}));
    }

    // The dropped file is stored and shown at once, found or not; a song
    // list left closed stays closed, an open one is reloaded and finds it.
    void droppedFileBecomesTheLocation()
    {
        AppHarness h;
        fw::ListBox* list = openLocations(h);
        Code::FirstRun = false;   // as on a later run: the song list starts no song by itself
        const QString file = h.env.root() + "/Music/Velmora's: Night.wav";
        const QString stored = fw::colonPathFromPosix(file, false);
        dropFiles(viewportOf(list), rowPoint(list, 3), {file});
        QVERIFY(pathOf(h, list->Cell(3, IDCell)) == stored && list->Cell(3, 1) == stored && !Songs::isOpen());
        QCOMPARE(list->Cell(3, FoundCell), "no");
        QVERIFY(QDir().mkpath(h.env.root() + "/Music") && writeWav(file, 0.2));
        Songs::instance();
        dropFiles(viewportOf(list), rowPoint(list, 3), {file});
        QCOMPARE(list->Cell(3, FoundCell) + Songs::instance().SongList->Cell(3, FoundCell), "yesyes");
    }

    void refusedDrop_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("told");
        const QString refused = "Could not store the song's location. Error: database is locked";
        QTest::newRow("below the last row") << "below" << "beep";
        QTest::newRow("song deleted meanwhile") << "deleted" << "Something went wrong. Can't find song record.";
        // Another program writes or reads the file: nothing is shown as stored.
        QTest::newRow("another program writes") << "writing" << refused;
        QTest::newRow("another program reads") << "reading" << refused;
        QTest::newRow("library locked") << "exclusive" << unreadableMessage(true);
    }
    void refusedDrop()
    {
        QFETCH(QString, how);
        QFETCH(QString, told);
        AppHarness h;
        fw::ListBox* list = openLocations(h);
        const QString before = h.queryValue("Select group_concat(Path, '|') from Songs");
        std::unique_ptr<fw::Database> other = h.openDatabase();
        if (how == "deleted")
            other->SQLExecute("Delete from Songs where ID=" + list->Cell(3, IDCell));
        else if (how == "writing")
            other->SQLExecute("BEGIN IMMEDIATE");
        std::optional<OtherProgram> holder;
        if (how == "reading" || how == "exclusive")
            holder.emplace(h, how == "reading" ? OtherProgram::Hold::Reading : OtherProgram::Hold::Exclusive);
        dropFiles(viewportOf(list), rowPoint(list, how == "below" ? -1 : 3), {h.env.root() + "/song.wav"});
        other->Rollback();
        holder.reset();
        QCOMPARE(messagesAndBeeps(h), QStringList{told});
        if (how != "deleted")
            QCOMPARE(h.queryValue("Select group_concat(Path, '|') from Songs"), before);
        QVERIFY(list->Cell(3, 1) == "Midnight at the Velmora.wav" && list->Cell(3, FoundCell) == "no");
        QVERIFY(noTransactionOpen());
    }

    // How a location gives its folder is the song information form's test.
    void doubleClickOpensTheFolder()
    {
        AppHarness h;
        QVERIFY(QDir().mkpath(h.env.root() + "/Music"));
        const QString stored = fw::colonPathFromPosix(h.env.root() + "/Music/Song.wav", false);
        execute(h, "Update Songs Set Path=" + fw::sqlQuoted(stored) + " where Title='Low Tide Promenade'");
        fw::ListBox* list = openLocations(h);
        clickRow(list, 2, true);
        QCOMPARE(h.fake->folders, QStringList{h.env.root() + "/Music"});
        list->setListIndex(-1);
        emit list->doubleClick();
        QCOMPARE(messagesAndBeeps(h), QStringList{"Please double-click on a song."});
        QCOMPARE(h.fake->folders.size(), 1);
    }
};

QTEST_MAIN(SongLocationsTest)
#include "tst_songlocations.moc"
