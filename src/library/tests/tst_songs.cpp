// The song list: fill order, red rows, buttons and notes, Play and Stop, the
// missing-file and no-songs roads, Add Song, the first-run autoplay, the place.

#include "core/Code.h"
#include "library/AddSong.h"
#include "library/ListCells.h"
#include "library/SongInfo.h"
#include "library/SongLocations.h"
#include "library/Songs.h"
#include "player/FileMessage.h"
#include "player/TheCount.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"

#include "framework/Database.h"
#include "framework/FolderItem.h"

#include <QtTest>

#include <set>

using namespace testing;
using namespace ListCells;

namespace {
fw::ListBox* songList() { return Songs::instance().SongList; }
void clickSong(const QString& title, bool twice = false) { clickRow(songList(), columnTexts(songList(), 0).indexOf(title), twice); }
bool removeFile(const AppHarness& h, const QString& title) { return QFile::remove(h.env.appDataFolder() + "/" + title + ".wav"); }
bool playing() { return TheCount::isOpen() && TheCount::instance().qtPlayer->isPlaying(); }
// The Play button's caption and the song the count window has.
QString playState() { return Songs::instance().pbPlay->caption() + ' ' + QString::number(TheCount::instance().TheSongID); }
} // namespace

class SongsTest : public QObject {
    Q_OBJECT
private slots:
    void fillsFoundSongsFirstPaintsMissingOnesRedAndKeepsItsPlace()
    {
        AppHarness h;
        startAgain(h);
        // Lower case: the database reads it last, the list's own text order puts it first.
        execute(h, "Insert into Songs (Title, Path) values ('aardvark Stomp', '')");
        QVERIFY(removeFile(h, "Dancer's Lantern"));
        fw::ListBox* list = songList();
        QCOMPARE(columnTexts(list, 0), QStringList({"Copper Rooftops", "Low Tide Promenade", "Dancer's Lantern",
                                                    "Midnight at the Velmora", "aardvark Stomp"}));
        QCOMPARE(columnTexts(list, FoundCell), QStringList({"yes", "yes", "no", "no", "no"}));
        QVERIFY(textColour(list, 4, 2) == QColor(255, 0, 0) && textColour(list, 1, 2) == QColor(Qt::black));
        Songs::instance().ReloadList();
        QCOMPARE(columnTexts(list, 0), QStringList({"aardvark Stomp", "Copper Rooftops", "Dancer's Lantern",
                                                    "Low Tide Promenade", "Midnight at the Velmora"}));
        QCOMPARE(list->ListIndex(), 0);
        // The place is restored and saved as every window's is.
        Songs::instance().setTop(300);
        Songs::instance().setWidth(220);
        Songs::instance().Close();
        QVERIFY(!Code::SongsOpen && setting(h, "SongsTop, SongsWidth") == "300,220");
        QVERIFY(Songs::instance().top() == 300 && Songs::instance().width() == 220);
    }

    // A library large enough for its files to be looked up many at a time
    // fills as a small one: each row is red or not by its own song's file.
    void aLargeLibraryFillsAsASmallOne()
    {
        AppHarness h;
        startAgain(h);
        QStringList found;
        QStringList missing;
        QStringList rows;
        for (int k = 0; k < 300; ++k) {
            const QString title = QString("Song %1").arg(k, 3, 10, QChar('0'));
            const QString file = h.env.root() + "/" + title + ".wav";
            if (k % 3 == 0) {
                QFile audio(file);
                QVERIFY(audio.open(QIODevice::WriteOnly));
                found << title;
            } else {
                missing << title;
            }
            rows << "(" + fw::sqlQuoted(title) + ", " + fw::sqlQuoted(fw::colonPathFromPosix(file, false)) + ")";
        }
        execute(h, "Delete from Songs");
        execute(h, "Insert into Songs (Title, Path) values " + rows.join(", "));
        fw::ListBox* list = songList();
        QCOMPARE(columnTexts(list, 0), found + missing);
        QCOMPARE(columnTexts(list, FoundCell), QStringList(found.size(), "yes") + QStringList(missing.size(), "no"));
    }

