// The song locations window: its rows, colours, drops and double-clicks.

#include "core/Code.h"
#include "library/ListCells.h"
#include "library/SongLocations.h"
#include "library/Songs.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"

#include <QAbstractItemView>
#include <QDir>
#include <QtTest>

using testing::AppHarness;
using namespace ListCells;

namespace {
const QColor kRed(255, 0, 0);

fw::ListBox* openLocations(AppHarness& h) { h.startWithoutWindows(); return SongLocations::instance().SongList; }
void exec(const AppHarness& h, const QString& sql) { h.openDatabase()->SQLExecute(sql); }
QString pathOf(const AppHarness& h, const QString& id) { return h.queryValue("Select Path from Songs where ID=" + id); }
QAbstractItemView* viewOf(fw::ListBox* list) { return qobject_cast<QAbstractItemView*>(list->widget()); }
QPoint rowCentre(fw::ListBox* list, int row) { return viewOf(list)->visualRect(viewOf(list)->model()->index(row, 0)).center(); }


QColor textColour(fw::ListBox* list, int row, int column)
{
    fw::Graphics g(100, 25, Qt::black);
    list->CellTextPaint(g, row, column, 4, 15);
    return g.ForeColor;
}
} // namespace

class SongLocationsTest : public QObject {
    Q_OBJECT
private slots:
    void rowsShowEachLocation()
    {
        AppHarness h;
        exec(h, "Update Songs Set Path='' where Title='Copper Rooftops'");
        fw::ListBox* list = openLocations(h);
        QCOMPARE(list->ListCount(), 4);
        for (int r = 0; r < 4; ++r) {
            const bool found = r == 1 || r == 2;   // no path in row 0, no file in row 3
            QCOMPARE(list->Cell(r, 1), pathOf(h, list->Cell(r, IDCell)));
            QCOMPARE(list->Cell(r, FoundCell), found ? "yes" : "no");
            QCOMPARE(QList<QColor>({textColour(list, r, 0), textColour(list, r, 1)}), QList<QColor>(2, found ? Qt::black : kRed));
            fw::Graphics g(100, 25, Qt::black);
            QVERIFY(!list->CellBackgroundPaint(g, r, 1));
            QCOMPARE(g.fill(), r % 2 ? QColor(204, 255, 255) : QColor(255, 255, 255));
        }
    }

    void scrollToSong_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("row");
        QTest::newRow("a song") << "Low Tide Promenade" << 3;
        QTest::newRow("two equal titles: the upper one") << "Dancer's Lantern" << 1;
        QTest::newRow("unknown title") << "Not Here" << -1;
        QTest::newRow("case differs") << "low tide promenade" << -1;
    }
    void scrollToSong()
    {
        QFETCH(QString, title);
        QFETCH(int, row);
        AppHarness h;
        exec(h, "Insert into Songs (Title) values ('Dancer''s Lantern')");
        fw::ListBox* list = openLocations(h);
        SongLocations::instance().ScrollToSong(title);
        QCOMPARE(list->ListIndex(), row);
    }

    void droppedFileBecomesTheLocation_data()
    {
        QTest::addColumn<bool>("songsOpen");
        QTest::addColumn<bool>("fileExists");
        QTest::newRow("song list closed") << false << true;
        QTest::newRow("song list open") << true << true;
        QTest::newRow("file gone") << false << false;
    }
    void droppedFileBecomesTheLocation()
    {
        QFETCH(bool, songsOpen);
        QFETCH(bool, fileExists);
        AppHarness h;
        h.startWithoutWindows();
        Code::FirstRun = false;   // as on a later run: the song list starts no song by itself
        if (songsOpen)
            Songs::instance();
        const QString file = h.env.root() + "/Music/Velmora's: Night.wav";
        QVERIFY(!fileExists || (QDir().mkpath(h.env.root() + "/Music") && testing::writeWav(file, 0.2)));
        fw::ListBox* list = SongLocations::instance().SongList;
        const QString id = list->Cell(3, IDCell);
        testing::dropFiles(viewOf(list)->viewport(), rowCentre(list, 3), {file});
        const QString stored = fw::colonPathFromPosix(file, false);
        QVERIFY(pathOf(h, id) == stored && list->Cell(3, 1) == stored);
        QCOMPARE(list->Cell(3, FoundCell), fileExists ? "yes" : "no");
        QCOMPARE(Songs::isOpen(), songsOpen);
        // Reloaded, the song list finds the dropped file too.
        if (songsOpen)
            QCOMPARE(Songs::instance().SongList->Cell(3, FoundCell), "yes");
    }

    void refusedDrop_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("beeps");
        QTest::newRow("below the last row") << "below" << QStringList{} << 1;
        QTest::newRow("song deleted meanwhile") << "deleted" << QStringList{"Something went wrong. Can't find song record."} << 0;
        // Another program holds the write lock: nothing is shown as stored.
        QTest::newRow("database refuses the write") << "locked" << QStringList{} << 1;
    }
    void refusedDrop()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, messages);
        QFETCH(int, beeps);
        AppHarness h;
        fw::ListBox* list = openLocations(h);
        std::unique_ptr<fw::Database> other = h.openDatabase();
        const bool below = how == "below";
        if (!below)
            other->SQLExecute(how == "deleted" ? "Delete from Songs where ID=" + list->Cell(3, IDCell) : "BEGIN IMMEDIATE");
        const QString before = h.queryValue("Select group_concat(Path, '|') from Songs");
        const QPoint at = below ? QPoint(20, viewOf(list)->viewport()->height() - 5) : rowCentre(list, 3);
        testing::dropFiles(viewOf(list)->viewport(), at, {h.env.root() + "/song.wav"});
        other->SQLExecute("ROLLBACK");
        QCOMPARE(h.fake->messageTexts(), messages);
        QCOMPARE(h.fake->beeps, beeps);
        QCOMPARE(h.queryValue("Select group_concat(Path, '|') from Songs"), before);
        QVERIFY(list->Cell(3, 1) == "Midnight at the Velmora.wav" && list->Cell(3, FoundCell) == "no");
    }

    // How a location gives its folder is the song information form's test.
    void doubleClickOpensTheFolder()
    {
        AppHarness h;
        QVERIFY(QDir().mkpath(h.env.root() + "/Music"));
        const QString stored = fw::colonPathFromPosix(h.env.root() + "/Music/Song.wav", false);
        exec(h, "Update Songs Set Path=" + fw::sqlQuoted(stored) + " where Title='Low Tide Promenade'");
        fw::ListBox* list = openLocations(h);
        QTest::mouseDClick(viewOf(list)->viewport(), Qt::LeftButton, {}, rowCentre(list, 2));
        QCOMPARE(h.fake->folders, QStringList{h.env.root() + "/Music"});
        list->setListIndex(-1);
        emit list->doubleClick();
        QCOMPARE(h.fake->messageTexts(), QStringList{"Please double-click on a song."});
        QVERIFY(h.fake->folders.size() == 1 && h.fake->beeps == 0);
    }
};

QTEST_MAIN(SongLocationsTest)
#include "tst_songlocations.moc"
