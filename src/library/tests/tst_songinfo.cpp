// The song information form: loading, edit tracking, Save, the location drop and click.

#include "core/Code.h"
#include "library/SongInfo.h"
#include "library/Songs.h"
#include "support/app/AppHarness.h"

#include <QAbstractScrollArea>
#include <QClipboard>
#include <QDir>
#include <QMimeData>
#include <QtTest>

using testing::AppHarness;

namespace {

const QStringList kColumns{"Title", "Artist", "CD", "Notes", "Link", "BPM", "TestStart", "TestEnd", "Install", "InstallLink", "Synch"};

std::vector<fw::EditField*> fieldsOf(const SongInfo& w)
{
    return {w.efTitle, w.efArtist, w.efCD, w.efNotes, w.efLink, w.efBPM,
            w.efTestStart, w.efTestEnd, w.efInstall, w.efInstallLink, w.efSynch};
}

// The library opened without the start windows; the song "Dancer's Lantern".
int openLibrary(AppHarness& h)
{
    Code::AppDataFolder = fw::FolderItem::fromPosixPath(h.env.appDataFolder());
    Code::dbPath = h.env.databasePath();
    h.app->OpenDB();
    h.app->LoadSettings();
    Code::FirstRun = false;
    return h.queryValue(QStringLiteral("Select ID from Songs where Title='Dancer''s Lantern'")).toInt();
}

void sql(AppHarness& h, const QString& statement) { h.openDatabase()->SQLExecute(statement); }
QString col(AppHarness& h, int id, const QString& expr) { return h.queryValue(QStringLiteral("Select %1 from Songs where ID=%2").arg(expr).arg(id)); }

// As song set-up opens it: built, shown, then given its song.
SongInfo& openFor(int id)
{
    SongInfo& w = fw::newWindow<SongInfo>();
    w.Show();
    w.Init(id);
    return w;
}

bool editable(const SongInfo& w) { return w.pbSave->enabled() && w.pbCancel->enabled(); }

void dropOn(fw::Control* control, const QString& posixPath)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(posixPath)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(control->widget(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(control->widget(), &drop);
}

} // namespace

class SongInfoTest : public QObject {
    Q_OBJECT
private slots:
    void loadShowsEveryColumn()
    {
        AppHarness h;
        const int id = openLibrary(h);
        sql(h, QStringLiteral("Update Songs Set Link='l', BPM='120', Install='i', InstallLink='il', Synch='s', TestStart=12.5, TestEnd=0"));
        SongInfo& w = openFor(id);
        for (int k = 0; k < kColumns.size(); ++k)
            QCOMPARE(fieldsOf(w)[size_t(k)]->text(), col(h, id, kColumns[k]));
        QCOMPARE(w.efTestStart->text() + w.efTestEnd->text(), QStringLiteral("12.50.0"));
        QCOMPARE(w.stPath->text(), col(h, id, QStringLiteral("Path")));
        QVERIFY(!w.pbSave->enabled() && !w.pbCancel->enabled());
    }

    void editsEnableSaveAndCancel_data()
    {
        QTest::addColumn<QString>("menuChoice");   // empty: a typed character
        QTest::addColumn<bool>("enables");
        QTest::newRow("typed") << "" << true;
        QTest::newRow("Cut") << "Cut" << true;
        QTest::newRow("Paste") << "Paste" << true;
        QTest::newRow("Clear") << "Clear" << true;
        QTest::newRow("Copy") << "Copy" << false;
    }
    void editsEnableSaveAndCancel()
    {
        QFETCH(QString, menuChoice);
        QFETCH(bool, enables);
        AppHarness h;
        SongInfo& w = openFor(openLibrary(h));
        QGuiApplication::clipboard()->setText(QStringLiteral("clip"));
        w.efNotes->setSelStart(0);
        w.efNotes->setSelLength(6);
        QWidget* notes = qobject_cast<QAbstractScrollArea*>(w.efNotes->widget())->viewport();
        h.fake->menuChoices = {menuChoice};
        if (menuChoice.isEmpty())
            QTest::keyClicks(w.efBPM->widget(), QStringLiteral("5"));
        else
            QTest::mouseClick(notes, Qt::RightButton, {}, QPoint(3, 3));
        QCOMPARE(editable(w), enables);
    }

    void saveWritesEveryColumnAndStaysOpen()
    {
        AppHarness h;
        const int id = openLibrary(h);
        SongInfo& w = openFor(id);
        SongInfo& later = openFor(id);
        later.efArtist->setText(QStringLiteral("Later"));
        const QString label = w.stPath->text();
        sql(h, QStringLiteral("Update Songs Set Path='elsewhere:song.wav'"));
        for (fw::EditField* field : fieldsOf(w))
            field->setText(field->objectName() + QStringLiteral("'s\ntext"));
        w.efTestStart->setText(QStringLiteral("12.5"));
        w.efTestEnd->setText(QStringLiteral("soon"));
        QTest::mouseClick(w.pbSave->widget(), Qt::LeftButton);
        for (int k = 0; k < kColumns.size(); ++k) {
            if (!kColumns[k].startsWith(QLatin1String("Test")))
                QCOMPARE(col(h, id, kColumns[k]), fieldsOf(w)[size_t(k)]->text());
        }
        QCOMPARE(col(h, id, QStringLiteral("typeof(TestStart) || (TestStart = 12.5) || (TestEnd = 0) || Path")), "real11" + label);
        QVERIFY(!w.pbSave->enabled() && !w.pbCancel->enabled() && !w.isClosed());
        // A second form on the song writes all its columns: the later Save wins.
        later.pbSave->push();
        QCOMPARE(col(h, id, QStringLiteral("Title || Artist")), QStringLiteral("Dancer's LanternLater"));
    }

