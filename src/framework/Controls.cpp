#include "framework/Controls.h"

#include "framework/Platform.h"
#include "framework/TextBox.h"
#include "framework/Window.h"

#include <QCursor>
#include <QGroupBox>
#include <QJsonArray>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTabBar>
#include <QTextBlock>
#include <QTimer>

#include <limits>

namespace fw {

namespace {

void setTextColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

bool setting(const ControlRecord& r, const char* key, bool fallback = false)
{
    return r.settings.value(QLatin1String(key)).toBool(fallback);
}

// Fits a button's text in the place its style gives the text.
QFont fittedButtonFont(const QAbstractButton* button, const QFont& font)
{
    const QRect box = buttonTextPlace(button);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic;
    return fittedFont(font, [&](const QFont& f) { return shareOfBox(f, button->text(), box, flags); });
}

QHash<QString, QImage>& pictures()
{
    static QHash<QString, QImage> table;
    return table;
}

} // namespace

QRect buttonTextPlace(const QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const auto* push = qobject_cast<const QPushButton*>(button);
    if (push && push->isDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    if (push && push->autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    if (push && push->isFlat())
        option.features |= QStyleOptionButton::Flat;
    return button->style()->subElementRect(push ? QStyle::SE_PushButtonContents : QStyle::SE_RadioButtonContents,
                                           &option, button);
}

QRect groupTitlePlace(const QGroupBox* box)
{
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.textAlignment = box->alignment();
    option.lineWidth = 1;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
}

// ---- StaticText ----------------------------------------------------------

StaticText::StaticText(Window& window, const ControlRecord& record)
    : Control(window, record)
    , m_label(new QLabel(record.text, hostWidget()))
    , m_textColor(record.textColor.value_or(QColor(0, 0, 0)))
{
    const bool multiline = setting(record, "multiline");
    m_label->setWordWrap(multiline);
    m_label->setAlignment(horizontalAlignment(record.alignment)
                          | (multiline ? Qt::AlignTop : Qt::AlignVCenter));
    m_label->setTextFormat(Qt::PlainText);
    setTextColour(m_label, QPalette::WindowText, m_textColor);
    attachWidget(m_label);
}

QString StaticText::text() const { return m_label->text(); }

void StaticText::setText(const QString& text)
{
    m_label->setText(text);
    fitText();
}

void StaticText::fitText()
{
    // Spaces and line breaks at the end show nothing.
    QString text = m_label->text();
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    const QRect box = m_label->contentsRect();
    const int flags = static_cast<int>(m_label->alignment()) | (m_label->wordWrap() ? Qt::TextWordWrap : 0);
    m_label->setFont(fittedFont(textFont(), [&](const QFont& font) { return shareOfBox(font, text, box, flags); }));
}

void StaticText::setTextColor(const QColor& colour)
{
    if (colour == m_textColor)
        return;   // the player recolours its counts many times a second
    m_textColor = colour;
    setTextColour(m_label, QPalette::WindowText, colour);
}

// ---- EditField -----------------------------------------------------------

EditField::EditField(Window& window, const ControlRecord& record)
    : Control(window, record)
{
    QWidget* widget;
    if (setting(record, "multiline")) {
        m_plain = new TextBox(hostWidget());
        m_plain->setText(record.text);
        m_plain->setTabChangesFocus(!setting(record, "acceptTabs"));
        m_plain->setReadOnly(setting(record, "readOnly"));
        m_plain->setVerticalScrollBarPolicy(setting(record, "scrollbar") ? Qt::ScrollBarAsNeeded
                                                                         : Qt::ScrollBarAlwaysOff);
        m_plain->setFrameShape(setting(record, "border", true) ? QFrame::StyledPanel : QFrame::NoFrame);
        connect(m_plain, &QPlainTextEdit::textChanged, this, &EditField::textChange);
        widget = m_plain;
    } else {
        m_line = new QLineEdit(hostWidget());
        // A field has no length limit of its own: a longer text given to it
        // would be cut, and saved so.
        m_line->setMaxLength(std::numeric_limits<int>::max());
        m_line->setText(record.text);
        m_line->setReadOnly(setting(record, "readOnly"));
        m_line->setFrame(setting(record, "border", true));
        m_line->setAlignment(horizontalAlignment(record.alignment) | Qt::AlignVCenter);
        connect(m_line, &QLineEdit::textChanged, this, &EditField::textChange);
        widget = m_line;
    }
    if (record.textColor)
        setTextColour(widget, QPalette::Text, *record.textColor);
    attachWidget(widget);
}

QWidget* EditField::mouseTarget() const
{
    return m_plain ? m_plain->viewport() : static_cast<QWidget*>(m_line);
}

QString EditField::text() const { return m_plain ? m_plain->text() : m_line->text(); }

void EditField::setText(const QString& text)
{
    if (m_plain)
        m_plain->setText(text);
    else
        m_line->setText(text);
}

int EditField::selStart() const
{
    if (m_plain)
        return m_plain->textCursor().selectionStart();
    return m_line->hasSelectedText() ? m_line->selectionStart() : m_line->cursorPosition();
}

int EditField::selLength() const
{
    if (m_plain) {
        const QTextCursor c = m_plain->textCursor();
        return c.selectionEnd() - c.selectionStart();
    }
    return m_line->selectionLength();
}

void EditField::setSelStart(int start)
{
    start = std::clamp(start, 0, static_cast<int>(text().size()));
    if (m_plain) {
        QTextCursor c = m_plain->textCursor();
        c.setPosition(start);
        m_plain->setTextCursor(c);
    } else {
        m_line->setCursorPosition(start);
    }
}

void EditField::setSelLength(int length)
{
    const int start = selStart();
    const int end = std::clamp(start + std::max(0, length), 0, static_cast<int>(text().size()));
    if (m_plain) {
        QTextCursor c = m_plain->textCursor();
        c.setPosition(start);
        c.setPosition(end, QTextCursor::KeepAnchor);
        m_plain->setTextCursor(c);
    } else {
        m_line->setSelection(start, end - start);
    }
}

QString EditField::selText() const
{
    if (m_plain)
        return m_plain->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return m_line->selectedText();
}

void EditField::setSelText(const QString& text)
{
    if (m_plain)
        m_plain->textCursor().insertText(text);
    else
        m_line->insert(text);
}

void EditField::copy()
{
    if (m_plain)
        m_plain->copy();
    else
        m_line->copy();
}

void EditField::cut()
{
    if (m_plain)
        m_plain->cut();
    else
        m_line->cut();
}

void EditField::paste()
{
    if (m_plain)
        m_plain->paste();
    else
        m_line->paste();
}

void EditField::clear()
{
    // Removes the selection, as the Edit menu's Clear does.
    setSelText(QString());
}

void EditField::setFocus()
{
    widget()->setFocus(Qt::OtherFocusReason);
}

// ---- PushButton ----------------------------------------------------------

PushButton::PushButton(Window& window, const ControlRecord& record)
    : Control(window, record)
    , m_button(new QPushButton(record.text, hostWidget()))
{
    m_button->setAutoDefault(false);
    if (setting(record, "default"))
        m_button->setDefault(true);
    connect(m_button, &QPushButton::clicked, this, &PushButton::action);
    attachWidget(m_button);
}

QString PushButton::caption() const { return m_button->text(); }

void PushButton::setCaption(const QString& caption)
{
    m_button->setText(caption);
    fitText();
}

void PushButton::fitText()
{
    m_button->setFont(fittedButtonFont(m_button, textFont()));
}

void PushButton::push()
{
    if (m_button->isEnabled())
        emit action();
}

void PushButton::setFocus()
{
    m_button->setFocus(Qt::OtherFocusReason);
}

// ---- RadioButton ---------------------------------------------------------

RadioButton::RadioButton(Window& window, const ControlRecord& record)
    : Control(window, record)
    , m_button(new QRadioButton(record.text, hostWidget()))
{
    m_button->setChecked(setting(record, "value"));
    connect(m_button, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            emit action();
    });
    attachWidget(m_button);
}

bool RadioButton::value() const { return m_button->isChecked(); }

void RadioButton::setValue(bool value)
{
    if (value) {
        m_button->setChecked(true);
        return;
    }
    // Clearing one button of an exclusive group needs the group lifted.
    m_button->setAutoExclusive(false);
    m_button->setChecked(false);
    m_button->setAutoExclusive(true);
}

QString RadioButton::caption() const { return m_button->text(); }

void RadioButton::fitText()
{
    m_button->setFont(fittedButtonFont(m_button, textFont()));
}

// ---- GroupBox ------------------------------------------------------------

GroupBox::GroupBox(Window& window, const ControlRecord& record)
    : Control(window, record)
    , m_box(new QGroupBox(record.text, hostWidget()))
{
    attachWidget(m_box);
    // A group box is a frame behind whatever lies in its area, also the
    // controls created before it that are not its children.
    m_box->lower();
}

QString GroupBox::caption() const { return m_box->title(); }

void GroupBox::setCaption(const QString& caption)
{
    m_box->setTitle(caption);
    fitText();
}

void GroupBox::fitText()
{
    if (m_box->title().isEmpty()) {
        m_box->setFont(textFont());
        return;
    }
    // The style places the title by the box's own font: each font is tried on it.
    m_box->setFont(fittedFont(textFont(), [this](const QFont& font) {
        m_box->setFont(font);
        return static_cast<double>(groupTitlePlace(m_box).right() + 1) / std::max(1, m_box->width());
    }));
}

// ---- TabPanel ------------------------------------------------------------

TabPanel::TabPanel(Window& window, const ControlRecord& record)
    : Control(window, record)
{
    auto* panel = new QWidget(hostWidget());
    m_tabs = new QTabBar(panel);
    for (const QJsonValue caption : record.settings.value(QStringLiteral("tabs")).toArray())
        m_tabs->addTab(caption.toString());
    m_barHeight = m_tabs->sizeHint().height();
    m_tabs->setGeometry(0, 0, record.rect.width(), m_barHeight);
    m_frame = new QFrame(panel);
    m_frame->setFrameShape(QFrame::StyledPanel);
    for (int i = 0; i < m_tabs->count(); ++i)
        m_pages.push_back(new QWidget(panel));
    layoutParts(record.rect.size());
    attachWidget(panel);
    showPage(record.settings.value(QStringLiteral("value")).toInt(0));
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int page) {
        showPage(page);
        emit change();
    });
}

