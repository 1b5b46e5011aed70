#include "framework/TextBox.h"

#include <QMimeData>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace fw {

namespace {

constexpr QChar kLineBreak = QChar::ParagraphSeparator;   // between two of the document's lines

// A word longer than this wraps anywhere: wrapped at word boundaries, the
// layout takes time that grows with the square of its length, minutes for
// a few million characters.
constexpr qsizetype kLongestWord = 2000;

// The text as the document holds it: each line end, "\r\n", "\r" or "\n",
// one break between lines.
QString asDocumentHolds(QStringView text)
{
    QString held;
    held.reserve(text.size());
    for (qsizetype k = 0; k < text.size(); ++k) {
        const QChar c = text[k];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && k + 1 < text.size() && text[k + 1] == u'\n')
                ++k;
            held += kLineBreak;
        } else {
            held += c;
        }
    }
    return held;
}

// Where in text the document's characters, from `from` on, end after
// `count` of them (a "\r\n" being one); at the most the text's end.
qsizetype advance(QStringView text, qsizetype from, qsizetype count)
{
    qsizetype k = from;
    for (; count > 0 && k < text.size(); --count)
        k += text[k] == u'\r' && k + 1 < text.size() && text[k + 1] == u'\n' ? 2 : 1;
    return k;
}

qsizetype commonStart(QStringView a, QStringView b)
{
    return std::mismatch(a.begin(), a.begin() + std::min(a.size(), b.size()), b.begin()).first - a.begin();
}

qsizetype commonEnd(QStringView a, QStringView b)
{
    const qsizetype most = std::min(a.size(), b.size());
    qsizetype k = 0;
    while (k < most && a[a.size() - 1 - k] == b[b.size() - 1 - k])
        ++k;
    return k;
}

} // namespace

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent)
{
    connect(document(), &QTextDocument::contentsChange, this, &TextBox::changed);
}

// The field's text; should it ever part from the document's, the document's
// own, its line breaks as "\n".
QString TextBox::text() const
{
    if (inStep())
        return m_text;
    QString text = document()->toRawText();
    text.replace(kLineBreak, QLatin1Char('\n'));
    return text;
}

void TextBox::setText(const QString& text)
{
    m_text = text;
    const QScopedValueRollback setting(m_setting, true);
    fitWrapping(text);
    setPlainText(text);
}

bool TextBox::inStep() const
{
    return asDocumentHolds(m_text) == document()->toRawText();
}

// A change of the document, made by the user (typing, a paste, an undo):
// the characters it replaced in the field's text are replaced by what the
// document now holds there. The document may name more than it changed; the
// characters at either end that stayed the same keep their own form.
void TextBox::changed(int position, int removed, int added)
{
    if (m_setting)
        return;
    const int end = document()->characterCount() - 1;   // the last line's end is no character
    position = std::clamp(position, 0, end);
    added = std::clamp(added, 0, end - position);
    QTextCursor cursor(document());
    cursor.setPosition(position);
    cursor.setPosition(position + added, QTextCursor::KeepAnchor);
    const QString now = cursor.selectedText();
    const qsizetype from = advance(m_text, 0, position);
    const QString was = m_text.mid(from, advance(m_text, from, removed) - from);
    const QString wasHeld = asDocumentHolds(was);
    const qsizetype start = commonStart(wasHeld, now);
    const qsizetype tail = commonEnd(QStringView(wasHeld).sliced(start), QStringView(now).sliced(start));
    QString put = now.mid(start, now.size() - start - tail);
    if (m_pasting && asDocumentHolds(*m_pasting) == put)
        put = *m_pasting;
    else
        put.replace(kLineBreak, QLatin1Char('\n'));
    const qsizetype keptStart = advance(was, 0, start);
    const qsizetype keptEnd = advance(was, 0, wasHeld.size() - tail);
    QString text = m_text.left(from);
    text.append(QStringView(was).left(keptStart)).append(put).append(QStringView(was).sliced(keptEnd));
    m_text = text.append(QStringView(m_text).sliced(from + was.size()));
    if (document()->characterCount() > kLongestWord)
        fitWrapping(m_text);
}

// The characters themselves, not the document's plain text of them.
QMimeData* TextBox::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    QString selected;
    if (inStep()) {
        const qsizetype from = advance(m_text, 0, cursor.selectionStart());
        selected = m_text.mid(from, advance(m_text, from, cursor.selectionEnd() - cursor.selectionStart()) - from);
    } else {
        selected = cursor.selectedText().replace(kLineBreak, QLatin1Char('\n'));
    }
    auto* data = new QMimeData;
    data->setText(selected);
    return data;
}

// A paste's text goes into the field's text as it is, line ends and all.
void TextBox::insertFromMimeData(const QMimeData* source)
{
    if (source && source->hasText())
        m_pasting = source->text();
    QPlainTextEdit::insertFromMimeData(source);
    m_pasting.reset();
}

void TextBox::fitWrapping(QStringView text)
{
    qsizetype word = 0;
    bool longWord = false;
    for (const QChar c : text) {
        word = c.isSpace() ? 0 : word + 1;
        if (word > kLongestWord) {
            longWord = true;
            break;
        }
    }
    const QTextOption::WrapMode mode = longWord ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (wordWrapMode() != mode)
        setWordWrapMode(mode);
}

} // namespace fw
