#include "framework/MoviePlayer.h"

#include "framework/FileWriter.h"
#include "framework/Mp3Length.h"

#include <QAudioOutput>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMediaPlayer>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <csignal>

namespace fw {
namespace {

// How long a load may take before it is started again (see open()).
constexpr int kFirstPatienceMs = 250;

// The copies that live players play from, by path: the ones a new run
// must not take for a killed run's.
QSet<QString>& liveCopies()
{
    static QSet<QString> paths;
    return paths;
}

} // namespace

// A temporary copy a player plays from: removed when it goes.
class TemporaryCopy {
public:
    explicit TemporaryCopy(const QString& path)
        : m_path(path)
    {
        liveCopies().insert(m_path);
    }
    ~TemporaryCopy()
    {
        QFile::remove(m_path);
        liveCopies().remove(m_path);
    }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;
    QString fileName() const { return m_path; }

private:
    QString m_path;
};

namespace {

// A copy's name tells the run that made it: "play-<process id>-XXXXXX.mp3".
const QString kCopyPrefix = QStringLiteral("play-");

// True while the process of this number runs (also another user's).
bool running(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

struct Copying {
    std::unique_ptr<TemporaryCopy> copy;    // none: the file needs none, or none could be made
    QString problem;                        // why none could be made
};

// The platform's player ends every play it starts from a seek (and it seeks
// to ready a file, to stop one and to set a position) at the length it knows
// at that moment. An MP3 file whose frames vary in bitrate and that tells its
// length nowhere has its length guessed from its first frames, so it would
// stop wherever the guess fell. Such a file is played from a copy that tells
// its length; any other file needs none.
Copying copyTellingLength(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0)
        return {};
    const qint64 size = file.size();
    const uchar* data = file.map(0, size);
    if (!data)
        return {};
    const QByteArrayView bytes(data, size);
    const Mp3LengthHeader header = mp3LengthHeader(bytes);
    if (header.frame.isEmpty())
        return {};
    const FolderItem folder = MoviePlayer::copyFolder();
    if (!folder.valid())
        return {nullptr, QStringLiteral("There is no home folder.")};
    QString problem;
    if (!folder.createAsFolder(&problem))
        return {nullptr, problem};
    FileWriter copy;
    if (!copy.openNew(folder.posixPath() + u'/' + kCopyPrefix + QString::number(QCoreApplication::applicationPid())
                      + QStringLiteral("-XXXXXX.mp3")))
        return {nullptr, copy.errorString()};
    copy.write(bytes.first(header.at));
    copy.write(header.frame);
    copy.write(bytes.sliced(header.at));
    if (!copy.commit())
        return {nullptr, copy.errorString()};   // the part written is removed
    return {std::make_unique<TemporaryCopy>(copy.fileName()), QString()};
}

} // namespace

MoviePlayer::MoviePlayer(Window& window, const ControlRecord& record)
    : Control(window, record)
{
    load(QUrl());
}

MoviePlayer::~MoviePlayer()
{
    m_player->stop();
}

bool MoviePlayer::open(const FolderItem& file, int timeoutMs)
{
    cutShortOpening();
    const quint64 mine = m_opens;
    // The last song's copy goes first: the new one may need its room.
    releaseCopy();
    m_released.reset();
    m_hasMovie = true;
    m_failed = false;
    m_played = false;
    Copying copying = copyTellingLength(file.posixPath());
    m_copyProblem = copying.problem;
    if (!m_copyProblem.isEmpty()) {
        // Played as it is, it would stop early without a word.
        load(QUrl());
        m_failed = true;
        return true;
    }
    const QUrl source = QUrl::fromLocalFile(copying.copy ? copying.copy->fileName() : file.posixPath());
    load(source);
    m_copy = std::move(copying.copy);
    const QDeadlineTimer deadline(timeoutMs);

    auto failed = [this] {
        return m_player->error() != QMediaPlayer::NoError || m_player->mediaStatus() == QMediaPlayer::InvalidMedia;
    };
    auto loaded = [this] {
        const QMediaPlayer::MediaStatus s = m_player->mediaStatus();
        return s == QMediaPlayer::LoadedMedia || s == QMediaPlayer::BufferedMedia || s == QMediaPlayer::EndOfMedia;
    };
    // Now and then the platform's player never settles a load: its parser
    // starts before the decoder behind it is ready (seen with AIFF files, the
    // more often the busier the machine). A good file settles within a few
    // tens of milliseconds; one that has not in a while is loaded again by a
    // new player, each time waited for twice as long, up to the deadline.
    int patience = kFirstPatienceMs;
    while (!failed() && !loaded()) {
        const bool last = deadline.remainingTime() <= patience;
        if (waitUntil(last ? deadline : QDeadlineTimer(patience), [&] { return failed() || loaded(); }))
            break;
        if (mine != m_opens)
            return false;   // cut short: what cut it has the player now
        if (last)
            break;
        load(source);
        patience *= 2;
    }
    // Every file is readied paused, which runs the first of its audio
    // through the decoder without a sound, and stopped again, from where it
    // plays. Some files tell their length only then (an MP3 without a header
    // that gives it); the stop, like every seek of the platform's player,
    // ends the play to come at the length known at that moment, and with
    // none known yet the play would end at once.
    if (!failed() && loaded()) {
        m_player->pause();
        if (m_player->duration() <= 0)
            waitUntil(deadline, [&] { return failed() || m_player->duration() > 0; });
        if (mine != m_opens)
            return false;
        m_player->stop();
    }
    m_failed = failed() || !loaded();
    return true;
}

void MoviePlayer::load(const QUrl& source)
{
    // Each file gets a platform player of its own. The platform's player
    // keeps telling the error of a file it could not play after it was given
    // the next one, and word of the old file still on its way arrives as if
    // about the new one: a good song would be taken for a failed one.
    if (m_player) {
        m_player->stop();
        m_player->setSource(QUrl());
        m_player->deleteLater();   // it may be telling of its file right now
    }
    m_player = new QMediaPlayer(this);
    m_player->setAudioOutput(new QAudioOutput(m_player));
    m_player->setLoops(1);
    // A movie played from a copy lets it go at its end, once the platform's
    // player is done telling of it.
    const QPointer<QMediaPlayer> player(m_player);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this, player](QMediaPlayer::MediaStatus status) {
        if (status != QMediaPlayer::EndOfMedia || !m_copy)
            return;
        QMetaObject::invokeMethod(this, [this, player] {
            if (player == m_player && m_played && !m_wait && m_player->mediaStatus() == QMediaPlayer::EndOfMedia)
                releaseCopy();
        }, Qt::QueuedConnection);
    });
    m_player->setSource(source);
}

