#include "framework/Layout.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <stdexcept>

namespace fw {

namespace {

[[noreturn]] void fail(const QString& source, const QString& what)
{
    throw std::runtime_error(QStringLiteral("layout %1: %2").arg(source, what).toStdString());
}

std::optional<QColor> colourOf(const QJsonValue& value, const QString& source)
{
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    const QColor colour(value.toString());
    if (!colour.isValid())
        fail(source, QStringLiteral("bad colour %1").arg(value.toString()));
    return colour;
}

Alignment alignmentOf(const QString& text, const QString& source)
{
    if (text.isEmpty() || text == QLatin1String("default"))
        return Alignment::Default;
    if (text == QLatin1String("left"))
        return Alignment::Left;
    if (text == QLatin1String("center"))
        return Alignment::Center;
    if (text == QLatin1String("right"))
        return Alignment::Right;
    fail(source, QStringLiteral("bad alignment %1").arg(text));
}

WindowRecord windowRecordOf(const QJsonObject& o, const QString& source)
{
    WindowRecord w;
    w.name = o.value(QStringLiteral("name")).toString();
    if (w.name.isEmpty())
        fail(source, QStringLiteral("window has no name"));
    w.title = o.value(QStringLiteral("title")).toString();
    w.width = o.value(QStringLiteral("width")).toInt(w.width);
    w.height = o.value(QStringLiteral("height")).toInt(w.height);
    w.minWidth = o.value(QStringLiteral("minWidth")).toInt(w.minWidth);
    w.minHeight = o.value(QStringLiteral("minHeight")).toInt(w.minHeight);
    w.maxWidth = o.value(QStringLiteral("maxWidth")).toInt(w.maxWidth);
    w.maxHeight = o.value(QStringLiteral("maxHeight")).toInt(w.maxHeight);
    w.resizable = o.value(QStringLiteral("resizable")).toBool(w.resizable);
    w.closeButton = o.value(QStringLiteral("closeButton")).toBool(w.closeButton);
    w.minimizeButton = o.value(QStringLiteral("minimizeButton")).toBool(w.minimizeButton);
    w.maximizeButton = o.value(QStringLiteral("maximizeButton")).toBool(w.maximizeButton);
    w.visible = o.value(QStringLiteral("visible")).toBool(w.visible);
    w.menuBar = o.value(QStringLiteral("menuBar")).toBool(w.menuBar);
    w.placement = static_cast<Placement>(o.value(QStringLiteral("placement")).toInt(0));
    w.backColor = colourOf(o.value(QStringLiteral("backColor")), source);
    return w;
}

ControlRecord controlRecordOf(const QJsonObject& o, const QString& source)
{
    static const QStringList known = {
        QStringLiteral("name"), QStringLiteral("index"), QStringLiteral("kind"),
        QStringLiteral("parent"), QStringLiteral("page"), QStringLiteral("left"),
        QStringLiteral("top"), QStringLiteral("width"), QStringLiteral("height"),
        QStringLiteral("lock"), QStringLiteral("text"), QStringLiteral("textSize"),
        QStringLiteral("bold"), QStringLiteral("textColor"), QStringLiteral("align"),
        QStringLiteral("helpTag"), QStringLiteral("visible"), QStringLiteral("enabled"),
    };
    ControlRecord c;
    c.name = o.value(QStringLiteral("name")).toString();
    c.kind = o.value(QStringLiteral("kind")).toString();
    if (c.name.isEmpty() || c.kind.isEmpty())
        fail(source, QStringLiteral("a control needs a name and a kind"));
    c.index = o.value(QStringLiteral("index")).toInt(-1);
    c.parent = o.value(QStringLiteral("parent")).toString();
    c.page = o.value(QStringLiteral("page")).toInt(0);
    c.rect = QRect(o.value(QStringLiteral("left")).toInt(), o.value(QStringLiteral("top")).toInt(),
                   o.value(QStringLiteral("width")).toInt(), o.value(QStringLiteral("height")).toInt());
    for (const QJsonValue edge : o.value(QStringLiteral("lock")).toArray()) {
        const QString e = edge.toString();
        if (e == QLatin1String("left"))
            c.lockLeft = true;
        else if (e == QLatin1String("top"))
            c.lockTop = true;
        else if (e == QLatin1String("right"))
            c.lockRight = true;
        else if (e == QLatin1String("bottom"))
            c.lockBottom = true;
        else
            fail(source, QStringLiteral("%1: bad edge %2").arg(c.name, e));
    }
    c.text = o.value(QStringLiteral("text")).toString();
    c.textSize = o.value(QStringLiteral("textSize")).toInt(c.textSize);
    c.bold = o.value(QStringLiteral("bold")).toBool(false);
    c.textColor = colourOf(o.value(QStringLiteral("textColor")), source);
    c.alignment = alignmentOf(o.value(QStringLiteral("align")).toString(), source);
    c.helpTag = o.value(QStringLiteral("helpTag")).toString();
    c.visible = o.value(QStringLiteral("visible")).toBool(true);
    c.enabled = o.value(QStringLiteral("enabled")).toBool(true);
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (!known.contains(it.key()))
            c.settings.insert(it.key(), it.value());
    }
    return c;
}

} // namespace

Qt::Alignment horizontalAlignment(Alignment alignment)
{
    switch (alignment) {
    case Alignment::Center: return Qt::AlignHCenter;
    case Alignment::Right: return Qt::AlignRight;
    case Alignment::Left:
    case Alignment::Default: break;
    }
    return Qt::AlignLeft;
}

QString ControlRecord::key() const
{
    return index < 0 ? name : QStringLiteral("%1(%2)").arg(name).arg(index);
}

LayoutRecords parseLayout(const QByteArray& json, const QString& sourceName)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (doc.isNull())
        fail(sourceName, error.errorString());
    const QJsonObject root = doc.object();
    LayoutRecords records;
    records.window = windowRecordOf(root.value(QStringLiteral("window")).toObject(), sourceName);
    QStringList seen;
    for (const QJsonValue v : root.value(QStringLiteral("controls")).toArray()) {
        ControlRecord c = controlRecordOf(v.toObject(), sourceName);
        if (seen.contains(c.key()))
            fail(sourceName, QStringLiteral("control %1 appears twice").arg(c.key()));
        if (!c.parent.isEmpty() && !seen.contains(c.parent))
            fail(sourceName, QStringLiteral("%1 lies in %2, which is not created before it").arg(c.key(), c.parent));
        seen << c.key();
        records.controls.push_back(std::move(c));
    }
    return records;
}

namespace {
QHash<QString, LayoutRecords>& layoutCache()
{
    static QHash<QString, LayoutRecords> cache;
    return cache;
}
} // namespace

void registerLayout(const LayoutRecords& records)
{
    layoutCache().insert(records.window.name, records);
}

const LayoutRecords& layoutRecords(const QString& windowName)
{
    QHash<QString, LayoutRecords>& cache = layoutCache();
    auto it = cache.constFind(windowName);
    if (it != cache.constEnd())
        return *it;
    const QString path = QStringLiteral(":/layouts/%1.json").arg(windowName);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(path, QStringLiteral("not compiled into the program"));
    return *cache.insert(windowName, parseLayout(file.readAll(), path));
}

} // namespace fw
