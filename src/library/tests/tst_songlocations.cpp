// The song locations window: its rows, colours, drops, double-clicks and place.

#include "core/Code.h"
#include "library/ListCells.h"
#include "library/SongLocations.h"
#include "library/Songs.h"
#include "support/app/AppHarness.h"

#include <QAbstractItemView>
#include <QDir>
#include <QMimeData>
#include <QtTest>

using testing::AppHarness;

namespace {

const QColor kRed(255, 0, 0);

void execute(AppHarness& h, const QString& sql)
{
    std::unique_ptr<fw::Database> db = h.openDatabase();
    db->SQLExecute(sql);
    QVERIFY2(!db->Error(), qPrintable(db->ErrorMessage()));
}

QString allPaths(AppHarness& h) { return h.queryValue(QStringLiteral("Select group_concat(Path, '|') from Songs")); }

QAbstractItemView* viewOf(fw::ListBox* list) { return qobject_cast<QAbstractItemView*>(list->widget()); }

QPoint rowCentre(fw::ListBox* list, int row)
{
    return viewOf(list)->visualRect(viewOf(list)->model()->index(row, 0)).center();
}

// A file dragged from the desktop and dropped at a point of the list's rows.
void dropFile(fw::ListBox* list, const QString& posixPath, QPoint at)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(posixPath)});
    QWidget* viewport = viewOf(list)->viewport();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
}

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
        h.startWithoutWindows();
        execute(h, QStringLiteral("Update Songs Set Path='' where Title='Copper Rooftops'"));
        fw::ListBox* list = SongLocations::instance().SongList;
        const QStringList titles{"Copper Rooftops", "Dancer's Lantern", "Low Tide Promenade",
                                 "Midnight at the Velmora"};
        const QStringList found{"no", "yes", "yes", "no"};
        QCOMPARE(list->ListCount(), 4);
        QCOMPARE(list->ListIndex(), 0);
        for (int r = 0; r < 4; ++r) {
            const QString id = list->Cell(r, ListCells::IDCell);
            QCOMPARE(list->Cell(r, 0), titles[r]);
            QCOMPARE(list->Cell(r, 1), h.queryValue(QStringLiteral("Select Path from Songs where ID=") + id));
            QCOMPARE(list->Cell(r, ListCells::FoundCell), found[r]);
            for (int c = 0; c < 2; ++c)
                QCOMPARE(textColour(list, r, c) == kRed, found[r] == QLatin1String("no"));
            fw::Graphics g(100, 25, Qt::black);
            QVERIFY(!list->CellBackgroundPaint(g, r, 1));
            QCOMPARE(g.fill(), r % 2 ? QColor(204, 255, 255) : QColor(255, 255, 255));
        }
    }

    void scrollToSong_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("row");
        QTest::newRow("a song") << "" << "Low Tide Promenade" << 2;
        QTest::newRow("unknown title") << "" << "Not Here" << -1;
        QTest::newRow("case differs") << "" << "low tide promenade" << -1;
        QTest::newRow("two equal titles: the upper one")
            << "Insert into Songs (Title) values ('Dancer''s Lantern')" << "Dancer's Lantern" << 1;
        QTest::newRow("empty table") << "Delete from Songs" << "Copper Rooftops" << -1;
    }
    void scrollToSong()
    {
        QFETCH(QString, setup);
        QFETCH(QString, title);
        QFETCH(int, row);
        AppHarness h;
        h.startWithoutWindows();
        if (!setup.isEmpty())
            execute(h, setup);
        SongLocations& w = SongLocations::instance();
        w.ScrollToSong(title);
        QCOMPARE(w.SongList->ListIndex(), row);
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
        QCOMPARE(Code::SongsOpen, songsOpen);
        const QString file = h.env.root() + QStringLiteral("/Music/Velmora's: Night.wav");
        if (fileExists) {
            QVERIFY(QDir().mkpath(h.env.root() + QStringLiteral("/Music")));
            QVERIFY(testing::writeWav(file, 0.2));
        }
        fw::ListBox* list = SongLocations::instance().SongList;
        const int row = 3;
        const QString id = list->Cell(row, ListCells::IDCell);
        QCOMPARE(textColour(list, row, 0), kRed);
        dropFile(list, file, rowCentre(list, row));
        const QString stored = fw::colonPathFromPosix(file, false);
        QCOMPARE(h.queryValue(QStringLiteral("Select Path from Songs where ID=") + id), stored);
        QCOMPARE(list->Cell(row, 1), stored);
        QCOMPARE(list->Cell(row, ListCells::FoundCell), fileExists ? "yes" : "no");
        QCOMPARE(textColour(list, row, 0) == kRed, !fileExists);
        QCOMPARE(list->ListIndex(), 0);
        QCOMPARE(Songs::isOpen(), songsOpen);
        if (songsOpen) {
            fw::ListBox* songs = Songs::instance().SongList;
            int playable = 0;
            for (int r = 0; r < songs->ListCount(); ++r)
                playable += songs->Cell(r, ListCells::FoundCell) == QLatin1String("yes") ? 1 : 0;
            QCOMPARE(playable, 4);
        }
    }

    void refusedDrop_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("beeps");
        QTest::newRow("below the last row") << "below" << QStringList{} << 1;
        QTest::newRow("song deleted meanwhile")
            << "deleted" << QStringList{"Something went wrong. Can't find song record."} << 0;
        // Another program holds the write lock: nothing is shown as stored.
        QTest::newRow("database refuses the write") << "locked" << QStringList{} << 1;
    }
    void refusedDrop()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, messages);
        QFETCH(int, beeps);
        AppHarness h;
        h.startWithoutWindows();
        fw::ListBox* list = SongLocations::instance().SongList;
        const QString id = list->Cell(3, ListCells::IDCell);
        QPoint at = rowCentre(list, 3);
        std::unique_ptr<fw::Database> other = h.openDatabase();
        if (how == QLatin1String("below"))
            at = QPoint(20, viewOf(list)->viewport()->height() - 5);
        else if (how == QLatin1String("deleted"))
            other->SQLExecute(QStringLiteral("Delete from Songs where ID=") + id);
        else
            other->SQLExecute(QStringLiteral("BEGIN IMMEDIATE"));
        const QString before = allPaths(h);
        dropFile(list, h.env.root() + QStringLiteral("/song.wav"), at);
        other->SQLExecute(QStringLiteral("ROLLBACK"));
        QCOMPARE(h.fake->messageTexts(), messages);
        QCOMPARE(h.fake->beeps, beeps);
        QCOMPARE(allPaths(h), before);
        QCOMPARE(list->Cell(3, 1), QStringLiteral("Midnight at the Velmora.wav"));
        QCOMPARE(list->Cell(3, ListCells::FoundCell), QStringLiteral("no"));
    }

    void doubleClickOpensTheFolder_data()
    {
        QTest::addColumn<QString>("location");   // under the test's root, as POSIX
        QTest::addColumn<QString>("folder");     // opened; empty: a beep
        QTest::newRow("a file") << "/Music/Song.wav" << "/Music";
        QTest::newRow("a folder") << "/Music/Album/" << "/Music";
        QTest::newRow("folder missing") << "/Gone/Song.wav" << "";
        QTest::newRow("bare name") << "" << "";
        QTest::newRow("no row selected") << "-" << "";
    }
    void doubleClickOpensTheFolder()
    {
        QFETCH(QString, location);
        QFETCH(QString, folder);
        AppHarness h;
        h.startWithoutWindows();
        QVERIFY(QDir().mkpath(h.env.root() + QStringLiteral("/Music/Album")));
        const QString stored = location.startsWith('/')
            ? fw::colonPathFromPosix(h.env.root() + location, location.endsWith('/'))
            : QStringLiteral("Song.wav");
        execute(h, QStringLiteral("Update Songs Set Path=%1 where Title='Low Tide Promenade'")
                       .arg(fw::sqlQuoted(stored)));
        fw::ListBox* list = SongLocations::instance().SongList;
        const bool noRow = location == QLatin1String("-");
        if (noRow) {
            list->setListIndex(-1);
            emit list->doubleClick();
        } else {
            QTest::mouseDClick(viewOf(list)->viewport(), Qt::LeftButton, {}, rowCentre(list, 2));
            QCOMPARE(list->ListIndex(), 2);
        }
        QCOMPARE(h.fake->folders, folder.isEmpty() ? QStringList{} : QStringList{h.env.root() + folder});
        QCOMPARE(h.fake->beeps, folder.isEmpty() && !noRow ? 1 : 0);
        QCOMPARE(h.fake->messageTexts(), noRow ? QStringList{"Please double-click on a song."} : QStringList{});
    }

    void placeIsRestoredAndSaved()
    {
        AppHarness h;
        h.startWithoutWindows();
        SongLocations* w = &SongLocations::instance();
        // The first run's place, and the text 2 points smaller than laid out.
        QCOMPARE(QList<int>({w->top(), w->left(), w->height(), w->width()}), QList<int>({57, 26, 577, 809}));
        QCOMPARE(w->SongList->textSize(), 10);
        w->setTop(90);
        w->setLeft(40);
        w->Close();
        QCOMPARE(h.queryValue(QStringLiteral("Select SongLocationsTop || ',' || SongLocationsLeft from Settings")),
                 QStringLiteral("90,40"));
        w = &SongLocations::instance();
        w->setTop(0);
        w->Close();
        QCOMPARE(h.queryValue(QStringLiteral("Select SongLocationsTop from Settings")), QStringLiteral("90"));
    }
};

QTEST_MAIN(SongLocationsTest)
#include "tst_songlocations.moc"
