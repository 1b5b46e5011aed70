#include "framework/MoviePlayer.h"

#include <QAudioOutput>
#include <QEventLoop>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

namespace fw {

MoviePlayer::MoviePlayer(Window& window, const ControlRecord& record)
    : Control(window, record)
    , m_player(new QMediaPlayer(this))
    , m_output(new QAudioOutput(this))
{
    m_player->setAudioOutput(m_output);
    m_player->setLoops(1);
}

MoviePlayer::~MoviePlayer()
{
    m_player->stop();
}

bool MoviePlayer::open(const FolderItem& file, int timeoutMs)
{
    cutShortOpening();
    const quint64 mine = m_opens;
    m_player->stop();
    m_hasMovie = true;
    m_failed = false;
    m_player->setSource(QUrl::fromLocalFile(file.posixPath()));

    auto settled = [this] {
        const QMediaPlayer::MediaStatus s = m_player->mediaStatus();
        return s == QMediaPlayer::LoadedMedia || s == QMediaPlayer::BufferedMedia
            || s == QMediaPlayer::EndOfMedia || s == QMediaPlayer::InvalidMedia
            || s == QMediaPlayer::NoMedia || m_player->error() != QMediaPlayer::NoError;
    };
    if (settled() && m_player->mediaStatus() != QMediaPlayer::NoMedia) {
        m_failed = m_player->error() != QMediaPlayer::NoError
            || m_player->mediaStatus() == QMediaPlayer::InvalidMedia;
        return true;
    }
    QEventLoop wait;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &wait, &QEventLoop::quit);
    auto check = [&] {
        if (m_player->mediaStatus() != QMediaPlayer::LoadingMedia && settled())
            wait.quit();
    };
    const auto statusLink = connect(m_player, &QMediaPlayer::mediaStatusChanged, &wait, check);
    const auto errorLink = connect(m_player, &QMediaPlayer::errorOccurred, &wait, [&] { wait.quit(); });
    limit.start(timeoutMs);
    m_wait = &wait;
    wait.exec();
    if (m_wait == &wait)
        m_wait = nullptr;
    disconnect(statusLink);
    disconnect(errorLink);
    if (mine != m_opens)
        return false;   // what cut the wait short has the player now
    const QMediaPlayer::MediaStatus s = m_player->mediaStatus();
    m_failed = m_player->error() != QMediaPlayer::NoError || s == QMediaPlayer::InvalidMedia
        || s == QMediaPlayer::LoadingMedia || s == QMediaPlayer::NoMedia;
    return true;
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
    if (m_hasMovie && !m_failed)
        m_player->play();
}

void MoviePlayer::stop()
{
    cutShortOpening();
    // Stops where it is: the movie stays loaded at its position.
    if (m_hasMovie && !m_failed)
        m_player->pause();
}

bool MoviePlayer::isPlaying() const
{
    return m_player->playbackState() == QMediaPlayer::PlayingState;
}

void MoviePlayer::windowClosing()
{
    cutShortOpening();
    m_player->stop();
    m_player->setSource(QUrl());
    m_hasMovie = false;
}

} // namespace fw
