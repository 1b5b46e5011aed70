// How many song-script files the reader takes wrongly: it reads each file
// that tools/songscript_corpus.py made and compares its text with the text
// the file was written from, and counts the misread ones by the form the
// file came in (Mac OS Roman with CR, the same re-ended CR LF or LF,
// Windows-1252 with CR LF, the same re-ended LF, UTF-8 with pasted 8-bit
// text of either, UTF-8 whole with LF or CR LF) and by language.
//
// Run, once tools/songscript_corpus.py has made the files (a tuning set and
// a test set that the tuning never sees, each in the rich style and the
// sparse one):
//     build/bench/bench_letters /tmp/letters-test [-v | -t]
//   -v   also shows each misread value, as meant and as read
//   -t   for tuning what the line ends weigh: for each line end, how many
//        files of each platform would take the wrong encoding at each
//        weight (in half bits for Mac OS Roman)

#include "library/ScriptText.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>
#include <cstdio>

namespace {

QString unescaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (text[k] != u'\\' || k + 1 == text.size()) {
            out += text[k];
            continue;
        }
        const QChar c = text[++k];
        out += c == u'n' ? QChar(u'\n') : c == u'r' ? QChar(u'\r') : c == u't' ? QChar(u'\t') : c;
    }
    return out;
}

// The first value that reads otherwise than meant, both ways.
QString firstDifference(const QString& meant, const QString& read)
{
    static const QRegularExpression breaks(QStringLiteral("[\r\n\t]+"));
    const QStringList meantValues = meant.split(breaks);
    const QStringList readValues = read.split(breaks);
    for (qsizetype k = 0; k < meantValues.size(); ++k) {
        if (k >= readValues.size() || meantValues[k] != readValues[k])
            return meantValues[k] + QStringLiteral("  ->  ") + readValues.value(k);
    }
    return QStringLiteral("(line ends)");
}

// The line end of a form, and whether its stray bytes are Mac OS Roman.
QString lineEndOf(const QString& form)
{
    return form.endsWith(QStringLiteral("-crlf")) ? QStringLiteral("CR LF")
        : form.endsWith(QStringLiteral("-cr"))    ? QStringLiteral("CR")
                                                  : QStringLiteral("LF");
}

bool isMac(const QString& form) { return form.startsWith(QStringLiteral("mac")) || form.endsWith(QStringLiteral("-mac")); }

// Where each line end's weight would send the files' letters.
void showWeights(const QMap<QString, std::vector<std::pair<double, bool>>>& leanings)
{
    for (auto end = leanings.cbegin(); end != leanings.cend(); ++end) {
        std::printf("%s: weight, Mac files read as Windows-1252, Windows files read as Mac OS Roman (of %zu)\n",
                    qPrintable(end.key()), end->size());
        for (int weight = -40; weight <= 60; weight += 2) {
            int macWrong = 0;
            int windowsWrong = 0;
            for (const auto& [leaning, mac] : *end) {
                const bool readAsMac = leaning < weight;
                macWrong += mac && !readAsMac ? 1 : 0;
                windowsWrong += !mac && readAsMac ? 1 : 0;
            }
            std::printf("  %4d %5d %5d\n", weight, macWrong, windowsWrong);
        }
    }
}

struct Tally {
    int files = 0;
    int misread = 0;
    void add(bool wrong)
    {
        ++files;
        misread += wrong ? 1 : 0;
    }
    double percent() const { return files ? 100.0 * misread / files : 0; }
};

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS-FOLDER [-v | -t]\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const bool verbose = argc > 2 && QByteArray(argv[2]) == "-v";
    const bool tuning = argc > 2 && QByteArray(argv[2]) == "-t";
    QMap<QString, std::vector<std::pair<double, bool>>> leanings;   // by line end: the letters' leaning, and whether Mac
    QFile manifest(folder.filePath(QStringLiteral("manifest.tsv")));
    if (!manifest.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "no manifest.tsv in %s\n", argv[1]);
        return 2;
    }
    QMap<QString, Tally> byForm;
    QMap<QString, Tally> byLanguage;
    QMap<QString, QMap<QString, Tally>> byLanguageAndForm;
    Tally all;
    while (!manifest.atEnd()) {
        const QStringList fields = QString::fromUtf8(manifest.readLine()).chopped(1).split(u'\t');
        if (fields.size() < 4)
            continue;
        const QString& name = fields[0];
        const QString& language = fields[1];
        const QString& form = fields[2];
        const QString meant = unescaped(fields[3]);
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(name));
            return 2;
        }
        const QByteArray content = file.readAll();
        if (tuning) {
            if (const std::optional<double> leaning = SongScript::lettersLeaning(content))
                leanings[lineEndOf(form)].push_back({*leaning, isMac(form)});
            continue;
        }
        const std::optional<QString> read = SongScript::textOf(content);
        const bool wrong = !read || *read != meant;
        byForm[form].add(wrong);
        byLanguage[language].add(wrong);
        byLanguageAndForm[language][form].add(wrong);
        all.add(wrong);
        if (wrong && verbose)
            std::printf("%s: %s\n", qPrintable(name), read ? qPrintable(firstDifference(meant, *read)) : "(refused)");
    }
    if (tuning) {
        showWeights(leanings);
        return 0;
    }
    const QStringList forms = byForm.keys();
    std::printf("%-14s", "language");
    for (const QString& form : forms)
        std::printf(" %9s", qPrintable(form));
    std::printf(" %9s\n", "all");
    for (auto language = byLanguage.cbegin(); language != byLanguage.cend(); ++language) {
        std::printf("%-14s", qPrintable(language.key()));
        for (const QString& form : forms)
            std::printf(" %8.1f%%", byLanguageAndForm[language.key()][form].percent());
        std::printf(" %8.1f%%\n", language->percent());
    }
    std::printf("%-14s", "all");
    for (const QString& form : forms)
        std::printf(" %8.2f%%", byForm[form].percent());
    std::printf(" %8.2f%%\n", all.percent());
    std::printf("%d files, %d misread\n", all.files, all.misread);
    return 0;
}