void MoviePlayer::releaseCopy()
{
    if (!m_copy)
        return;
    m_released = Released{m_player->position() / 1000.0, m_player->duration() / 1000.0};
    load(QUrl());
    m_copy.reset();
}

FolderItem MoviePlayer::copyFolder()
{
    return SpecialFolder::Cache().child(QStringLiteral("Corvantis"));
}

void MoviePlayer::removeLeftCopies()
{
    const FolderItem folder = copyFolder();
    if (!folder.isDirectory())
        return;
    const QDir dir(folder.posixPath());
    const QStringList names = dir.entryList({kCopyPrefix + QStringLiteral("*.mp3")}, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        const qint64 pid = name.mid(kCopyPrefix.size()).section(u'-', 0, 0).toLongLong();
        const bool mine = pid == QCoreApplication::applicationPid();
        if (liveCopies().contains(path) || (!mine && running(pid)))
            continue;   // a copy this run or another running one plays from
        QFile::remove(path);
    }
}

bool MoviePlayer::waitUntil(const QDeadlineTimer& deadline, const std::function<bool()>& done)
{
    if (deadline.hasExpired())
        return false;
    bool reached = false;
    QEventLoop wait;
    QTimer limit;
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer);
    connect(&limit, &QTimer::timeout, &wait, &QEventLoop::quit);
    auto check = [&] {
        if (done()) {
            reached = true;
            wait.quit();
        }
    };
    const QList<QMetaObject::Connection> links = {
        connect(m_player, &QMediaPlayer::mediaStatusChanged, &wait, check),
        connect(m_player, &QMediaPlayer::durationChanged, &wait, check),
        connect(m_player, &QMediaPlayer::errorOccurred, &wait, check),
    };
    limit.start(std::max<qint64>(1, deadline.remainingTime()));
    m_wait = &wait;
    wait.exec();
    if (m_wait == &wait)
        m_wait = nullptr;
    for (const QMetaObject::Connection& link : links)
        disconnect(link);
    return reached;
}

void MoviePlayer::cutShortOpening()
{
    ++m_opens;
    if (m_wait) {
        m_wait->quit();
        m_wait = nullptr;
    }
}

double MoviePlayer::duration() const
{
    if (!m_hasMovie || m_failed)
        return 0.0;
    if (m_released)
        return m_released->duration;
    return m_player->duration() / 1000.0;
}

double MoviePlayer::position() const
{
    if (m_reported)
        return *m_reported;
    if (!m_hasMovie || m_failed)
        return 0.0;
    if (m_released)
        return m_released->position;
    return m_player->position() / 1000.0;
}

void MoviePlayer::setPosition(double seconds)
{
    if (!m_hasMovie || m_failed || m_released)
        return;
    m_player->setPosition(static_cast<qint64>(std::max(0.0, seconds) * 1000.0 + 0.5));
}

void MoviePlayer::play()
{
    if (m_hasMovie && !m_failed && !m_released) {
        m_player->play();
        m_played = true;
    }
}

void MoviePlayer::stop()
{
    cutShortOpening();
    m_played = false;
    // Stops where it is: the movie stays loaded at its position, but for
    // one played from a copy, which lets the copy go.
    if (m_hasMovie && !m_failed && !m_released)
        m_player->pause();
    releaseCopy();
}

bool MoviePlayer::isPlaying() const
{
    return m_player->playbackState() == QMediaPlayer::PlayingState;
}

bool MoviePlayer::hasEnded() const
{
    return m_played && m_player->playbackState() == QMediaPlayer::StoppedState;
}

void MoviePlayer::windowClosing()
{
    cutShortOpening();
    m_player->stop();
    m_player->setSource(QUrl());
    m_copy.reset();
    m_released.reset();
    m_hasMovie = false;
    m_played = false;
}

} // namespace fw
