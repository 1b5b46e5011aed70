#!/usr/bin/env python3
"""Makes fresh song-script files as older copies of the program and
editors left them, to measure how the reader takes their 8-bit text
(bench/bench_letters reads them).

Each file holds one song: a title, an artist, an album, notes and a few
track lines, in one language (its words from tools/western_words.py, of the
tuning or the test part, which the letter model never learns from; its
people's names from the lists there, other ones for each part), now and
then with an English title or album. In the rich style every value may be
in the language; in the sparse style, as many older files are, all is
ASCII but one or two words: a person's name, or a single word with a
letter beyond ASCII in a title. Each song is written in each form that
files come in:
    mac-cr     Mac OS Roman, lines ending in CR, as the Mac copy wrote it
    mac-crlf   the same re-ended CR LF by a transfer
    mac-lf     the same re-ended LF
    win-crlf   Windows-1252, lines ending in CR LF, as the Windows copy wrote it
    win-lf     the same re-ended LF
    utf8-mac   UTF-8 as this program writes it, its notes pasted in as 8-bit
    utf8-win   text (Mac OS Roman or Windows-1252), at least one byte of it
               not valid UTF-8; its other values may hold letters no 8-bit
               set has, and names and words in other scripts
    utf8       UTF-8 whole, as this program writes it, the same letters
    utf8-crlf  and signs and scripts (and valid bytes only): it must stay
               UTF-8; the same re-ended CR LF
Letters an 8-bit set lacks are written as its writer would have put them
(tools/western_words.py, fold). Songs whose 8-bit text is all ASCII are
not made: they tell nothing.

Run from the repository's root:
    python3 tools/songscript_corpus.py tune /tmp/letters-tune 60 [sparse] [SEED]
    python3 tools/songscript_corpus.py test /tmp/letters-test 60 [sparse] [SEED]
writes that many songs for each language, in the rich style or the sparse
one, drawn with the seed given (a fresh set for each), and the manifest that
names each file, its language, its form and the text it holds.
"""

import os
import random
import sys
import unicodedata

import western_words as ww

# Names and words in letters that no 8-bit set has, as UTF-8 files hold
# them beside pasted 8-bit text.
ELSEWHERE = ["Trương Thị Hồng", "Nguyễn Văn An", "Phạm Quỳnh", "Đặng Thái Sơn", "王菲", "周杰伦", "美空ひばり",
             "坂本九", "이선희", "Σαββόπουλος", "Πάριος", "Пугачёва", "Высоцкий", "Dvořák", "Łódź", "Şebnem",
             "Ağaoğlu", "Kőbánya", "ŵ", "🎶", "★", "Ĉiu", "H₂O", "CO₂ Tango", "Երևան", "ǅemal Begić",
             "Ștefan Bănică", "Đorđe Balašević", "Αλεξίου", "Юлия", "Nguyễn Thị Ánh", "Σ₃ Trio"]
ANY_SCRIPT = ["愛", "夢", "恋", "心", "Ω", "λ", "ж", "♥", "🌹", "Người", "Tương"]

ENGLISH_TITLE = ["Dance With Me", "Summer Nights", "Love Song", "The Last Waltz", "Slow Dancing", "Moonlight",
                 "Beautiful", "Crazy", "Forever Young", "Sway", "Hold Me Tight", "Night Fever"]
TYPOGRAPHY = {"quotes": [("“", "”"), ("‘", "’"), ("«", "»"), ("„", "“"), ("»", "«"), ("”", "”")],
              "joins": [" – ", " - ", " — ", "—", " / ", " & ", ", ", ": ", " · "]}


def name(rng, language, part):
    given, family = ww.names(language, part)
    person = (rng.choice(given) + " " + rng.choice(family)).replace("_", " ")
    r = rng.random()
    if r < 0.15:
        other = rng.choice(given) + " " + rng.choice(family)
        return (person + rng.choice([" & ", " y ", " and ", " og ", " und ", ", "]) + other).replace("_", " ")
    if r < 0.25:
        return (rng.choice(family) + rng.choice([" Trio", " Quartet", " Band", " & Friends", " Orchestra"])).replace("_", " ")
    return person


