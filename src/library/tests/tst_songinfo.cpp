// The song information form: loading, edit tracking, Save, the location drop and click.

#include "core/Code.h"
#include "library/SongInfo.h"
#include "library/Songs.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"

#include <QAbstractScrollArea>
#include <QDir>
#include <QtTest>

using testing::AppHarness;

namespace {
const QString kGone = "Something went wrong. Can't find song record.";

std::vector<fw::EditField*> fieldsOf(const SongInfo& w)
{
    return {w.efTitle, w.efArtist, w.efCD, w.efNotes, w.efLink, w.efBPM,
            w.efTestStart, w.efTestEnd, w.efInstall, w.efInstallLink, w.efSynch};
}
// Each field shows and writes the column of its own name: efTitle, Title.
QString columnOf(const fw::EditField* field) { return field->objectName().mid(2); }

// The library opened without the start windows; the song "Dancer's Lantern".
int openLibrary(AppHarness& h)
{
    h.startWithoutWindows();
    Code::FirstRun = false;
    return h.queryValue("Select ID from Songs where Title='Dancer''s Lantern'").toInt();
}

void sql(const AppHarness& h, const QString& statement) { h.openDatabase()->SQLExecute(statement); }
QString col(const AppHarness& h, int id, const QString& expr)
{
    return h.queryValue(QString("Select %1 from Songs where ID=%2").arg(expr).arg(id));
}
bool editable(const SongInfo& w) { return w.pbSave->enabled() && w.pbCancel->enabled(); }

// As song set-up opens it: built, shown, then given its song.
SongInfo& openFor(int id)
{
    SongInfo& w = fw::newWindow<SongInfo>();
    w.Show();
    w.Init(id);
    return w;
}

} // namespace

class SongInfoTest : public QObject {
    Q_OBJECT
private slots:
    void initLoadsEveryColumnAndTypingEnablesSave()
    {
        AppHarness h;
        sql(h, "Update Songs Set Link='l', BPM='120', Install='i', InstallLink='il', Synch='s', TestStart=12.5, TestEnd=0");
        const int id = openLibrary(h);
        SongInfo& w = openFor(id);
        for (const fw::EditField* field : fieldsOf(w))
            QCOMPARE(field->text(), col(h, id, columnOf(field)));
        QCOMPARE(w.efTestStart->text() + w.efTestEnd->text(), "12.50.0");
        QVERIFY(w.stPath->text() == col(h, id, "Path") && !w.pbSave->enabled() && !w.pbCancel->enabled());
        QTest::keyClicks(w.efBPM->widget(), "5");
        QVERIFY(editable(w));
        SongInfo& none = openFor(9999);   // no such song: a beep, and the window closes
        QVERIFY(h.fake->beeps == 1 && none.isClosed());
    }

    // The menu's own actions are the add-song window's test.
    void menuCutIsAnEditAndCopyIsNot()
    {
        AppHarness h;
        SongInfo& w = openFor(openLibrary(h));
        QWidget* notes = qobject_cast<QAbstractScrollArea*>(w.efNotes->widget())->viewport();
        w.efNotes->setSelStart(0);
        w.efNotes->setSelLength(6);
        h.fake->menuChoices = {"Copy", "Cut"};
        QTest::mouseClick(notes, Qt::RightButton, {}, QPoint(3, 3));
        QVERIFY(!w.pbSave->enabled() && !w.pbCancel->enabled());
        QTest::mouseClick(notes, Qt::RightButton, {}, QPoint(3, 3));
        QVERIFY(editable(w));
    }

    void saveWritesEveryColumnAndStaysOpen()
    {
        AppHarness h;
        const int id = openLibrary(h);
        SongInfo& w = openFor(id);
        const QString label = w.stPath->text();
        sql(h, "Update Songs Set Path='elsewhere:song.wav'");
        for (fw::EditField* field : fieldsOf(w))
            field->setText(field->objectName() + "'s\ntext");
        w.efTestStart->setText("12.5");
        w.efTestEnd->setText("soon");
        QTest::mouseClick(w.pbSave->widget(), Qt::LeftButton);
        for (const fw::EditField* field : fieldsOf(w)) {
            if (!field->objectName().startsWith("efTest"))
                QCOMPARE(col(h, id, columnOf(field)), field->text());
        }
        QCOMPARE(col(h, id, "typeof(TestStart) || (TestStart = 12.5) || (TestEnd = 0) || Path"), "real11" + label);
        QVERIFY(!w.pbSave->enabled() && !w.pbCancel->enabled() && !w.isClosed());
    }

