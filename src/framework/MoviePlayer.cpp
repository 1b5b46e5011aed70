#include "framework/MoviePlayer.h"

#include "framework/Mp3Length.h"

#include <QAudioOutput>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QMediaPlayer>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>

namespace fw {
namespace {

// How long a load may take before it is started again (see open()).
constexpr int kFirstPatienceMs = 250;

// The platform's player ends every play it starts from a seek (and it seeks
// to ready a file, to stop one and to set a position) at the length it knows
// at that moment. An MP3 file whose frames vary in bitrate and that tells its
// length nowhere has its length guessed from its first frames, so it would
// stop wherever the guess fell. Such a file is played from a copy that tells
// its length; any other file needs none (nothing).
std::unique_ptr<QTemporaryFile> copyTellingLength(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0)
        return nullptr;
    const qint64 size = file.size();
    const uchar* data = file.map(0, size);
    if (!data)
        return nullptr;
    const QByteArrayView bytes(data, size);
    const Mp3LengthHeader header = mp3LengthHeader(bytes);
    if (header.frame.isEmpty())
        return nullptr;
    auto copy = std::make_unique<QTemporaryFile>(QDir::temp().filePath(QStringLiteral("corvantis-XXXXXX.mp3")));
    const QByteArrayView rest = bytes.sliced(header.at);
    if (!copy->open() || copy->write(bytes.first(header.at).data(), header.at) != header.at
        || copy->write(header.frame) != header.frame.size() || copy->write(rest.data(), rest.size()) != rest.size()
        || !copy->flush())
        return nullptr;   // played as it is: to the guessed length
    return copy;
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
    m_hasMovie = true;
    m_failed = false;
    m_played = false;
    std::unique_ptr<QTemporaryFile> copy = copyTellingLength(file.posixPath());
    const QUrl source = QUrl::fromLocalFile(copy ? copy->fileName() : file.posixPath());
    load(source);
    m_copy = std::move(copy);
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
    m_player->setSource(source);
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
    return m_player->duration() / 1000.0;
}

double MoviePlayer::position() const
{
    if (m_reported)
        return *m_reported;
    if (!m_hasMovie || m_failed)
        return 0.0;
    return m_player->position() / 1000.0;
}

void MoviePlayer::setPosition(double seconds)
{
    if (!m_hasMovie || m_failed)
        return;
    m_player->setPosition(static_cast<qint64>(std::max(0.0, seconds) * 1000.0 + 0.5));
}

void MoviePlayer::play()
{
    if (m_hasMovie && !m_failed) {
        m_player->play();
        m_played = true;
    }
}

void MoviePlayer::stop()
{
    cutShortOpening();
    m_played = false;
    // Stops where it is: the movie stays loaded at its position.
    if (m_hasMovie && !m_failed)
        m_player->pause();
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
    m_hasMovie = false;
    m_played = false;
}

} // namespace fw
