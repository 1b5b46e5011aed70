#include "framework/FolderItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>

namespace fw {

QString colonPathFromPosix(const QString& posixPath, bool isFolder)
{
    if (!posixPath.startsWith(u'/'))
        return QString();
    // Repeated and trailing slashes separate nothing, so they give no component.
    QStringList components = posixPath.split(u'/', Qt::SkipEmptyParts);
    if (components.isEmpty())
        return QString();
    for (QString& component : components)
        component.replace(u':', u'/');
    QString colonPath = components.join(u':');
    if (isFolder)
        colonPath += u':';
    return colonPath;
}

std::optional<QString> posixPathFromColon(const QString& colonPath)
{
    if (!colonPath.contains(u':') || colonPath.startsWith(u':'))
        return std::nullopt;
    QString body = colonPath;
    if (body.endsWith(u':'))
        body.chop(1);
    QStringList components = body.split(u':');
    for (QString& component : components) {
        if (component.isEmpty())
            return std::nullopt;
        component.replace(u'/', u':');
    }
    return u'/' + components.join(u'/');
}

FolderItem FolderItem::fromPosixPath(const QString& posixPath)
{
    // Relative paths depend on the working folder, which the program never relies on.
    if (!posixPath.startsWith(u'/'))
        return FolderItem();
    return FolderItem(QDir::cleanPath(posixPath));
}

FolderItem FolderItem::fromAbsolutePath(const QString& colonPath)
{
    const std::optional<QString> posixPath = posixPathFromColon(colonPath);
    return posixPath ? fromPosixPath(*posixPath) : FolderItem();
}

bool FolderItem::exists() const { return valid() && QFileInfo::exists(m_path); }

bool FolderItem::isDirectory() const { return valid() && QFileInfo(m_path).isDir(); }

QString FolderItem::name() const { return m_path.section(u'/', -1); }

QString FolderItem::absolutePath() const { return colonPathFromPosix(m_path, isDirectory()); }

FolderItem FolderItem::child(const QString& name) const
{
    // "." and ".." name this folder and its parent, not an item inside it.
    if (!valid() || name.isEmpty() || name.contains(u'/') || name == u"." || name == u"..")
        return FolderItem();
    const QString separator = m_path == u"/" ? QString() : QStringLiteral("/");
    return FolderItem(m_path + separator + name);
}

FolderItem FolderItem::parent() const
{
    if (!valid() || m_path == u"/")
        return FolderItem();
    const qsizetype slash = m_path.lastIndexOf(u'/');
    return FolderItem(slash == 0 ? QStringLiteral("/") : m_path.left(slash));
}

bool FolderItem::createAsFolder(QString* problem) const
{
    if (!valid())
        return false;
    errno = 0;
    const bool made = QDir().mkpath(m_path);
    const int error = errno;
    if (isDirectory())
        return true;
    // Something that is no folder stands in its place, or in a folder's above.
    if (problem)
        *problem = qt_error_string(!made && error != 0 && error != EEXIST ? error : ENOTDIR);
    return false;
}

std::optional<QImage> FolderItem::openAsPicture() const
{
    if (!valid() || !QFileInfo(m_path).isFile())
        return std::nullopt;
    try {
        QImage picture;
        if (!picture.load(m_path))
            return std::nullopt;
        return picture;
    } catch (...) {
        // A picture too large for memory is as unreadable as a damaged one.
        return std::nullopt;
    }
}

namespace SpecialFolder {

namespace {

// An environment variable's folder when it names an absolute path.
std::optional<QString> absoluteFromEnvironment(const char* name)
{
    const QString value = qEnvironmentVariable(name);
    if (value.isEmpty() || !QDir::isAbsolutePath(value))
        return std::nullopt;
    return value;
}

// A folder of the user's, as the desktop finds it: the environment
// variable's when it names an absolute path, else this place in the home
// folder; without either the user has no such folder.
FolderItem userFolder(const char* variable, const QString& inHome)
{
    if (const auto named = absoluteFromEnvironment(variable))
        return FolderItem::fromPosixPath(*named);
    const auto home = absoluteFromEnvironment("HOME");
    if (!home)
        return FolderItem();
    return FolderItem::fromPosixPath(*home + inHome);
}

} // namespace

FolderItem ApplicationData()
{
    return userFolder("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}

FolderItem Cache()
{
    return userFolder("XDG_CACHE_HOME", QStringLiteral("/.cache"));
}

namespace {

// The folder a line of the user's xdg-user-dirs settings gives a name, as
// the desktop reads it: NAME="$HOME/Folder" or NAME="/absolute/folder", in
// shell quoting. Nothing when no line gives one.
std::optional<QString> userDir(const QString& settings, const QString& name, const QString& home)
{
    std::optional<QString> found;
    const QString assignment = name + u'=';
    for (const QString& line : settings.split(u'\n')) {
        const QString text = line.trimmed();
        if (!text.startsWith(assignment))
            continue;
        QString value = text.mid(assignment.size());
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        QString unquoted;
        for (qsizetype k = 0; k < value.size(); ++k) {
            if (value[k] == u'\\' && k + 1 < value.size())
                ++k;
            unquoted += value[k];
        }
        for (const QString& homeName : {QStringLiteral("$HOME"), QStringLiteral("${HOME}")}) {
            if (unquoted == homeName || unquoted.startsWith(homeName + u'/')) {
                unquoted = home + unquoted.mid(homeName.size());
                break;
            }
        }
        if (QDir::isAbsolutePath(unquoted))
            found = unquoted;   // the last line that names it counts, as in the shell
    }
    return found;
}

} // namespace

FolderItem Desktop()
{
    if (const auto desktop = absoluteFromEnvironment("XDG_DESKTOP_DIR"))
        return FolderItem::fromPosixPath(*desktop);
    const auto home = absoluteFromEnvironment("HOME");
    if (!home)
        return FolderItem::fromPosixPath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    const QString configHome = absoluteFromEnvironment("XDG_CONFIG_HOME").value_or(*home + QStringLiteral("/.config"));
    QFile settings(configHome + QStringLiteral("/user-dirs.dirs"));
    if (settings.open(QIODevice::ReadOnly)) {
        const QString text = QString::fromUtf8(settings.readAll());
        if (const auto desktop = userDir(text, QStringLiteral("XDG_DESKTOP_DIR"), *home))
            return FolderItem::fromPosixPath(*desktop);
    }
    return FolderItem::fromPosixPath(*home + QStringLiteral("/Desktop"));
}

FolderItem Applications()
{
    QStringList candidates = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    candidates << QStringLiteral("/usr/share/applications");
    for (const QString& candidate : std::as_const(candidates)) {
        if (QFileInfo(candidate).isDir())
            return FolderItem::fromPosixPath(candidate);
    }
    return FolderItem();
}

} // namespace SpecialFolder

} // namespace fw