    void songGoneOrSaveRefusedWritesNothing_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("song deleted") << "Delete from Songs" << QStringList{kGone, kGone};
        QTest::newRow("update refused") << "Create Trigger no Before Update On Songs Begin Select Raise(Abort, 'no'); End"
                                        << QStringList{};
    }
    void songGoneOrSaveRefusedWritesNothing()
    {
        QFETCH(QString, statement);
        QFETCH(QStringList, messages);
        AppHarness h;
        SongInfo& w = openFor(openLibrary(h));
        const QString label = w.stPath->text();
        w.efTitle->setText("Ghost");
        sql(h, statement);
        w.pbSave->push();
        testing::dropFiles(w.stPath->widget(), QPoint(5, 5), {h.env.root() + "/x.wav"});
        QCOMPARE(h.fake->messageTexts(), messages);
        QCOMPARE(h.queryValue("Select count(*) from Songs where Title='Ghost' or Path like '%x.wav'"), "0");
        QVERIFY(editable(w) && w.stPath->text() == label);
        Code::db->SQLExecute("BEGIN");   // no transaction is left open behind a refused write
        QVERIFY2(!Code::db->Error(), qPrintable(Code::db->ErrorMessage()));
        Code::db->Rollback();
    }

    void dropStoresAtOnceAndCancelKeepsIt()
    {
        AppHarness h;
        const int id = openLibrary(h);
        SongInfo& w = openFor(id);
        const QString file = h.env.root() + "/My Music/New: Take.wav";
        testing::dropFiles(w.stPath->widget(), QPoint(5, 5), {file});
        const QString stored = fw::colonPathFromPosix(file, false);
        QVERIFY(col(h, id, "Path") == stored && w.stPath->text() == stored && !w.pbSave->enabled());
        QVERIFY(!Songs::isOpen());   // a closed song list stays closed
        Songs::instance();
        sql(h, QString("Update Songs Set Title='A Renamed Song' where ID=%1").arg(id));   // only a refill shows it
        testing::dropFiles(w.stPath->widget(), QPoint(5, 5), {file});
        QCOMPARE(Songs::instance().SongList->Cell(0, 0), "A Renamed Song");
        w.efTitle->setText("Lost");
        w.pbCancel->push();
        QVERIFY(w.isClosed());
        QCOMPARE(col(h, id, "Title || Path"), "A Renamed Song" + stored);
    }

    void locationClick_data()
    {
        QTest::addColumn<QString>("location");   // "/...": under the test's root; else stored as it is
        QTest::addColumn<QString>("opened");     // "" for a beep
        QTest::newRow("file") << "/Disk/Music/Song.m4a" << "/Disk/Music";
        QTest::newRow("folder") << "/Disk/Music/Album/" << "/Disk/Music";
        QTest::newRow("missing folder") << "/Gone/Song.m4a" << "";
        QTest::newRow("bare name") << "Song.m4a" << "";
        QTest::newRow("empty") << "" << "";
    }
    void locationClick()
    {
        QFETCH(QString, location);
        QFETCH(QString, opened);
        AppHarness h;
        QDir().mkpath(h.env.root() + "/Disk/Music/Album");
        const QString path = location.startsWith('/')
            ? fw::colonPathFromPosix(h.env.root() + location, location.endsWith('/')) : location;
        sql(h, "Update Songs Set Path=" + fw::sqlQuoted(path));
        SongInfo& w = openFor(openLibrary(h));
        QTest::mouseClick(w.stPath->widget(), Qt::LeftButton);
        QCOMPARE(h.fake->folders, opened.isEmpty() ? QStringList() : QStringList{h.env.root() + opened});
        QCOMPARE(h.fake->beeps, int(!location.isEmpty() && opened.isEmpty()));
        const QString dropFirst = "Please drag-and-drop a song from your desktop first.";
        QCOMPARE(h.fake->messageTexts(), location.isEmpty() ? QStringList{dropFirst} : QStringList());
    }
};

QTEST_MAIN(SongInfoTest)
#include "tst_songinfo.moc"
