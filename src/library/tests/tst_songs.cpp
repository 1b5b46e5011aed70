// The song list: fill order, red rows, buttons and notes, Play and Stop, the
// missing-file and no-songs roads, Add Song, the first-run autoplay, the place.

#include "core/Code.h"
#include "library/AddSong.h"
#include "library/ListCells.h"
#include "library/SongLocations.h"
#include "library/Songs.h"
#include "player/FileMessage.h"
#include "player/TheCount.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"

#include <QAbstractItemView>
#include <QFile>
#include <QtTest>

using testing::AppHarness;
using namespace ListCells;

namespace {
QStringList cells(int col)
{
    QStringList texts;
    for (int row = 0; row < Songs::instance().SongList->ListCount(); ++row)
        texts << Songs::instance().SongList->Cell(row, col);
    return texts;
}
int rowOf(const QString& title) { return cells(0).indexOf(title); }
void exec(const AppHarness& h, const QString& sql) { h.openDatabase()->SQLExecute(sql); }
QString idOf(const AppHarness& h, const QString& title) { return h.queryValue("Select ID from Songs where Title=" + fw::sqlQuoted(title)); }
bool removeFile(const AppHarness& h, const QString& title) { return QFile::remove(h.env.appDataFolder() + "/" + title + ".wav"); }
bool playing() { return TheCount::isOpen() && TheCount::instance().qtPlayer->isPlaying(); }

// A run after the first: the paths installed, no window open, no autoplay.
void startAgain(AppHarness& h)
{
    h.start();
    testing::closeAllWindows();
    Code::FirstRun = false;
}

// A click (or double-click) on a row, or below the rows for -1.
void clickRow(int row, bool twice = false)
{
    auto* view = qobject_cast<QAbstractItemView*>(Songs::instance().SongList->widget());
    const QPoint at = row < 0 ? QPoint(20, view->viewport()->height() - 5)
                              : view->visualRect(view->model()->index(row, 0)).center();
    if (twice)
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    else
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
}
} // namespace

class SongsTest : public QObject {
    Q_OBJECT
private slots:
    void fillsFoundSongsFirstAndPaintsMissingOnesRed()
    {
        AppHarness h;
        startAgain(h);
        // Lower case: the database reads it last, the list's own text order puts it first.
        exec(h, "Insert into Songs (Title, Path) values ('aardvark Stomp', '')");
        QVERIFY(removeFile(h, "Dancer's Lantern"));
        fw::ListBox* list = Songs::instance().SongList;
        QCOMPARE(cells(0), QStringList({"Copper Rooftops", "Low Tide Promenade", "Dancer's Lantern",
                                        "Midnight at the Velmora", "aardvark Stomp"}));
        QCOMPARE(cells(SortKeyCell), QStringList({"000001", "000002", "100001", "100002", "100003"}));
        QCOMPARE(cells(FoundCell), QStringList({"yes", "yes", "no", "no", "no"}));
        const auto colourOf = [list](int row) {
            fw::Graphics g(50, 20, Qt::black);
            return list->CellTextPaint(g, row, 2, 0, 0) ? QColor() : g.ForeColor;
        };
        QVERIFY(colourOf(4) == QColor(255, 0, 0) && colourOf(1) == QColor(Qt::black));
        Songs::instance().ReloadList();
        QCOMPARE(cells(0), QStringList({"aardvark Stomp", "Copper Rooftops", "Dancer's Lantern", "Low Tide Promenade",
                                        "Midnight at the Velmora"}));
        QCOMPARE(list->ListIndex(), 0);
    }

    void buttonsAndNotesFollowTheSelection()
    {
        AppHarness h;
        startAgain(h);
        exec(h, "Update Songs set Link='' where Title='Low Tide Promenade'");
        Songs& w = Songs::instance();
        clickRow(rowOf("Midnight at the Velmora"));
        QVERIFY(!w.pbPlay->enabled() && w.pbAdd->enabled() && w.pbArtistInfo->enabled());
        clickRow(rowOf("Low Tide Promenade"));
        QVERIFY(w.pbPlay->enabled() && !w.pbAdd->enabled() && !w.pbArtistInfo->enabled());
        QCOMPARE(w.efNotes->text(), h.queryValue("Select Notes from Songs where Title='Low Tide Promenade'"));
        clickRow(-1);
        QCOMPARE(w.efNotes->text(), QString());
        QVERIFY(w.SongList->ListIndex() == -1 && w.pbPlay->enabled() && !w.pbArtistInfo->enabled());
        clickRow(0);
        w.pbArtistInfo->push();
        QCOMPARE(h.fake->urls, QStringList{w.SongList->Cell(0, LinkCell)});
    }