def phrase(rng, words, count):
    chosen = [rng.choice(words) for _ in range(count)]
    case = rng.random()
    if case < 0.5:
        chosen = [w[:1].upper() + w[1:] for w in chosen]
    elif case < 0.9:
        chosen[0] = chosen[0][:1].upper() + chosen[0][1:]
    else:
        chosen = [w.upper() for w in chosen]
    text = chosen[0]
    for w in chosen[1:]:
        text += (" " if rng.random() < 0.9 else rng.choice(TYPOGRAPHY["joins"])) + w
    return text


def title(rng, language, words, part):
    r = rng.random()
    if r < 0.15:
        text = rng.choice(ENGLISH_TITLE)
    elif r < 0.25:
        text = name(rng, language, part).split(" &")[0]
    else:
        text = phrase(rng, words, rng.choice([1, 1, 2, 2, 2, 3, 3, 4, 5]))
    r = rng.random()
    if r < 0.08:
        opening, closing = rng.choice(TYPOGRAPHY["quotes"])
        text = opening + text + closing
    elif r < 0.14:
        text += rng.choice([" (Remix)", " (Live)", " (Cha-Cha-Chá)", " – Bolero", " (Versión Salsa)", "…", "!", "?",
                            " (feat. " + name(rng, language, part) + ")", " ’" + str(rng.randint(70, 99))])
    return text


def ascii_only(text):
    return all(c < "\x80" for c in ww.fold_both(text))


PLAIN_SIGNS = {"“": '"', "”": '"', "„": '"', "«": '"', "»": '"', "‘": "'", "’": "'", "–": "-", "—": "-", "…": "...",
               "°": " deg", "½": "1/2", "·": "-"}


def plain(text):
    """The text as an ASCII file holds it: plain quotes and dashes, letters
    without their accents."""
    text = "".join(PLAIN_SIGNS.get(c, c) for c in text)
    return "".join(c for c in unicodedata.normalize("NFD", text) if c < "\x80")


def sparse_song(rng, language, part):
    """A song of ASCII values but one or two words: a person's name with a
    letter beyond ASCII, or one such word in the title, or both."""
    words = ww.words(language, part)
    plain_words = [w for w in words if ascii_only(w)] or ["Tango"]
    marked = [w for w in words if not ascii_only(w)]
    given, family = ww.names(language, part)
    named = [n for n in given + family if not ascii_only(n)]
    lines = [plain(line) for line in song(rng, language, part, plain_words)]
    r = rng.random()
    if r < 0.55 or not marked:
        # The artist's name, or a guest's in the title.
        person = rng.choice(named) if named else rng.choice(marked)
        other = rng.choice([n for n in given + family if ascii_only(n)] or ["Smith"])
        person = rng.choice([person + " " + other, other + " " + person, person])
        if rng.random() < 0.8:
            lines[1] = person
        else:
            lines[0] += " (feat. " + person + ")"
    if r >= 0.55 or rng.random() < 0.2:
        # One word in the title.
        title = lines[0].split(" ")
        k = rng.randrange(len(title) + 1)
        word = rng.choice(marked)
        word = word[:1].upper() + word[1:] if rng.random() < 0.6 else word
        lines[0] = " ".join(title[:k] + [word] + title[k:])
    return lines


def song(rng, language, part, words=None):
    """The values of a song as a dancer typed them, in Unicode: of the
    language's words, or of these."""
    words = words or ww.words(language, part)
    album = rng.random()
    notes = rng.random()
    values = [
        title(rng, language, words, part),
        name(rng, language, part),
        ("Greatest Hits" if album < 0.1 else phrase(rng, words, rng.randint(1, 4)) if album < 0.7
         else rng.choice(["Live", "Best of", "Baile"]) + " " + str(rng.randint(1975, 2005)) if album < 0.8 else ""),
        rng.choice(["", "", "http://www.example.com/songs/" + str(rng.randint(1, 999))]),
        str(rng.randint(60, 200)),
        "",
        (phrase(rng, words, rng.randint(2, 8)) + rng.choice([".", "", "!"]) if notes < 0.5
         else rng.choice(["Slow intro", "Watch the break on 5", "Great for beginners", "° ½ tempo"]) if notes < 0.7
         else ""),
        "%.1f" % rng.uniform(0, 30), "%.1f" % rng.uniform(30, 200), "", "",
    ]
    lines = [v for v in values]
    for k in range(1, rng.randint(4, 12)):
        advice = phrase(rng, words, rng.randint(1, 3)) if rng.random() < 0.1 else rng.choice(["", "", "", "Turn"])
        lines.append("\t".join([str(k), "%.2f" % (k * 0.47), str((k - 1) % 8 + 1), "120", advice, "", ""]) + "\t")
    return lines


