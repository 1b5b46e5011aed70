#include "support/TestEnvironment.h"

#include "generator/StarterLibrary.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

namespace testing {

TestEnvironment::TestEnvironment(Starter starter, double lengthScale)
{
    m_oldDataHome = qgetenv("XDG_DATA_HOME");
    m_oldDesktop = qgetenv("XDG_DESKTOP_DIR");
    // A test on a half-made data folder would fail far from the cause.
    if (!m_dir.isValid() || !QDir(m_dir.path()).mkpath(QStringLiteral("data"))
        || !QDir(m_dir.path()).mkpath(QStringLiteral("Desktop")))
        qFatal("no temporary data folder");
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    qputenv("XDG_DESKTOP_DIR", desktopFolder().toUtf8());
    if (starter == Starter::Installed
        && !(QDir().mkpath(appDataFolder()) && starter::buildStarterLibrary(appDataFolder(), lengthScale)))
        qFatal("the starter library could not be installed");
}

TestEnvironment::~TestEnvironment()
{
    if (m_oldDataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", m_oldDataHome);
    if (m_oldDesktop.isNull())
        qunsetenv("XDG_DESKTOP_DIR");
    else
        qputenv("XDG_DESKTOP_DIR", m_oldDesktop);
}

QString TestEnvironment::dataHome() const { return m_dir.path() + QStringLiteral("/data"); }
QString TestEnvironment::appDataFolder() const { return dataHome() + QStringLiteral("/Corvantis"); }
QString TestEnvironment::databasePath() const { return appDataFolder() + QStringLiteral("/Melvaro.sdb"); }
QString TestEnvironment::desktopFolder() const { return m_dir.path() + QStringLiteral("/Desktop"); }

bool writeWav(const QString& path, double seconds)
{
    std::vector<double> clicks;
    for (double t = 0.5; t < seconds; t += 0.5)
        clicks.push_back(t);
    return starter::writeClickTrack(path, seconds, clicks);
}

QString encodeAudio(const QString& path, const QString& encoder, const QList<Sound>& sounds)
{
    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0"));
    if (launcher.isEmpty())
        return QStringLiteral("gst-launch-1.0 is missing: ./bootstrap.sh installs it");
    QStringList pipeline{QStringLiteral("-q"), QStringLiteral("concat"), QStringLiteral("name=sounds"),
                         QStringLiteral("!"), QStringLiteral("audioconvert"), QStringLiteral("!")};
    pipeline << encoder.split(QLatin1Char(' '), Qt::SkipEmptyParts)
             << QStringList{QStringLiteral("!"), QStringLiteral("filesink"), QStringLiteral("location=") + path};
    for (const Sound& sound : sounds) {
        // Each tenth of a second is one buffer.
        pipeline << QStringLiteral("audiotestsrc") << QStringLiteral("wave=") + sound.wave
                 << QStringLiteral("num-buffers=%1").arg(sound.tenths) << QStringLiteral("samplesperbuffer=4410")
                 << QStringLiteral("!") << QStringLiteral("audio/x-raw,rate=44100,channels=2") << QStringLiteral("!")
                 << QStringLiteral("sounds.");
    }
    QProcess encode;
    encode.start(launcher, pipeline);
    if (!encode.waitForFinished(60000))
        return QStringLiteral("gst-launch-1.0 did not finish");
    if (encode.exitStatus() != QProcess::NormalExit || encode.exitCode() != 0)
        return QString::fromLocal8Bit(encode.readAllStandardError());
    return QString();
}

} // namespace testing
