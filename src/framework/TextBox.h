#pragma once

// The editor of a multi-line edit field (private to the controls' files).
// Its document holds lines, not line ends, and its plain text and its copy
// to the clipboard give a no-break space as a plain one and a line separator
// as a line break. So each line of the document keeps the line end it began
// after ("\r\n", "\r", "\n" or U+2029) in the format of the line break
// before it, which the document carries through every edit, an undo and a
// redo among them; the field's text is its lines, each after its own line
// end, every other character as the document holds it. What the user did
// not touch stays as it was given, and a copy, a cut or a drag takes the
// characters themselves.

#include <QPlainTextEdit>
#include <QString>

namespace fw {

class TextBox final : public QPlainTextEdit {
public:
    explicit TextBox(QWidget* parent);

    QString text() const;
    void setText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void fitWrapping(QStringView text);
};

} // namespace fw
