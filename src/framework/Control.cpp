#include "framework/Control.h"

#include "framework/Window.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>

namespace fw {

namespace {
bool s_lastPressContextual = false;

FolderItem firstDroppedFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls())
        return FolderItem();
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile())
            return FolderItem::fromPosixPath(url.toLocalFile());
    }
    return FolderItem();
}
} // namespace

bool IsContextualClick() { return s_lastPressContextual; }

QString keyCharacter(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left: return QString(QChar(28));
    case Qt::Key_Right: return QString(QChar(29));
    case Qt::Key_Up: return QString(QChar(30));
    case Qt::Key_Down: return QString(QChar(31));
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return QString(QChar(9));
    case Qt::Key_Return:
    case Qt::Key_Enter: return QString(QChar(13));
    case Qt::Key_Escape: return QString(QChar(27));
    default: return event->text();
    }
}

int pixelSizeForPoints(int points)
{
    return std::max(1, static_cast<int>(std::lround(points * 1.2)));
}

// Every text a control shows is whole. The layouts give each control the
// room its text takes in the narrower system font they were made for; the
// fonts found here are wider, and drawn a little larger (pixelSizeForPoints),
// so a text can need more room than its control has. No control grows or
// moves for it (it would cover its neighbours, and some texts are wider than
// their window): every control keeps the place, size, creation order and text
// it was laid out with. Instead, a text that does not fit is drawn in its own
// font made narrower, just as much as it needs, its letters as high as
// before. The narrowing stops at kNarrowestStretch: a text that would need
// more (a long note in a narrow list column) keeps its font and is cut short
// as before. Every control that shows text takes its font from here: labels,
// push and radio buttons, group titles, tabs, list cells and headings. The
// font returned always states its stretch, so a control never takes on a
// narrowing its container needed.
QFont fittedFont(const QFont& font, const std::function<double(const QFont&)>& need)
{
    const auto stretched = [&font](int stretch) {
        QFont narrower = font;
        narrower.setStretch(stretch);
        return narrower;
    };
    const auto fits = [&](int stretch) { return need(stretched(stretch)) <= 1.0; };
    const QFont whole = stretched(QFont::Unstretched);
    const double share = need(whole);
    if (share <= 1.0)
        return whole;
    // A text's width goes with its stretch, so the first try is the stretch
    // that takes just the room there is, then the one above it: a single line
    // is settled there. Otherwise the widest stretch that fits is looked for
    // between `low`, which fits, and `high`.
    const int guess = std::clamp(static_cast<int>(static_cast<double>(QFont::Unstretched) / share),
                                 kNarrowestStretch, QFont::Unstretched - 1);
    int low = kNarrowestStretch;
    int high = QFont::Unstretched - 1;
    if (fits(guess)) {
        if (guess == high || !fits(guess + 1))
            return stretched(guess);
        low = guess + 1;
    } else {
        if (guess == low || !fits(low))
            return whole;
        high = guess - 1;
    }
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (fits(middle))
            low = middle;
        else
            high = middle - 1;
    }
    return stretched(low);
}

double shareOfBox(const QFont& font, const QString& text, const QRect& box, int flags)
{
    const QRect need = QFontMetrics(font).boundingRect(QRect(QPoint(0, 0), box.size()), flags, text);
    const auto share = [](int needed, int has) {
        return needed <= 0 ? 0.0 : has <= 0 ? std::numeric_limits<double>::infinity()
                                            : static_cast<double>(needed) / has;
    };
    return std::max(share(need.width(), box.width()), share(need.height(), box.height()));
}

void lowerTextSize(std::initializer_list<Control*> controls, int points)
{
    for (Control* control : controls)
        control->setTextSize(control->textSize() - points);
}

Control::Control(Window& window, const ControlRecord& record)
    : QObject(&window)
    , m_window(window)
    , m_record(record)
    , m_rect(record.rect)
    , m_visible(record.visible)
    , m_enabled(record.enabled)
    , m_textSize(record.textSize)
    , m_helpTag(record.helpTag)
{
    setObjectName(record.key());
    if (!record.parent.isEmpty())
        m_container = window.findControl(record.parent);
}

Control::~Control() = default;

QWidget* Control::hostWidget() const
{
    return m_container ? m_container->childHost(m_record.page) : m_window.content();
}

QPoint Control::childOrigin(int page) const
{
    Q_UNUSED(page);
    return m_rect.topLeft();
}

QWidget* Control::childHost(int page) const
{
    Q_UNUSED(page);
    return m_widget;
}

void Control::attachWidget(QWidget* widget)
{
    m_widget = widget;
    m_font = widget->font();
    widget->setObjectName(m_record.key());
    applyGeometry();
    applyTextSize();
    if (!m_helpTag.isEmpty())
        widget->setToolTip(m_helpTag);
    widget->setEnabled(m_enabled);
    widget->setVisible(m_visible);
    if (QWidget* target = mouseTarget())
        target->installEventFilter(this);
}

