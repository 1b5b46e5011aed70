// The song information form: loading, edit tracking, Save, the location drop and click.

#include "core/Code.h"
#include "library/SongInfo.h"
#include "library/Songs.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"

#include <QAbstractScrollArea>
#include <QtTest>

using namespace testing;

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
    return songID(h, "Dancer's Lantern").toInt();
}
// The form as song set-up opens it on "Dancer's Lantern".
SongInfo& openForm(AppHarness& h) { return openWindowOn<SongInfo>(openLibrary(h)); }

QString col(const AppHarness& h, int id, const QString& expr)
{
    return h.queryValue(QString("Select %1 from Songs where ID=%2").arg(expr).arg(id));
}
bool editable(const SongInfo& w) { return w.pbSave->enabled() && w.pbCancel->enabled(); }
} // namespace

class SongInfoTest : public QObject {
    Q_OBJECT
private slots:
    // Loading enables nothing; a Copy from the edit menu is no edit, a Cut
    // or typing is one (the menu's own actions are the add-song window's
    // test). Save writes every field typed into, the test times as numbers,
    // and not the location, which its drop stores; the form stays open. No song to show: a beep when there
    // is none, what the database said when it cannot be read; the form closes.
    void loadEditAndSave()
    {
        AppHarness h;
        execute(h, "Update Songs Set Link='l', BPM='120', Install='i', InstallLink='il', Synch='s', TestStart=12.5, TestEnd=0");
        const int id = openLibrary(h);
        SongInfo& w = openWindowOn<SongInfo>(id);
        for (const fw::EditField* field : fieldsOf(w))
            QCOMPARE(field->text(), col(h, id, columnOf(field)));
        QCOMPARE(w.efTestStart->text() + w.efTestEnd->text(), "12.50.0");
        QVERIFY(w.stPath->text() == col(h, id, "Path") && !w.pbSave->enabled() && !w.pbCancel->enabled());
        QWidget* notes = qobject_cast<QAbstractScrollArea*>(w.efNotes->widget())->viewport();
        w.efNotes->setSelStart(0);
        w.efNotes->setSelLength(6);
        h.fake->menuChoices = {"Copy", "Cut"};
        QTest::mouseClick(notes, Qt::RightButton, {}, QPoint(3, 3));
        QVERIFY(!w.pbSave->enabled() && !w.pbCancel->enabled());
        QTest::mouseClick(notes, Qt::RightButton, {}, QPoint(3, 3));
        SongInfo& typed = openWindowOn<SongInfo>(id);
        QTest::keyClicks(typed.efBPM->widget(), "5");
        QVERIFY(editable(w) && editable(typed));
        for (fw::EditField* field : fieldsOf(typed))
            field->setText(field->objectName() + "'s text");
        typed.efTestStart->setText("12.5");
        typed.efTestEnd->setText("soon");
        execute(h, "Update Songs Set Path='elsewhere:song.wav'");
        typed.pbSave->push();
        for (const fw::EditField* field : fieldsOf(typed))
            QVERIFY(field->objectName().startsWith("efTest") || col(h, id, columnOf(field)) == field->text());
        QCOMPARE(col(h, id, "typeof(TestStart) || (TestStart = 12.5) || (TestEnd = 0) || Path"), "real11elsewhere:song.wav");
        QVERIFY(!typed.pbSave->enabled() && !typed.pbCancel->enabled() && !typed.isClosed());
        QVERIFY(openWindowOn<SongInfo>(9999).isClosed());
        makeUnreadable(h, false);
        QVERIFY(openWindowOn<SongInfo>(id).isClosed());
        QCOMPARE(messagesAndBeeps(h), QStringList({unreadableMessage(false), "beep"}));
    }