    void playsStopsAndTakesTheMissingFileRoad()
    {
        AppHarness h;
        startAgain(h);
        Songs& w = Songs::instance();
        w.pbPlay->push();
        QVERIFY(w.pbPlay->caption() == "Stop" && TheCount::instance().isVisible());
        QCOMPARE(QString::number(TheCount::instance().TheSongID), idOf(h, "Copper Rooftops"));
        QTRY_VERIFY_WITH_TIMEOUT(playing(), 3000);
        w.pbPlay->push();
        QVERIFY(w.pbPlay->caption() == "Play" && !playing());
        // The file removed after the fill: the row is not red, Play is enabled.
        QVERIFY(removeFile(h, "Low Tide Promenade"));
        clickRow(rowOf("Low Tide Promenade"));
        w.pbPlay->push();
        QVERIFY(w.pbPlay->caption() == "Play" && !playing());
        QVERIFY(SongError::isOpen() && SongError::instance().isVisible());
        fw::ListBox* located = SongLocations::instance().SongList;
        QCOMPARE(located->Cell(located->ListIndex(), 0), QStringLiteral("Low Tide Promenade"));
        // A red row's double-click takes the same road though Play is disabled.
        clickRow(rowOf("Midnight at the Velmora"), true);
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
        clickRow(rowOf("Midnight at the Velmora"));
        w.pbAdd->push();
        w.pbAdd->push();
        const std::vector<fw::Window*> open = fw::Window::openWindows();
        QCOMPARE(std::count_if(open.begin(), open.end(), [](fw::Window* x) { return dynamic_cast<AddSong*>(x); }), 2);
        clickRow(0);
        exec(h, "Delete from Songs where ID=" + w.SongList->Cell(0, IDCell));
        w.pbPlay->push();
        QVERIFY(w.pbPlay->caption() == "Play" && !TheCount::isOpen());
        w.pbAdd_Action();
        QCOMPARE(h.fake->beeps, 1);
        QCOMPARE(h.fake->messageTexts().size(), 1);
    }

    void firstRunPlaysTheFirstFoundSong()
    {
        AppHarness h;
        h.start();
        QCOMPARE(Songs::instance().pbPlay->caption(), QStringLiteral("Stop"));
        QCOMPARE(QString::number(TheCount::instance().TheSongID), idOf(h, "Copper Rooftops"));
        QTRY_VERIFY_WITH_TIMEOUT(playing(), 3000);
        h.quit();
        h.restart();
        h.start();
        QVERIFY(Songs::instance().pbPlay->caption() == "Play" && !playing());
    }

    void emptyLibraryTakesTheNoSongsRoad()
    {
        AppHarness h;
        startAgain(h);
        exec(h, "Delete from Songs");
        Songs& w = Songs::instance();
        QVERIFY(SongLocations::isOpen() && NoSongs::isOpen() && NoSongs::instance().isVisible());
        QVERIFY(w.SongList->ListCount() == 0 && !w.pbPlay->enabled() && !w.pbAdd->enabled());
    }

    void placeIsRestoredAndSaved()
    {
        AppHarness h;
        startAgain(h);
        const QString place = "Select SongsTop || ',' || SongsWidth from Settings";
        for (const int top : {300, 0}) {   // a top of 0 writes nothing
            Songs::instance().setTop(top);
            Songs::instance().setWidth(520 - top);
            Songs::instance().Close();
            QVERIFY(!Code::SongsOpen);
            QCOMPARE(h.queryValue(place), QStringLiteral("300,220"));
        }
        QVERIFY(Songs::instance().top() == 300 && Songs::instance().width() == 220);
    }
};

QTEST_MAIN(SongsTest)
#include "tst_songs.moc"