void Control::applyGeometry()
{
    if (!m_widget)
        return;
    const QPoint origin = m_container ? m_container->childOrigin(m_record.page) : QPoint(0, 0);
    const QSize before = m_widget->size();
    m_widget->setGeometry(m_rect.translated(-origin));
    if (m_widget->size() != before)
        fitText();
}

void Control::applyTextSize()
{
    if (!m_widget)
        return;
    m_font = m_widget->font();
    m_font.setPixelSize(pixelSizeForPoints(m_textSize));
    m_font.setBold(m_record.bold);
    m_font.setStretch(QFont::Unstretched);
    fitText();
}

void Control::fitText()
{
    if (m_widget)
        m_widget->setFont(m_font);
}

void Control::setLeft(int left)
{
    m_rect.moveLeft(left);
    applyGeometry();
}

void Control::setTop(int top)
{
    m_rect.moveTop(top);
    applyGeometry();
}

void Control::setWidth(int width)
{
    m_rect.setWidth(width);
    applyGeometry();
}

void Control::setHeight(int height)
{
    m_rect.setHeight(height);
    applyGeometry();
}

void Control::setVisible(bool visible)
{
    m_visible = visible;
    if (m_widget)
        m_widget->setVisible(visible);
}

void Control::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (m_widget)
        m_widget->setEnabled(enabled);
}

void Control::setTextSize(int points)
{
    m_textSize = points;
    applyTextSize();
}

void Control::setHelpTag(const QString& tag)
{
    m_helpTag = tag;
    if (m_widget)
        m_widget->setToolTip(tag);
}

void Control::refresh()
{
    if (m_widget)
        m_widget->update();
}

void Control::acceptFileDrop(const QString& fileType)
{
    // Every type the program declares ("special/any") admits any file.
    Q_UNUSED(fileType);
    m_acceptsDrops = true;
    if (QWidget* target = mouseTarget()) {
        target->setAcceptDrops(true);
        if (target != m_widget)
            m_widget->setAcceptDrops(true);
    }
}

void Control::followWindowResize(const QSize& before, const QSize& now)
{
    // Incremental, so that a control moved by code keeps its new place. A
    // control inside a group box or tab panel moves with its container and
    // follows the container's size instead of the window's.
    QPoint move(0, 0);
    QSize grow = now - before;
    if (m_container) {
        move = m_container->m_lastMove;
        grow = m_container->m_lastGrow;
    }
    const QRect old = m_rect;
    m_rect.translate(move);
    if (m_record.lockLeft && m_record.lockRight)
        m_rect.setWidth(std::max(0, m_rect.width() + grow.width()));
    else if (m_record.lockRight)
        m_rect.moveLeft(m_rect.left() + grow.width());
    if (m_record.lockTop && m_record.lockBottom)
        m_rect.setHeight(std::max(0, m_rect.height() + grow.height()));
    else if (m_record.lockBottom)
        m_rect.moveTop(m_rect.top() + grow.height());
    m_lastMove = m_rect.topLeft() - old.topLeft();
    m_lastGrow = m_rect.size() - old.size();
    applyGeometry();
}

bool Control::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        s_lastPressContextual = mouse->button() == Qt::RightButton
            || (mouse->button() == Qt::LeftButton && (mouse->modifiers() & Qt::ControlModifier));
        // A release that went elsewhere (to a popup menu) ends the capture too.
        m_mouseCaptured = false;
        // A disabled control takes no presses.
        if (event->type() == QEvent::MouseButtonPress && mouseDown && m_enabled) {
            const QPoint p = mouse->position().toPoint();
            if (mouseDown(p.x(), p.y())) {
                m_mouseCaptured = true;
                return true;
            }
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (m_mouseCaptured) {
            m_mouseCaptured = false;
            const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
            if (mouseUp)
                mouseUp(p.x(), p.y());
            return true;
        }
        break;
    case QEvent::ContextMenu:
        // A control that handles its own presses also owns the contextual click.
        if (mouseDown)
            return true;
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        if (m_acceptsDrops)
            return handleDrop(watched, event);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool Control::handleDrop(QObject* watched, QEvent* event)
{
    auto* drop = static_cast<QDropEvent*>(event);
    const FolderItem item = firstDroppedFile(drop->mimeData());
    if (!item.valid()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
        // The position in the control's own coordinates, also when the drop
        // lands on an inner part of it (a list's viewport).
        QPoint at = drop->position().toPoint();
        if (auto* inner = qobject_cast<QWidget*>(watched); inner && inner != m_widget && m_widget)
            at = inner->mapTo(m_widget, at);
        emit dropObject(DragItem{item, at});
    }
    return true;
}

} // namespace fw
