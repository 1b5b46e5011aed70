#include "framework/Platform.h"

#include "framework/FolderItem.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace fw {

namespace {

class DesktopPlatform final : public Platform {
public:
    MsgAnswer showMessage(const MessageRequest& request) override
    {
        QMessageBox box;
        box.setText(request.text);
        box.setWindowTitle(request.title);
        switch (request.icon) {
        case MsgIcon::Caution: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::None: break;
        }
        switch (request.buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            box.exec();
            return MsgAnswer::Ok;
        case MsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Ok);
            return box.exec() == QMessageBox::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            return box.exec() == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
        }
        return MsgAnswer::Cancel;
    }

    void beep() override { QApplication::beep(); }

    void openUrl(const QString& url) override
    {
        QUrl target = QUrl::fromUserInput(url);
        QDesktopServices::openUrl(target);
    }

    void openFolder(const QString& posixPath) override
    {
        QDesktopServices::openUrl(QUrl::fromLocalFile(posixPath));
    }

    std::optional<QString> chooseFile(const QString& fileType) override
    {
        Q_UNUSED(fileType); // every declared type the program asks for admits any file
        const QString path = QFileDialog::getOpenFileName(QApplication::activeWindow());
        if (path.isEmpty())
            return std::nullopt;
        return path;
    }

    std::optional<QString> popupMenu(const QStringList& rows, const QPoint& globalPos) override
    {
        QMenu menu;
        for (const QString& row : rows) {
            if (row == QLatin1String("-"))
                menu.addSeparator();
            else
                menu.addAction(row);
        }
        const QAction* chosen = menu.exec(globalPos);
        if (!chosen)
            return std::nullopt;
        return chosen->text();
    }
};

std::unique_ptr<Platform>& current()
{
    static std::unique_ptr<Platform> instance = std::make_unique<DesktopPlatform>();
    return instance;
}

} // namespace

qint64 Platform::writeFile(int fd, const char* data, qint64 size)
{
    return ::write(fd, data, size_t(size));
}

int Platform::syncFile(int fd)
{
    return ::fsync(fd);
}

int Platform::truncateFile(int fd, qint64 size)
{
    return ::ftruncate(fd, off_t(size));
}

int Platform::closeFile(int fd)
{
    return ::close(fd);
}

int Platform::createUnnamedFile(const char* folder)
{
    return ::open(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
}

int Platform::reserveFile(int fd, qint64 size)
{
    // Where every block written goes to a new place, writing over the file
    // takes room for all of its new bytes, which no call reserves: it is
    // written only where the disk has that room free now.
    constexpr std::array<__fsword_t, 3> kCopyOnWrite = {
        0x9123683E,   // btrfs
        0x2FC12FC1,   // ZFS
        0xCA451A4E,   // bcachefs
    };
    struct statfs disk {};
    if (::fstatfs(fd, &disk) == 0 && std::ranges::find(kCopyOnWrite, disk.f_type) != kCopyOnWrite.end()) {
        errno = ENOSPC;
        return size > 0 && qint64(disk.f_bavail) * qint64(disk.f_bsize) < size ? -1 : 0;
    }
    if (size <= 0)
        return 0;
    // Blocks the file shares with a copy of it (a reflink) are made its own
    // first, where the file system shares blocks; elsewhere there are none.
    for (const int mode : {FALLOC_FL_UNSHARE_RANGE | FALLOC_FL_KEEP_SIZE, FALLOC_FL_KEEP_SIZE}) {
        const int done = uninterrupted([&] { return ::fallocate(fd, mode, 0, size); });
        if (done == 0 || (errno != EOPNOTSUPP && errno != EINVAL))
            return done;
    }
    errno = EOPNOTSUPP;
    return -1;
}

Platform& platform() { return *current(); }

std::unique_ptr<Platform> setPlatform(std::unique_ptr<Platform> replacement)
{
    std::unique_ptr<Platform> previous = std::move(current());
    current() = std::move(replacement);
    return previous;
}

void MsgBox(const QString& text)
{
    platform().showMessage({text, QString(), MsgButtons::Ok, MsgIcon::None});
}

MsgAnswer Ask(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon)
{
    return platform().showMessage({text, title, buttons, icon});
}

void Beep() { platform().beep(); }

void ShowURL(const QString& url)
{
    // Only web addresses go to the browser: a link text from an imported
    // file must not open a local file or run a program's handler.
    const QString scheme = QUrl::fromUserInput(url).scheme();
    if (url.trimmed().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        platform().beep();
        return;
    }
    platform().openUrl(url);
}

void OpenFolder(const FolderItem& folder)
{
    if (folder.valid())
        platform().openFolder(folder.posixPath());
}

FolderItem GetOpenFolderItem(const QString& fileType)
{
    const std::optional<QString> path = platform().chooseFile(fileType);
    if (!path)
        return FolderItem();
    return FolderItem::fromPosixPath(*path);
}

} // namespace fw
