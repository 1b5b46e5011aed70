#include "framework/FolderItem.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using fw::FolderItem;

class TestFolderItem : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("posix");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<QString>("colon");
        QTest::newRow("file") << "/home/ana/Music/Song.mp3" << false << "home:ana:Music:Song.mp3";
        QTest::newRow("folder") << "/home/ana/Music" << true << "home:ana:Music:";
        QTest::newRow("colon in name") << "/srv/a:b.mp3" << false << "srv:a/b.mp3";
        QTest::newRow("spaces, quotes") << "/Dance Hall/It's \"Tango\" .wav" << false << "Dance Hall:It's \"Tango\" .wav";
        QTest::newRow("non-ASCII") << QStringLiteral("/zoë/Canción ♪") << true << QStringLiteral("zoë:Canción ♪:");
    }
    void roundTrip()
    {
        QFETCH(QString, posix);
        QFETCH(bool, isFolder);
        QFETCH(QString, colon);
        QCOMPARE(fw::colonPathFromPosix(posix, isFolder), colon);
        QCOMPARE(fw::posixPathFromColon(colon), std::optional<QString>(posix));
    }

    void refusedForms()
    {
        for (const char* colon : {"", "Song.mp3", ":home:ana", "a::b"}) {
            QCOMPARE(fw::posixPathFromColon(QString::fromLatin1(colon)), std::nullopt);
            QVERIFY(!FolderItem::fromAbsolutePath(QString::fromLatin1(colon)).valid());
        }
        QCOMPARE(fw::colonPathFromPosix(QStringLiteral("/"), true), QString());
        QCOMPARE(fw::colonPathFromPosix(QStringLiteral("Music/Song.mp3"), false), QString());
        QVERIFY(!FolderItem::fromPosixPath(QStringLiteral("Music/Song.mp3")).valid());
    }

    void onDisk()
    {
        QTemporaryDir dir;
        const FolderItem folder = FolderItem::fromPosixPath(dir.path() + QStringLiteral("//"));
        QVERIFY(folder.posixPath() == dir.path() && folder.isDirectory());
        QCOMPARE(FolderItem::fromAbsolutePath(folder.absolutePath()), folder);
        const FolderItem songs = folder.child(QStringLiteral("Songs"));
        QVERIFY(songs.valid() && !songs.exists() && !songs.absolutePath().endsWith(u':'));
        QVERIFY(songs.child(QStringLiteral("deeper")).createAsFolder());
        QVERIFY(songs.isDirectory() && songs.absolutePath().endsWith(u':'));
        for (const char* bad : {"", "a/b", ".."})
            QVERIFY(!folder.child(QString::fromLatin1(bad)).valid());
        // A picture reads; a text file, a missing file and a folder under a file do not.
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(folder.child(QStringLiteral("cover.png")).posixPath()));
        QFile text(folder.child(QStringLiteral("cover.txt")).posixPath());
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a picture") > 0);
        text.close();
        const std::optional<QImage> cover = folder.child(QStringLiteral("cover.png")).openAsPicture();
        QVERIFY(cover && cover->size() == QSize(4, 3));
        QVERIFY(!folder.child(QStringLiteral("cover.txt")).openAsPicture());
        QVERIFY(!folder.child(QStringLiteral("missing.png")).openAsPicture());
        QVERIFY(!folder.child(QStringLiteral("cover.txt")).child(QStringLiteral("x")).createAsFolder());
    }

    // Without a usable XDG_DATA_HOME the data home is inside the home folder.
    void dataHomeWithoutXdgDataHome()
    {
        const testing::TestEnvironment environment(testing::TestEnvironment::Starter::None);   // restores XDG_DATA_HOME
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", environment.root().toUtf8());
        qputenv("XDG_DATA_HOME", "relative/data");
        const FolderItem fallback = fw::SpecialFolder::ApplicationData();
        qputenv("HOME", oldHome);
        QCOMPARE(fallback.posixPath(), environment.root() + QStringLiteral("/.local/share"));
    }
};

QTEST_GUILESS_MAIN(TestFolderItem)
#include "tst_folderitem.moc"
