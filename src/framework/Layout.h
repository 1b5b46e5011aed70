#pragma once

// Window and control records: how a window is laid out, kept as data in
// layouts/<Window>.json and compiled into the program.

#include <QColor>
#include <QJsonObject>
#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace fw {

enum class Placement { Default = 0, ParentWindow = 1, MainScreen = 2 };

struct WindowRecord {
    QString name;
    QString title;
    int width = 300;
    int height = 300;
    int minWidth = 64;
    int minHeight = 64;
    int maxWidth = 32000;
    int maxHeight = 32000;
    bool resizable = true;
    bool closeButton = true;
    bool minimizeButton = true;
    bool maximizeButton = true;
    bool visible = true;
    bool menuBar = true;
    Placement placement = Placement::Default;
    std::optional<QColor> backColor;
};

enum class Alignment { Default, Left, Center, Right };
// The toolkit's horizontal alignment for a laid-out one (Default is left).
Qt::Alignment horizontalAlignment(Alignment alignment);

struct ControlRecord {
    QString name;
    int index = -1;                // member of a control array when >= 0
    QString kind;                  // StaticText, EditField, PushButton, ...
    QString parent;                // the containing group box or tab panel, or empty
    int page = 0;                  // the tab page (1-based) inside a tab panel
    QRect rect;                    // in the window's content coordinates
    bool lockLeft = false;
    bool lockTop = false;
    bool lockRight = false;
    bool lockBottom = false;
    QString text;                  // caption or initial text
    int textSize = 12;             // points as laid out
    bool bold = false;
    std::optional<QColor> textColor;
    Alignment alignment = Alignment::Default;
    QString helpTag;
    bool visible = true;
    bool enabled = true;
    QJsonObject settings;          // what only this kind of control has

    QString key() const;           // "name" or "name(index)"
};

struct LayoutRecords {
    WindowRecord window;
    std::vector<ControlRecord> controls;   // in creation order
};

// The records of a window, read once from the compiled-in layout file.
// Throws std::runtime_error when the file is missing or malformed: a layout
// is part of the program, so that is a build fault, not a user's.
const LayoutRecords& layoutRecords(const QString& windowName);

// Parses a layout file's text.
LayoutRecords parseLayout(const QByteArray& json, const QString& sourceName);

// Makes records known under their window's name, as if compiled in (tests
// build windows of their own this way).
void registerLayout(const LayoutRecords& records);

} // namespace fw
