#include "support/TestEnvironment.h"

#include "generator/StarterLibrary.h"
#include "generator/Wav.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testing {

TestEnvironment::TestEnvironment(Starter starter, double lengthScale)
{
    m_oldDataHome = qgetenv("XDG_DATA_HOME");
    m_oldDesktop = qgetenv("XDG_DESKTOP_DIR");
    m_oldCacheHome = qgetenv("XDG_CACHE_HOME");
    // A test on a half-made data folder would fail far from the cause.
    if (!m_dir.isValid() || !QDir(m_dir.path()).mkpath(QStringLiteral("data"))
        || !QDir(m_dir.path()).mkpath(QStringLiteral("Desktop")))
        qFatal("no temporary data folder");
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    qputenv("XDG_DESKTOP_DIR", desktopFolder().toUtf8());
    qputenv("XDG_CACHE_HOME", cacheHome().toUtf8());
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
    if (m_oldCacheHome.isNull())
        qunsetenv("XDG_CACHE_HOME");
    else
        qputenv("XDG_CACHE_HOME", m_oldCacheHome);
}

QString TestEnvironment::dataHome() const { return m_dir.path() + QStringLiteral("/data"); }
QString TestEnvironment::appDataFolder() const { return dataHome() + QStringLiteral("/Corvantis"); }
QString TestEnvironment::databasePath() const { return appDataFolder() + QStringLiteral("/Melvaro.sdb"); }
QString TestEnvironment::desktopFolder() const { return m_dir.path() + QStringLiteral("/Desktop"); }
QString TestEnvironment::cacheHome() const { return m_dir.path() + QStringLiteral("/cache"); }

namespace {
void setEnvironment(const char* name, const QByteArray& value)
{
    if (value.isEmpty())
        qunsetenv(name);
    else
        qputenv(name, value);
}
} // namespace

ScopedEnvironment::ScopedEnvironment(std::initializer_list<std::pair<const char*, QString>> values)
{
    for (const auto& [name, value] : values) {
        m_before.emplace_back(name, qgetenv(name));
        setEnvironment(name, value.toUtf8());
    }
}

ScopedEnvironment::~ScopedEnvironment()
{
    for (auto it = m_before.rbegin(); it != m_before.rend(); ++it)
        setEnvironment(it->first, it->second);
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    struct sigaction now {};
    rlimit limit {};
    if (sigaction(SIGXFSZ, nullptr, &now) != 0 || now.sa_handler == SIG_DFL || getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    m_before = limit.rlim_cur;
    limit.rlim_cur = rlim_t(bytes);
    m_holds = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit {};
    if (m_holds && getrlimit(RLIMIT_FSIZE, &limit) == 0) {
        limit.rlim_cur = m_before;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
}

namespace {
// The calling thread's powers (capabilities): get, or set, both halves.
bool threadPowers(quint32 effective[2], bool set)
{
    __user_cap_header_struct header {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    if (!set) {
        effective[0] = data[0].effective;
        effective[1] = data[1].effective;
        return true;
    }
    data[0].effective = effective[0];
    data[1].effective = effective[1];
    return syscall(SYS_capset, &header, data) == 0;
}
} // namespace

OwnPermissionsOnly::OwnPermissionsOnly()
{
    if (!threadPowers(m_effective, false))
        return;
    quint32 fewer[2] = {m_effective[0], m_effective[1]};
    for (const int power : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER, CAP_CHOWN})
        fewer[power / 32] &= ~(1u << (power % 32));
    m_changed = threadPowers(fewer, true);
}

OwnPermissionsOnly::~OwnPermissionsOnly()
{
    if (m_changed)
        threadPowers(m_effective, true);
}

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
    constexpr int rate = 44100;
    std::vector<float> samples;
    starter::wav::Noise noise(7);
    for (const Sound& sound : sounds) {
        for (int n = 0; n < sound.tenths * rate / 10; ++n) {
            if (sound.kind == Sound::Tone)
                samples.push_back(0.5f * starter::wav::sine(440.0 * n / rate));
            else
                samples.push_back(sound.kind == Sound::Noise ? 0.8f * noise.next() : 0.0f);
        }
    }
    const QString raw = path + QStringLiteral(".raw.wav");
    if (!starter::wav::write(raw, samples, rate))
        return QStringLiteral("cannot write ") + raw;
    QStringList pipeline = QStringList{QStringLiteral("-q"), QStringLiteral("filesrc"), QStringLiteral("location=") + raw,
                                       QStringLiteral("!"), QStringLiteral("wavparse"), QStringLiteral("!"),
                                       QStringLiteral("audioconvert"), QStringLiteral("!"),
                                       QStringLiteral("audio/x-raw,channels=2"), QStringLiteral("!")}
        + encoder.split(QLatin1Char(' '), Qt::SkipEmptyParts)
        + QStringList{QStringLiteral("!"), QStringLiteral("filesink"), QStringLiteral("location=") + path};
    QProcess encode;
    encode.start(launcher, pipeline);
    const bool finished = encode.waitForFinished(60000);
    QFile::remove(raw);
    if (!finished)
        return QStringLiteral("gst-launch-1.0 did not finish");
    if (encode.exitStatus() != QProcess::NormalExit || encode.exitCode() != 0)
        return QString::fromLocal8Bit(encode.readAllStandardError());
    return QString();
}

} // namespace testing
