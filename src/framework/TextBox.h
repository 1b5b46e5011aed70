#pragma once

// The editor of a multi-line edit field (private to the controls' files).
// Its document holds lines, not line ends, and its plain text and its copy
// to the clipboard give a no-break space as a plain one and a line separator
// as a line break. So the field's own text is kept beside the document, and
// each change the user makes is put into it where they make it: every
// character they did not touch stays as it was given (a CR or CR LF line
// end, a no-break space, a line separator), and a copy or a cut takes the
// characters themselves.

#include <QPlainTextEdit>
#include <QString>
#include <optional>

namespace fw {

class TextBox final : public QPlainTextEdit {
public:
    explicit TextBox(QWidget* parent);

    QString text() const;
    void setText(const QString& text);

protected:
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void changed(int position, int removed, int added);
    // Whether the field's text is the document's, line ends aside.
    bool inStep() const;
    void fitWrapping(QStringView text);

    QString m_text;
    bool m_setting = false;
    std::optional<QString> m_pasting;   // what a paste puts in, while it does
};

} // namespace fw
