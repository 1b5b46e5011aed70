// The temporary copy an MP3 file plays from when its bitrate varies and it
// tells its length nowhere: made in the user's cache folder, gone when its
// song stops, gone at the next start after a run that was killed, and told
// when it cannot be made, as the dancer meets each with the song list, the
// track editor and the player.

#include "core/Code.h"
#include "library/ListCells.h"
#include "library/Songs.h"
#include "player/TheCount.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"
#include "tracks/Track.h"

#include "framework/Database.h"
#include "framework/FolderItem.h"
#include "framework/MoviePlayer.h"

#include <QProcess>
#include <QtTest>

#include <unistd.h>

using namespace testing;

namespace {
// Two seconds, loud and then quiet, at a bitrate that varies and with no
// header that tells its length: a length guessed from the first frames falls
// well short of the end.
QString makeMp3(const QString& path)
{
    return encodeAudio(path, "lamemp3enc target=quality quality=0", {{Sound::Noise, 5}, {Sound::Silence, 15}});
}

// A song on such a file, with a count every quarter second.
int addMp3Song(AppHarness& h, const QString& title)
{
    const QString path = h.env.root() + "/" + title + ".mp3";
    if (!makeMp3(path).isEmpty())
        return 0;
    return h.addSong(title, path, {0.5, 0.75, 1.0, 1.25, 1.5, 1.75}, {1, 2, 3, 4, 5, 6});
}

QString copyFolder(const AppHarness& h) { return h.env.cacheHome() + "/Corvantis"; }
QStringList copies(const AppHarness& h) { return QDir(copyFolder(h)).entryList(QDir::Files); }
bool playing() { return TheCount::isOpen() && TheCount::instance().qtPlayer->isPlaying(); }

Songs& songListOn(const QString& title)
{
    Songs& w = Songs::instance();
    clickRow(w.SongList, columnTexts(w.SongList, 0).indexOf(title));
    return w;
}

// The song list's Play on a song: true once it sounds.
bool playFromTheList(const QString& title)
{
    Songs& w = songListOn(title);
    if (w.pbPlay->caption() != "Play")
        return false;
    w.pbPlay->push();
    return QTest::qWaitFor(playing, 5000);
}

// The process ID of a program that has ended.
qint64 endedProcess()
{
    QProcess done;
    done.start("sleep", {"0"});
    const qint64 pid = done.processId();
    done.waitForFinished();
    return pid;
}

} // namespace

class SongCopyTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { closeAllWindows(); }

    // The copy is made in the user's cache folder, and goes when its song
    // stops: Stop, the next song, the song's end, the player's closing, Quit.
    void theCopyGoesWhenItsSongStops()
    {
        AppHarness h;
        startAgain(h);
        const int first = addMp3Song(h, "Aaa Vbr");
        const int second = addMp3Song(h, "Bbb Vbr");
        QVERIFY(first && second);
        QVERIFY(playFromTheList("Aaa Vbr"));
        QCOMPARE(copies(h).size(), 1);
        // Stop.
        Songs::instance().pbPlay->push();
        QCOMPARE(copies(h), QStringList());
        // The next song, from the track editor while the first plays.
        QVERIFY(playFromTheList("Aaa Vbr"));
        const QStringList firstCopy = copies(h);
        QCOMPARE(firstCopy.size(), 1);
        Track& editor = Track::instance();
        editor.LoadTrack(second);
        editor.TrackList->setListIndex(0);
        editor.pbPlayFrom->push();
        QVERIFY(QTest::qWaitFor(playing, 5000));
        QCOMPARE(TheCount::instance().TheSongID, second);
        QCOMPARE(copies(h).size(), 1);
        QVERIFY(copies(h) != firstCopy);
        // The song's end: it plays to its end, then its copy goes.
        QTRY_VERIFY_WITH_TIMEOUT(!playing(), 5000);
        QVERIFY(TheCount::instance().qtPlayer->position() > 1.9);
        QTRY_COMPARE_WITH_TIMEOUT(copies(h), QStringList(), 2000);
        editor.Close();
        // The player's closing.
        Songs::instance().pbPlay->push();   // "Stop" still: the song ended by itself
        QVERIFY(playFromTheList("Bbb Vbr"));
        QCOMPARE(copies(h).size(), 1);
        TheCount::instance().Close();
        QCOMPARE(copies(h), QStringList());
        QCOMPARE(Songs::instance().pbPlay->caption(), "Play");
        // Quit.
        QVERIFY(playFromTheList("Aaa Vbr"));
        QCOMPARE(copies(h).size(), 1);
        h.quit();
        QCOMPARE(copies(h), QStringList());
        QCOMPARE(h.fake->messageTexts(), QStringList());
    }

    // A run killed while it plays such a song leaves its copy; the next start
    // removes it, and leaves a copy that a program still running plays from.
    void aKilledRunsCopyGoesAtTheNextStart()
    {
        AppHarness h;
        const QString mp3 = h.env.root() + "/Killed.mp3";
        QCOMPARE(makeMp3(mp3), QString());
        // The program's first run plays the first song whose file is there.
        execute(h, "Update Songs Set Path=" + fw::sqlQuoted(fw::colonPathFromPosix(mp3, false))
                       + " where Title='Copper Rooftops'");
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.start(CORVANTIS_PROGRAM, QStringList());
        QVERIFY2(run.waitForStarted(), qPrintable(run.errorString()));
        const qint64 killed = run.processId();
        const bool copied = QTest::qWaitFor([&] { return copies(h).size() == 1; }, 20000);
        run.kill();
        run.waitForFinished();
        QVERIFY2(copied, "the run played no copy");
        QVERIFY(copies(h).constFirst().startsWith(QString("play-%1-").arg(killed)));
        // Another program playing, a run that ended long ago, and files not
        // the program's copies.
        QProcess other;
        other.start("sleep", {"60"});
        QVERIFY(other.waitForStarted());
        const QStringList kept{QString("play-%1-other.mp3").arg(other.processId()), "notes.txt", "play-list.m3u"};
        for (const QString& name : kept + QStringList{QString("play-%1-old.mp3").arg(endedProcess())}) {
            QFile file(copyFolder(h) + "/" + name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
        }
        startAgain(h);
        QStringList left = copies(h);
        left.sort();
        QStringList expected = kept;
        expected.sort();
        QCOMPARE(left, expected);
        other.kill();
        other.waitForFinished();
    }

    // When no copy can be made the song does not play at all, rather than
    // stop early without a word: the user is told, and Play reads "Play"
    // again, in the song list and in the track editor. Once the copy can be
    // made the song plays.
    void noCopyIsTold_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<bool>("fromEditor");
        QTest::addColumn<QString>("reason");   // the system's words told; empty: any
        for (const bool fromEditor : {false, true}) {
            const char* where = fromEditor ? ", from the track editor" : ", from the song list";
            QTest::newRow(qPrintable(QString("a file where the folder goes") + where)) << "file" << fromEditor
                                                                                        << "Not a directory";
            QTest::newRow(qPrintable(QString("a file size limit") + where)) << "full" << fromEditor << "File too large";
            QTest::newRow(qPrintable(QString("a full disk") + where)) << "no room" << fromEditor
                                                                      << "No space left on device";
            QTest::newRow(qPrintable(QString("a failing disk") + where)) << "failing" << fromEditor
                                                                         << "Input/output error";
            QTest::newRow(qPrintable(QString("a folder that may not be written") + where)) << "read-only" << fromEditor
                                                                                            << "";
        }
    }
    void noCopyIsTold()
    {
        QFETCH(QString, obstacle);
        QFETCH(bool, fromEditor);
        QFETCH(QString, reason);
        if (obstacle == "read-only" && geteuid() == 0)
            QSKIP("root writes in any folder");
        AppHarness h;
        startAgain(h);
        const int id = addMp3Song(h, "Aaa Vbr");
        QVERIFY(id);
        const QString folder = copyFolder(h);
        if (obstacle == "file") {
            QVERIFY(QDir().mkpath(h.env.cacheHome()));
            QFile blocking(folder);
            QVERIFY(blocking.open(QIODevice::WriteOnly) && blocking.write("x") == 1);
        } else {
            QVERIFY(QDir().mkpath(folder));
            if (obstacle == "read-only")
                QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        }
        fw::ListBox* list = Songs::instance().SongList;
        Track& editor = Track::instance();
        editor.LoadTrack(id);
        editor.TrackList->setListIndex(0);
        {
            std::optional<FileSizeLimit> full;
            const qint64 half = QFileInfo(h.env.root() + "/Aaa Vbr.mp3").size() / 2;
            if (obstacle == "full")
                full.emplace(half);
            if (obstacle == "no room")
                h.fake->diskRoom = half;
            if (obstacle == "failing")
                h.fake->syncError = EIO;
            if (fromEditor) {
                editor.pbPlayFrom->push();
            } else {
                clickRow(list, columnTexts(list, 0).indexOf("Aaa Vbr"));
                Songs::instance().pbPlay->push();
            }
        }
        const QStringList told = h.fake->messageTexts();
        const QString says = "Can't play this song: its temporary copy couldn't be made in " + folder + ". Error: ";
        QVERIFY2(told.size() == 1 && told.constFirst().startsWith(says) && told.constFirst().size() > says.size()
                     && (reason.isEmpty() || told.constFirst() == says + reason),
                 qPrintable(told.join('\n')));
        QCOMPARE(Songs::instance().pbPlay->caption() + editor.pbPlayFrom->caption(), "PlayPlay");
        QTest::qWait(300);
        QVERIFY(!playing() && !TheCount::instance().isCounting());
        if (obstacle != "file")
            QCOMPARE(copies(h), QStringList());   // nothing half written is left
        // The way cleared, the song plays from its copy.
        if (obstacle == "file")
            QVERIFY(QFile::remove(folder));
        else
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        h.fake->clear();
        editor.pbPlayFrom->push();
        QVERIFY(QTest::qWaitFor(playing, 5000));
        QCOMPARE(copies(h).size(), 1);
        QCOMPARE(h.fake->messageTexts(), QStringList());
        TheCount::instance().StopCounting();
    }
};

QTEST_MAIN(SongCopyTest)
#include "tst_songcopy.moc"