    // Whatever keeps Save or a drop from storing is told; the typed values
    // stay in the form to be saved again, and no transaction stays open.
    void songGoneOrSaveRefusedWritesNothing_data()
    {
        QTest::addColumn<QString>("change");   // a statement, or how another program holds the file
        QTest::addColumn<QStringList>("messages");
        const QString saveFailed = "Could not save the song. Error: ";
        const QString dropFailed = "Could not store the song's location. Error: ";
        QTest::newRow("song deleted") << "Delete from Songs" << QStringList(2, kGone);
        QTest::newRow("update refused") << "Create Trigger no Before Update On Songs Begin Select Raise(Abort, 'no'); End"
                                        << QStringList{saveFailed + "no", dropFailed + "no"};
        QTest::newRow("another program reads") << "Reading" << QStringList{saveFailed + "database is locked",
                                                                           dropFailed + "database is locked"};
        QTest::newRow("library locked") << "Exclusive" << QStringList(2, unreadableMessage(true));
    }
    void songGoneOrSaveRefusedWritesNothing()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, messages);
        AppHarness h;
        SongInfo& w = openForm(h);
        const QString label = w.stPath->text();
        QTest::keyClicks(w.efTitle->widget(), "Ghost");
        const QString typed = w.efTitle->text();
        std::optional<OtherProgram> other;
        if (change == "Reading" || change == "Exclusive")
            other.emplace(h, change == "Reading" ? OtherProgram::Hold::Reading : OtherProgram::Hold::Exclusive);
        else
            execute(h, change);
        w.pbSave->push();
        dropFiles(w.stPath->widget(), QPoint(5, 5), {h.env.root() + "/x.wav"});
        other.reset();
        QCOMPARE(h.fake->messageTexts(), messages);
        QCOMPARE(h.queryValue("Select count(*) from Songs where Title like '%Ghost' or Path like '%x.wav'"), "0");
        QVERIFY(editable(w) && w.efTitle->text() == typed && w.stPath->text() == label && noTransactionOpen());
    }

    // A Save stores each field as it stands: what the user did not change
    // comes back exactly as it was stored, also where the field shows it
    // otherwise (a no-break space, a line separator, a CR or CR LF line end,
    // a test time shown to 15 digits, a text longer than a line edit takes
    // by itself), and in a field the user typed into, cut from or pasted
    // into, only what they typed or moved differs.
    void saveKeepsWhatTheUserDidNotChange_data()
    {
        QTest::addColumn<QStringList>("keys");   // typed into the notes after the title
        QTest::addColumn<QString>("notesSaved");
        const QString head = "Attention\u00a0: slow intro\u2028then\tturn";
        const QString notes = head + "\r\nsecond\rthird\u2029fourth\r\n";
        QTest::newRow("title only") << QStringList() << notes;
        QTest::newRow("typed at the end") << QStringList{"Ctrl+End", "!"} << notes + "!";
        QTest::newRow("typed at the start") << QStringList{"Ctrl+Home", "Return"} << "\n" + notes;
        QTest::newRow("typed and erased") << QStringList{"Down", "q", "Backspace"} << notes;
        QTest::newRow("erased and undone") << QStringList{"Ctrl+End", "Backspace", "Ctrl+Shift+Home", "Backspace",
                                                          "Ctrl+Z", "Ctrl+Z"} << notes;
        QTest::newRow("cut and pasted back") << QStringList{"Ctrl+Home", "Shift+Down", "Shift+Down", "Ctrl+X", "Ctrl+V"}
                                             << notes;
        QTest::newRow("cut and undone") << QStringList{"Ctrl+A", "Ctrl+X", "Ctrl+Z"} << notes;
        QTest::newRow("copied") << QStringList{"Ctrl+A", "Ctrl+C", "Ctrl+End", "Ctrl+V"} << notes + notes;
        // Whole lines taken away with their ends: the line before keeps its own.
        QTest::newRow("a line deleted") << QStringList{"Ctrl+Home", "Down", "Down", "Home", "Shift+Down", "Delete"}
                                        << head + "\r\nthird\u2029fourth\r\n";
        QTest::newRow("two lines cut") << QStringList{"Ctrl+Home", "Down", "Down", "Home", "Shift+Down", "Shift+Down",
                                                      "Ctrl+X"} << head + "\r\nfourth\r\n";
        // A line the user begins takes the line end of the one it begins in.
        QTest::newRow("a line begun after the last") << QStringList{"Ctrl+End", "Return", "x"} << notes + "\r\nx";
        QTest::newRow("a line begun inside") << QStringList{"Ctrl+Home", "Down", "Down", "End", "Return", "x"}
                                             << head + "\r\nsecond\r\nx\rthird\u2029fourth\r\n";
    }
    void saveKeepsWhatTheUserDidNotChange()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, notesSaved);
        AppHarness h;
        const int id = openLibrary(h);
        const QString longLink = "https://example.org/?" + QString(40000, u'x');
        execute(h, QString("Update Songs Set Notes='Attention' || char(160) || ': slow intro' || char(8232) || "
                           "'then\tturn' || char(13, 10) || 'second' || char(13) || 'third' || char(8233) || "
                           "'fourth' || char(13, 10), "
                           "Install='Buy' || char(160) || 'it\tnow', Synch='a' || char(8232) || 'b' || char(13) || 'c', "
                           "Link='%1', TestStart=0.1+0.2, TestEnd=1.7976931348623157e308, BPM=-0.0 where ID=%2")
                       .arg(longLink).arg(id));
        const QStringList others = {"Artist", "CD", "Link", "BPM", "Path", "TestStart", "TestEnd", "Install",
                                    "InstallLink", "Synch", "SynchHist"};
        const auto stored = [&] {
            QStringList values;
            for (const QString& column : others)
                values << col(h, id, QString("typeof(%1) || hex(%1)").arg(column));
            return values;
        };
        const QStringList before = stored();
        SongInfo& w = openWindowOn<SongInfo>(id);
        QTest::keyClicks(w.efTitle->widget(), "New ");
        for (const QString& key : keys) {
            const QKeySequence sequence(key);
            if (key.size() == 1)
                QTest::keyClicks(w.efNotes->widget(), key);
            else
                QTest::keySequence(w.efNotes->widget(), sequence);
        }
        w.pbSave->push();
        QCOMPARE(stored(), before);
        QCOMPARE(col(h, id, "Notes"), notesSaved);
        QVERIFY(col(h, id, "Title").endsWith("New "));
        // Saved again after more typing, it still keeps them.
        QTest::keyClicks(w.efTitle->widget(), "X");
        w.pbSave->push();
        QCOMPARE(stored(), before);
        QCOMPARE(col(h, id, "Notes"), notesSaved);
    }

    // Two forms on one song, and a location dropped elsewhere: each Save
    // writes what its own user changed, and keeps what others saved.
    void savesOfTwoFormsKeepEachOthers()
    {
        AppHarness h;
        const int id = openLibrary(h);
        SongInfo& a = openWindowOn<SongInfo>(id);
        SongInfo& b = openWindowOn<SongInfo>(id);
        QTest::keyClicks(a.efTitle->widget(), "A");
        a.pbSave->push();
        QTest::keyClicks(b.efNotes->widget(), "B");
        execute(h, QString("Update Songs Set Path='elsewhere:song.wav' where ID=%1").arg(id));
        b.pbSave->push();
        QTest::keyClicks(a.efArtist->widget(), "x");
        a.pbSave->push();
        QCOMPARE(col(h, id, "Title || '|' || Artist || '|' || Notes || '|' || Path"),
                 a.efTitle->text() + '|' + a.efArtist->text() + '|' + b.efNotes->text() + "|elsewhere:song.wav");
        QVERIFY(a.efTitle->text().endsWith('A') && a.efArtist->text().endsWith('x') && b.efNotes->text().startsWith('B'));
    }

    void dropStoresAtOnceAndCancelKeepsIt()
    {
        AppHarness h;
        const int id = openLibrary(h);
        SongInfo& w = openWindowOn<SongInfo>(id);
        const QString file = h.env.root() + "/My Music/New: Take.wav";
        dropFiles(w.stPath->widget(), QPoint(5, 5), {file});
        const QString stored = fw::colonPathFromPosix(file, false);
        QVERIFY(col(h, id, "Path") == stored && w.stPath->text() == stored && !w.pbSave->enabled());
        QVERIFY(!Songs::isOpen());   // a closed song list stays closed
        Songs::instance();
        execute(h, QString("Update Songs Set Title='A Renamed Song' where ID=%1").arg(id));   // only a refill shows it
        dropFiles(w.stPath->widget(), QPoint(5, 5), {file});
        QCOMPARE(Songs::instance().SongList->Cell(0, 0), "A Renamed Song");
        w.efTitle->setText("Lost");
        w.pbCancel->push();
        QVERIFY(w.isClosed());
        QCOMPARE(col(h, id, "Title || Path"), "A Renamed Song" + stored);
    }

    void locationClick_data()
    {
        QTest::addColumn<QString>("location");   // "/...": under the test's root; else stored as it is
        QTest::addColumn<QString>("told");       // "/...": the folder opened, under the test's root
        QTest::newRow("file") << "/Disk/Music/Song.m4a" << "/Disk/Music";
        QTest::newRow("folder") << "/Disk/Music/Album/" << "/Disk/Music";
        QTest::newRow("missing folder") << "/Gone/Song.m4a" << "beep";
        QTest::newRow("bare name") << "Song.m4a" << "beep";
        QTest::newRow("empty") << "" << "Please drag-and-drop a song from your desktop first.";
    }
    void locationClick()
    {
        QFETCH(QString, location);
        QFETCH(QString, told);
        AppHarness h;
        QDir().mkpath(h.env.root() + "/Disk/Music/Album");
        const QString path = location.startsWith('/')
            ? fw::colonPathFromPosix(h.env.root() + location, location.endsWith('/')) : location;
        execute(h, "Update Songs Set Path=" + fw::sqlQuoted(path));
        QTest::mouseClick(openForm(h).stPath->widget(), Qt::LeftButton);
        QCOMPARE(h.fake->folders + messagesAndBeeps(h), QStringList{told.startsWith('/') ? h.env.root() + told : told});
    }
};

QTEST_MAIN(SongInfoTest)
#include "tst_songinfo.moc"