    void songGoneOrSaveRefusedWritesNothing_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QStringList>("messages");
        const QString gone = QStringLiteral("Something went wrong. Can't find song record.");
        QTest::newRow("song deleted") << "Delete from Songs" << QStringList{gone, gone};
        QTest::newRow("update refused")
            << "Create Trigger no Before Update On Songs Begin Select Raise(Abort, 'no'); End" << QStringList{};
    }
    void songGoneOrSaveRefusedWritesNothing()
    {
        QFETCH(QString, statement);
        QFETCH(QStringList, messages);
        AppHarness h;
        const int id = openLibrary(h);
        SongInfo& w = openFor(id);
        const QString label = w.stPath->text();
        w.efTitle->setText(QStringLiteral("Ghost"));
        sql(h, statement);
        w.pbSave->push();
        dropOn(w.stPath, h.env.root() + QStringLiteral("/x.wav"));
        QCOMPARE(h.fake->messageTexts(), messages);
        QCOMPARE(h.queryValue(QStringLiteral("Select count(*) from Songs where Title='Ghost' or Path like '%x.wav'")), QStringLiteral("0"));
        QVERIFY(editable(w));
        QCOMPARE(w.stPath->text(), label);
        // No transaction is left open behind a refused write.
        Code::db->SQLExecute(QStringLiteral("BEGIN"));
        QVERIFY2(!Code::db->Error(), qPrintable(Code::db->ErrorMessage()));
        Code::db->Rollback();
    }

    void dropStoresAtOnceAndCancelKeepsIt_data()
    {
        QTest::addColumn<bool>("songsOpen");
        QTest::newRow("song list open") << true;
        QTest::newRow("song list closed") << false;
    }
    void dropStoresAtOnceAndCancelKeepsIt()
    {
        QFETCH(bool, songsOpen);
        AppHarness h;
        const int id = openLibrary(h);
        if (songsOpen)
            Songs::instance();
        SongInfo& w = openFor(id);
        sql(h, QStringLiteral("Update Songs Set Title='A Renamed Song' where ID=%1").arg(id));   // only a refill shows it
        const QString stored = fw::colonPathFromPosix(h.env.root() + QStringLiteral("/My Music/New: Take.wav"), false);
        dropOn(w.stPath, h.env.root() + QStringLiteral("/My Music/New: Take.wav"));
        QCOMPARE(col(h, id, QStringLiteral("Path")), stored);
        QCOMPARE(w.stPath->text(), stored);
        QVERIFY(!w.pbSave->enabled());
        QCOMPARE(Songs::isOpen(), songsOpen);
        if (songsOpen)
            QCOMPARE(Songs::instance().SongList->Cell(0, 0), QStringLiteral("A Renamed Song"));
        w.efTitle->setText(QStringLiteral("Lost"));
        w.pbCancel->push();
        QVERIFY(w.isClosed());
        QCOMPARE(col(h, id, QStringLiteral("Title || Path")), "A Renamed Song" + stored);
    }

    void locationClick_data()
    {
        QTest::addColumn<QString>("location");   // inside the test's folder; "" for none
        QTest::addColumn<QString>("opened");     // "" for a beep
        QTest::newRow("file") << "Disk/Music/Song.m4a" << "Disk/Music";
        QTest::newRow("folder") << "Disk/Music/Album/" << "Disk/Music";
        QTest::newRow("missing folder") << "Gone/Song.m4a" << "";
        QTest::newRow("empty") << "" << "";
    }
    void locationClick()
    {
        QFETCH(QString, location);
        QFETCH(QString, opened);
        AppHarness h;
        const int id = openLibrary(h);
        QDir().mkpath(h.env.root() + QStringLiteral("/Disk/Music/Album"));
        const QString root = h.env.root() + QLatin1Char('/');
        const QString path = location.isEmpty() ? QString() : fw::colonPathFromPosix(root + location, location.endsWith('/'));
        sql(h, QStringLiteral("Update Songs Set Path=%1").arg(fw::sqlQuoted(path)));
        SongInfo& w = openFor(id);
        QCOMPARE(w.stPath->text(), path);
        QTest::mouseClick(w.stPath->widget(), Qt::LeftButton);
        QCOMPARE(h.fake->folders, opened.isEmpty() ? QStringList() : QStringList{root + opened});
        QCOMPARE(h.fake->beeps, int(!location.isEmpty() && opened.isEmpty()));
        QCOMPARE(h.fake->messageTexts(), location.isEmpty() ? QStringList{"Please drag-and-drop a song from your desktop first."} : QStringList());
    }

    void missingSongBeepsAndCloses()
    {
        AppHarness h;
        openLibrary(h);
        SongInfo& w = openFor(9999);
        QCOMPARE(h.fake->beeps, 1);
        QVERIFY(w.isClosed());
    }
};

QTEST_MAIN(SongInfoTest)
#include "tst_songinfo.moc"