    // A file dropped on Song Locations or Song Information while the song
    // list fills reloads the list: the reload replaces that fill, and the
    // list ends with each song once, the dropped song found. A second drop
    // while the first one's reload fills replaces that one in turn.
    void aReloadDuringTheFillReplacesIt_data()
    {
        QTest::addColumn<bool>("listOpen");       // the fill dropped into: a reload's, or the opening one
        QTest::addColumn<QStringList>("drops");   // where each drop lands, the next while the last one's reload fills
        QTest::newRow("a drop on Song Locations while the list opens") << false << QStringList{"locations"};
        QTest::newRow("a drop on Song Information while the list opens") << false << QStringList{"information"};
        QTest::newRow("two drops while the list opens") << false << QStringList{"locations", "information"};
        QTest::newRow("a drop while a reload fills the list") << true << QStringList{"information", "locations"};
    }
    void aReloadDuringTheFillReplacesIt()
    {
        QFETCH(bool, listOpen);
        QFETCH(QStringList, drops);
        AppHarness h;
        startAgain(h);
        constexpr int kSongs = 3000;
        QStringList rows;
        for (int k = 0; k < kSongs; ++k)
            rows << QString("('Song %1', '')").arg(k, 4, 10, QChar('0'));
        execute(h, "Delete from Songs");
        execute(h, "Insert into Songs (Title, Path) values " + rows.join(", "));
        const QString file = h.env.root() + "/Dropped.wav";
        QVERIFY(writeWav(file, 0.2));
        // Song 0007 takes a drop on its row in Song Locations, Song 0005 on
        // the path of its Song Information form.
        fw::ListBox* located = SongLocations::instance().SongList;
        const int locatedRow = columnTexts(located, 0).indexOf("Song 0007");
        SongInfo& form = openWindowOn<SongInfo>(songID(h, "Song 0005").toInt());
        auto drop = [&](const QString& where) {
            if (where == "locations")
                dropFiles(viewportOf(located), rowPoint(located, locatedRow), {file});
            else
                dropFiles(form.stPath->widget(), QPoint(5, 5), {file});
        };
        if (listOpen) {
            Songs::instance();
            QCOMPARE(songList()->ListCount(), kSongs);
        }
        // Each drop comes while a fill is under way: the first while the list
        // fills, each later one inside the last one's reload.
        int dropped = 0;
        int underWay = 0;   // drops whose reload has not ended
        auto dropNext = [&] {
            const QString where = drops.at(dropped++);
            ++underWay;
            drop(where);
            --underWay;
        };
        // A timer does not fire while its own handler runs: each drop has one.
        std::vector<std::unique_ptr<QTimer>> user;
        for (qsizetype k = 0; k < drops.size(); ++k) {
            user.push_back(std::make_unique<QTimer>());
            user.back()->setInterval(0);
            connect(user.back().get(), &QTimer::timeout, [&, k] {
                const int filled = Songs::isOpen() ? songList()->ListCount() : 0;
                if (dropped == k && underWay == dropped && filled > 0 && filled < kSongs)
                    dropNext();
            });
            user.back()->start();
        }
        // A fill yields to the user at most every 15 ms: the one dropped
        // into yields at its first row.
        QTest::qWait(20);
        if (listOpen)
            dropNext();   // its reload is the fill the next drop lands in
        else
            Songs::instance();
        user.clear();
        QCOMPARE(dropped, drops.size());
        fw::ListBox* list = songList();
        QCOMPARE(list->ListCount(), kSongs);
        const QStringList ids = columnTexts(list, IDCell);
        QCOMPARE(int(std::set<QString>(ids.begin(), ids.end()).size()), kSongs);
        QStringList found;
        for (int r = 0; r < list->ListCount(); ++r) {
            if (list->Cell(r, FoundCell) == "yes")
                found << list->Cell(r, 0);
        }
        found.sort();
        QStringList expected;
        if (drops.contains("information"))
            expected << "Song 0005";
        if (drops.contains("locations"))
            expected << "Song 0007";
        QCOMPARE(found, expected);
        QCOMPARE(list->ListIndex(), 0);
    }

    void buttonsAndNotesFollowTheSelection()
    {
        AppHarness h;
        startAgain(h);
        execute(h, "Update Songs set Link='' where Title='Low Tide Promenade'");
        Songs& w = Songs::instance();
        clickSong("Midnight at the Velmora");
        QVERIFY(!w.pbPlay->enabled() && w.pbAdd->enabled() && w.pbArtistInfo->enabled());
        StatementLog log;
        clickSong("Low Tide Promenade");
        QVERIFY(log.statements.contains("Select Notes from Songs where ID=" + songID(h, "Low Tide Promenade")));
        QVERIFY(w.pbPlay->enabled() && !w.pbAdd->enabled() && !w.pbArtistInfo->enabled());
        QCOMPARE(w.efNotes->text(), h.queryValue("Select Notes from Songs where Title='Low Tide Promenade'"));
        clickRow(w.SongList, -1);
        QCOMPARE(w.efNotes->text(), QString());
        QVERIFY(w.SongList->ListIndex() == -1 && w.pbPlay->enabled() && !w.pbArtistInfo->enabled());
        clickRow(w.SongList, 0);
        w.pbArtistInfo->push();
        QCOMPARE(h.fake->urls, QStringList{w.SongList->Cell(0, LinkCell)});
    }