void TabPanel::layoutParts(const QSize& size)
{
    m_tabs->setGeometry(0, 0, size.width(), m_barHeight);
    const QRect body(0, m_barHeight, size.width(), std::max(0, size.height() - m_barHeight));
    m_frame->setGeometry(body);
    for (QWidget* page : m_pages)
        page->setGeometry(body);
}

bool TabPanel::eventFilter(QObject* watched, QEvent* event)
{
    // The bar, the frame and the pages follow the panel's size.
    if (watched == widget() && event->type() == QEvent::Resize)
        layoutParts(widget()->size());
    return Control::eventFilter(watched, event);
}

void TabPanel::fitText()
{
    // The bar spans the panel; each font is tried on the bar, which sizes its tabs by it.
    widget()->setFont(textFont());
    const int room = widget()->width();
    m_tabs->setFont(fittedFont(textFont(), [this, room](const QFont& font) {
        m_tabs->setFont(font);
        return static_cast<double>(m_tabs->sizeHint().width()) / std::max(1, room);
    }));
}

int TabPanel::value() const { return m_tabs->currentIndex(); }

void TabPanel::setValue(int page)
{
    if (page >= 0 && page < m_tabs->count())
        m_tabs->setCurrentIndex(page);
}

int TabPanel::pageCount() const { return m_tabs->count(); }