FORMS = ["mac-cr", "mac-crlf", "mac-lf", "win-crlf", "win-lf", "utf8-mac", "utf8-win", "utf8", "utf8-crlf"]


def with_other_scripts(rng, lines):
    """The values now and then with a name or word in letters no 8-bit set
    has, as UTF-8 files hold them."""
    lines = list(lines)
    r = rng.random()
    if r < 0.2:
        lines[1] = rng.choice(ELSEWHERE)
    elif r < 0.35:
        words = lines[0].split(" ")
        k = rng.randrange(len(words) + 1)
        lines[0] = " ".join(words[:k] + [rng.choice(ANY_SCRIPT)] + words[k:])
    return lines


def written(rng, lines, form):
    """The file's bytes in this form, and the text they hold."""
    if form in ("utf8", "utf8-crlf"):
        end = "\r\n" if form == "utf8-crlf" else "\n"
        text = "".join(line + end for line in with_other_scripts(rng, lines))
        return text.encode(), text
    if form.startswith("utf8"):
        # The notes pasted in from an 8-bit text, the rest UTF-8 with now
        # and then letters of other sets and scripts.
        mac = form == "utf8-mac"
        fold = ww.fold_mac if mac else ww.fold_windows
        pasted = next((fold(v) for v in (lines[6], lines[0], lines[2], lines[1]) if any(c >= "\x80" for c in fold(v))),
                      fold(lines[6]))
        lines = with_other_scripts(rng, lines)
        end = "\n"
        head = end.join(lines[:6]).encode() + end.encode()
        tail = end.encode() + end.join(lines[7:]).encode() + end.encode()
        content = head + pasted.encode("mac-roman" if mac else "cp1252") + tail
        return content, end.join(lines[:6]) + end + pasted + end + end.join(lines[7:]) + end
    mac = form.startswith("mac")
    end = {"cr": "\r", "crlf": "\r\n", "lf": "\n"}[form.split("-")[1]]
    text = "".join((ww.fold_mac if mac else ww.fold_windows)(line) + end for line in lines)
    return text.encode("mac-roman" if mac else "cp1252"), text


def valid_utf8(content):
    try:
        content.decode("utf-8")
        return True
    except UnicodeDecodeError:
        return False


def escaped(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


def main():
    part, folder, per_language = sys.argv[1], sys.argv[2], int(sys.argv[3])
    sparse = len(sys.argv) > 4 and sys.argv[4] == "sparse"
    seed = sys.argv[5] if len(sys.argv) > 5 else ""
    rng = random.Random("songscript-" + part + ("-sparse" if sparse else "") + seed)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "manifest.tsv"), "w", encoding="utf-8") as manifest:
        for language in ww.SOURCES:
            made = 0
            while made < per_language:
                lines = sparse_song(rng, language, part) if sparse else song(rng, language, part)
                if all(c < "\x80" for c in ww.fold_mac("".join(lines)) + ww.fold_windows("".join(lines))):
                    continue
                made += 1
                for form in FORMS:
                    content, text = written(rng, lines, form)
                    if all(b < 0x80 for b in content) or (form in ("utf8-mac", "utf8-win") and valid_utf8(content)):
                        continue
                    name = "%s-%s-%03d.txt" % (language.replace(" ", "_"), form, made)
                    with open(os.path.join(folder, name), "wb") as f:
                        f.write(content)
                    manifest.write("%s\t%s\t%s\t%s\n" % (name, language, form, escaped(text)))


if __name__ == "__main__":
    main()