    // The first run plays the first found song by itself; a later run does
    // not, and Play opens the player on the selected song.
    void playsStopsAndTakesTheMissingFileRoad()
    {
        AppHarness h;
        h.start();
        QCOMPARE(playState(), "Stop " + songID(h, "Copper Rooftops"));
        QTRY_VERIFY_WITH_TIMEOUT(playing(), 3000);
        h.quit();
        h.restart();
        h.start();
        Songs& w = Songs::instance();
        QVERIFY(w.pbPlay->caption() == "Play" && !playing());
        TheCount::instance().Close();
        w.pbPlay->push();
        QVERIFY(TheCount::instance().isVisible());
        QCOMPARE(playState(), "Stop " + songID(h, "Copper Rooftops"));
        QTRY_VERIFY_WITH_TIMEOUT(playing(), 3000);
        w.pbPlay->push();
        QVERIFY(w.pbPlay->caption() == "Play" && !playing());
        // The file removed after the fill: the row is not red, Play is enabled.
        QVERIFY(removeFile(h, "Low Tide Promenade"));
        clickSong("Low Tide Promenade");
        w.pbPlay->push();
        QVERIFY(w.pbPlay->caption() == "Play" && !playing());
        QVERIFY(SongError::isOpen() && SongError::instance().isVisible());
        fw::ListBox* located = SongLocations::instance().SongList;
        QCOMPARE(located->Cell(located->ListIndex(), 0), QStringLiteral("Low Tide Promenade"));
        // A red row's double-click takes the same road though Play is disabled.
        clickSong("Midnight at the Velmora", true);
        QCOMPARE(located->Cell(located->ListIndex(), 0), QStringLiteral("Midnight at the Velmora"));
        QVERIFY(h.fake->messageTexts().isEmpty());
    }

    void addSongAndASongGoneSinceTheFill()
    {
        AppHarness h;
        startAgain(h);
        Songs& w = Songs::instance();
        w.pbAdd_Action();   // the first row's song has no instructions
        QCOMPARE(h.fake->messageTexts(), QStringList{"Sorry, there are no instructions to add this song."});
        clickSong("Midnight at the Velmora");
        w.pbAdd->push();
        w.pbAdd->push();
        const std::vector<fw::Window*> open = fw::Window::openWindows();
        QCOMPARE(std::count_if(open.begin(), open.end(), [](fw::Window* x) { return dynamic_cast<AddSong*>(x); }), 2);
        clickRow(w.SongList, 0);
        execute(h, "Delete from Songs where ID=" + w.SongList->Cell(0, IDCell));
        w.pbPlay->push();
        QVERIFY(w.pbPlay->caption() == "Play" && !TheCount::isOpen());
        w.pbAdd_Action();
        QCOMPARE(messagesAndBeeps(h), QStringList({"Sorry, there are no instructions to add this song.", "beep"}));
        // A library that can no longer be read says so, each time.
        makeUnreadable(h, false);
        h.fake->clear();
        w.pbPlay->push();
        w.pbAdd_Action();
        clickRow(w.SongList, 1);
        w.ReloadList();   // not shown as a library without songs
        QCOMPARE(messagesAndBeeps(h), QStringList(4, unreadableMessage(false)));
        QVERIFY(w.pbPlay->caption() == "Play" && !TheCount::isOpen() && w.efNotes->text().isEmpty());
        QVERIFY(w.SongList->ListCount() == 0 && !SongLocations::isOpen() && !NoSongs::isOpen());
    }

    // An empty library takes the no-songs road.
    void emptyLibraryTakesTheNoSongsRoad()
    {
        AppHarness h;
        startAgain(h);
        execute(h, "Delete from Songs");
        Songs& w = Songs::instance();
        QVERIFY(SongLocations::isOpen() && NoSongs::isOpen() && NoSongs::instance().isVisible());
        QVERIFY(w.SongList->ListCount() == 0 && !w.pbPlay->enabled() && !w.pbAdd->enabled());
    }
};

QTEST_MAIN(SongsTest)
#include "tst_songs.moc"