void TabPanel::showPage(int page)
{
    m_tabs->setCurrentIndex(page);
    for (int i = 0; i < static_cast<int>(m_pages.size()); ++i)
        m_pages[i]->setVisible(i == page);
}

QPoint TabPanel::childOrigin(int page) const
{
    Q_UNUSED(page);
    return rect().topLeft() + QPoint(0, m_barHeight);
}

QWidget* TabPanel::childHost(int page) const
{
    const int i = page - 1;
    if (i >= 0 && i < static_cast<int>(m_pages.size()))
        return m_pages[i];
    return widget();
}

// ---- Canvas --------------------------------------------------------------

Canvas::Canvas(Window& window, const ControlRecord& record)
    : Control(window, record)
    , m_label(new QLabel(hostWidget()))
{
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    attachWidget(m_label);
    const QString name = record.settings.value(QStringLiteral("backdrop")).toString();
    if (!name.isEmpty())
        setBackdrop(builtInPicture(name));
}

void Canvas::setBackdrop(const std::optional<QImage>& picture)
{
    m_picture = picture;
    if (picture)
        m_label->setPixmap(QPixmap::fromImage(*picture));
    else
        m_label->clear();
}

// ---- ContextualMenu ------------------------------------------------------

ContextualMenu::ContextualMenu(Window& window, const ControlRecord& record)
    : Control(window, record)
{
}

void ContextualMenu::AddRow(const QString& text) { m_rows << text; }

void ContextualMenu::Open()
{
    const std::optional<QString> chosen = platform().popupMenu(m_rows, QCursor::pos());
    if (chosen)
        emit action(*chosen);
}

// ---- Timer ---------------------------------------------------------------

Timer::Timer(Window& window, const ControlRecord& record)
    : Control(window, record)
    , m_timer(new QTimer(this))
{
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(record.settings.value(QStringLiteral("period")).toInt(1000));
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (m_mode == ModeSingle)
            setMode(ModeOff);
        emit action();
    });
    setMode(static_cast<Mode>(record.settings.value(QStringLiteral("mode")).toInt(ModeOff)));
}

void Timer::setMode(Mode mode)
{
    m_mode = mode;
    if (mode == ModeOff) {
        m_timer->stop();
        return;
    }
    m_timer->setSingleShot(mode == ModeSingle);
    m_timer->start();
}

int Timer::period() const { return m_timer->interval(); }
void Timer::setPeriod(int milliseconds) { m_timer->setInterval(milliseconds); }

// ---- built-in pictures ---------------------------------------------------

void registerPicture(const QString& name, const QImage& picture) { pictures().insert(name, picture); }

std::optional<QImage> builtInPicture(const QString& name)
{
    auto it = pictures().constFind(name);
    if (it == pictures().constEnd())
        return std::nullopt;
    return *it;
}

} // namespace fw
