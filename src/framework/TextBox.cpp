#include "framework/TextBox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace fw {

namespace {

// The line end a line of the document began after, as the text had it, in
// the format of the separator that begins the line (the block's character
// format): the document removes and restores that separator, format and
// all, with whatever edit takes or gives back the line break, where a
// block's own format stays with whichever block the edit keeps.
constexpr int kLineEnd = QTextFormat::UserProperty + 1;

// A word longer than this wraps anywhere: wrapped at word boundaries, the
// layout takes time that grows with the square of its length, minutes for
// a few million characters.
constexpr qsizetype kLongestWord = 2000;

// The length of the line end at text[k]; 0 where none begins.
qsizetype lineEndAt(QStringView text, qsizetype k)
{
    const QChar c = text[k];
    if (c == u'\r')
        return k + 1 < text.size() && text[k + 1] == u'\n' ? 2 : 1;
    return c == u'\n' || c == QChar::ParagraphSeparator ? 1 : 0;
}

// Puts the text in at the cursor, each of its line ends beginning a line
// that keeps it.
void insertLines(QTextCursor& cursor, QStringView text)
{
    qsizetype begin = 0;
    for (qsizetype k = 0; k < text.size(); ++k) {
        const qsizetype end = lineEndAt(text, k);
        if (end == 0)
            continue;
        cursor.insertText(text.sliced(begin, k - begin).toString());
        QTextCharFormat format = cursor.charFormat();
        format.setProperty(kLineEnd, text.sliced(k, end).toString());
        cursor.insertBlock(cursor.blockFormat(), format);
        k += end - 1;
        begin = k + 1;
    }
    cursor.insertText(text.sliced(begin).toString());
}

// The line end a line the user begins in this one takes: the one this line
// began after, so that a text keeps the line ends it has.
QString lineEndFor(const QTextBlock& line)
{
    const QVariant end = line.position() > 0 ? line.charFormat().property(kLineEnd) : QVariant();
    return end.isValid() ? end.toString() : QStringLiteral("\n");
}

// The document's text from one place to another, each line end as it came.
QString textBetween(const QTextDocument& document, int from, int to)
{
    QString text;
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        if (block.position() > from) {
            const QVariant end = block.charFormat().property(kLineEnd);
            text += end.isValid() ? end.toString() : QStringLiteral("\n");
        }
        const int start = std::max(from - block.position(), 0);
        const int stop = std::min(to - block.position(), block.length() - 1);
        text += QStringView(block.text()).sliced(start, stop - start);
    }
    return text;
}

} // namespace

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent) {}

QString TextBox::text() const
{
    return textBetween(*document(), 0, document()->characterCount() - 1);
}

// A text given is no edit the user can undo.
void TextBox::setText(const QString& text)
{
    fitWrapping(text);
    QTextDocument* lines = document();
    lines->setUndoRedoEnabled(false);
    setPlainText(QString());
    QTextCursor cursor(lines);
    cursor.beginEditBlock();
    insertLines(cursor, text);
    cursor.endEditBlock();
    lines->setUndoRedoEnabled(true);
    moveCursor(QTextCursor::Start);
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    if (event != QKeySequence::InsertParagraphSeparator || isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    // Return, done here: the editor's own would reset the format of an
    // empty line instead of beginning one.
    QTextCursor cursor = textCursor();
    QTextCharFormat format = cursor.charFormat();
    format.setProperty(kLineEnd, lineEndFor(cursor.block()));
    cursor.insertBlock(cursor.blockFormat(), format);
    setTextCursor(cursor);
    ensureCursorVisible();
    event->accept();
}

QMimeData* TextBox::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto* data = new QMimeData;
    data->setText(textBetween(*document(), cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

// A paste or a drop puts its text in as it is, line ends and all.
void TextBox::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText() || isReadOnly()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    const QString text = source->text();
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    insertLines(cursor, text);
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
    if (document()->characterCount() > kLongestWord)
        fitWrapping(toPlainText());
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
