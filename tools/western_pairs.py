#!/usr/bin/env python3
"""Derives src/library/WesternPairs.cpp: how characters stand beside each
other in Western-European writing, as the song-script reader uses it to
choose a file's 8-bit encoding.

The text it learns from is made up here: words drawn from the word lists of
English, Spanish, Portuguese, French, Italian, German, Dutch, Swedish,
Norwegian and Danish (Debian's wamerican, wspanish, wportuguese, wfrench,
witalian, wngerman, wdutch, wswedish, wnorwegian and wdanish), shorter words
drawn more often as running text holds them, put together into titles and
phrases that are cased and set with typography as such titles are: capitals
at word starts, quote marks, apostrophes, dashes, bullets, ellipses, ¿ ¡,
guillemets, currency, degree and trademark signs beside words, digits and
spaces. From that text it counts, for every pair of neighbouring character
classes (a letter whatever its case, a digit, a space, each sign), how often
the second follows the first, and for every letter how often it is a capital
after the two characters before it; it writes both as costs in half bits
(-2 log2 of the probability). Signs that such text never holds (∞, √, ‰,
spacing accents ...) cost most.

Run from the repository's root, with the word lists installed:
    python3 tools/western_pairs.py > src/library/WesternPairs.cpp
The output is the same for the same word lists (the draw is seeded).
"""

import collections
import itertools
import math
import random
import sys

# The folded classes: a space or line end, a digit, each letter (small form),
# each sign or group of signs that stand alike; "other" holds the rest.
LETTERS = "abcdefghijklmnopqrstuvwxyzàáâãäåæçèéêëìíîïðñòóôõöøùúûüýþÿßœšžı"
SIGNS = [
    " \t\r\n\u00a0", "0123456789", "’'", "‘", "“", "”", "„", "‚", '"', "«‹", "»›", "-", "–", "—", "•", "…",
    "¿", "¡", ".", ",;:", "!?", "([{", ")]}", "&+/*#@%=<>|\\^_~", "€", "£", "$", "¥", "¢", "°", "™", "®",
    "©", "ªº", "§¶", "†‡", "·", "µ", "±×÷¬", "´¨¯˘˙˚¸˝˛ˇˆ˜`",
    "∞√≠≤≥∂∑∏π∫Ω≈∆◊⁄‰ƒﬁﬂ\uf8ff", "¦¤¹²³¼½¾\u00ad",
]
CLASSES = SIGNS[:2] + list(LETTERS) + SIGNS[2:] + [""]
OTHER = len(CLASSES) - 1
CLASS_OF = {c: k for k, chars in enumerate(CLASSES) for c in chars}

# The shape of a character around a letter, for where capitals stand.
SPACE, CAPITAL, SMALL, DIGIT, APOSTROPHE, SIGN = range(6)

# The languages, each with its word lists (and their encodings): one table each.
LANGUAGES = [
    ("English", [("american-english", "utf-8")]), ("Spanish", [("spanish", "utf-8")]),
    ("Portuguese", [("portuguese", "utf-8")]), ("French", [("french", "utf-8")]),
    ("Italian", [("italian", "utf-8")]), ("German", [("ngerman", "utf-8")]), ("Dutch", [("dutch", "utf-8")]),
    ("Nordic", [("swedish", "iso-8859-1"), ("bokmaal", "iso-8859-1"), ("danish", "utf-8")]),
]
WORDS_PER_UNIT = 150_000
# How many words of running text, in a hundred, have one letter, two ...,
# LONG or more.
WORD_LENGTHS = [0, 4, 16, 17, 14, 11, 9, 8, 7, 5, 4, 5]
LONG = len(WORD_LENGTHS) - 1
APOSTROPHES = 0.04   # the most words with an apostrophe in running text, as a share

# Articles and pronouns that French and Italian elide before a vowel.
ELIDED = {
    "French": ["l’", "d’", "j’", "c’", "n’", "s’", "qu’", "m’", "t’"],
    "Italian": ["l’", "un’", "d’", "dell’", "all’", "nell’", "sull’", "c’", "quest’"],
}

rng = random.Random(1252)


def fold(c):
    return CLASS_OF.get(c.lower(), OTHER)


def shape(c):
    if c.isspace():
        return SPACE
    if c.isdigit():
        return DIGIT
    if c in "’'‘":
        return APOSTROPHE
    if c.isalpha():
        return CAPITAL if c.isupper() else SMALL
    return SIGN


def words_of(name, encoding):
    words = []
    with open("/usr/share/dict/" + name, encoding=encoding) as f:
        for line in f:
            word = line.strip().split("/")[0].replace("'", "’")
            if name == "french":   # the list writes œ as oe
                word = word.replace("oeu", "œu").replace("oei", "œi")
            if word and all(c in CLASS_OF or c.lower() in CLASS_OF for c in word):
                words.append(word)
    # Each length as often as running text holds words of that length,
    # shared among the list's words of that length; words with an
    # apostrophe (possessives fill a quarter of the English list) no more
    # often than running text holds them.
    def kind(w):
        return min(len(w), LONG), "’" in w
    kinds = collections.Counter(kind(w) for w in words)
    elided = sum(n for (_, apostrophe), n in kinds.items() if apostrophe) / len(words)
    share = {False: 1 - min(elided, APOSTROPHES), True: min(elided, APOSTROPHES)}
    weights = itertools.accumulate(WORD_LENGTHS[kind(w)[0]] * share[kind(w)[1]] / kinds[kind(w)] for w in words)
    return words, list(weights)


def number():
    year = str(rng.randint(1920, 2024))
    n = str(rng.choice([rng.randint(1, 12), rng.randint(1, 200), rng.randint(1, 9999)]))
    return rng.choice([
        year, n, year + "–" + str(rng.randint(1930, 2024)), n + "–" + str(rng.randint(1, 200)), "’" + year[2:],
        n + "°", n + " €", "€" + n, "€ " + n, "£" + n, n + " £", "$" + n, "¥" + n, n + "¢",
        n + "%", "© " + year, "No. " + n, "Nº " + n, "nº " + n, n + "º", n + "ª", n + ".", n + ":" + str(rng.randint(10, 59)), "§ " + n,
        n + "½",
    ])


# Marks around a phrase, how often (in phrases of a hundred), and the
# languages that use each most.
WRAPS = [
    (("“", "”"), 1.5), (("‘", "’"), 0.7), (('"', '"'), 0.5), (("(", ")"), 0.5), (("« ", " »"), 0.5),
    (("«", "»"), 0.5), (("„", "“"), 0.5), (("»", "«"), 0.3), (("‚", "‘"), 0.2), (("”", "”"), 0.2),
    (("¿", "?"), 1.0), (("¡", "!"), 1.0),
]
WRAPS_OF = {
    "English": [("“", "”"), ("‘", "’")],
    "French": [("« ", " »"), ("«", "»")], "Italian": [("«", "»"), ("“", "”")], "Portuguese": [("«", "»"), ("“", "”")],
    "Spanish": [("¿", "?"), ("¡", "!"), ("«", "»"), ("“", "”")], "German": [("„", "“"), ("»", "«"), ("‚", "‘")],
    "Dutch": [("„", "”"), ("‘", "’"), ("“", "”")], "Nordic": [("”", "”"), ("»", "«"), ("„", "“")],
}


def phrase(words, weights, language):
    """A title or phrase: one to seven words, cased and set."""
    count = rng.choice([1, 1, 2, 2, 3, 3, 4, 4, 5, 6, 7])
    parts = rng.choices(words, cum_weights=weights, k=count)
    # Capitals: every word's first letter, or the first word's, or as listed;
    # now and then the whole phrase in capitals.
    case = rng.random()
    if case < 0.45:
        parts = [w[:1].upper() + w[1:] for w in parts]
    elif case < 0.8:
        parts[0] = parts[0][:1].upper() + parts[0][1:]
    elif case < 0.83:
        parts = [w.upper() for w in parts]
    # Words clipped as song lyrics clip them: ’til, rockin’, ’n’.
    if language == "English":
        for k, w in enumerate(parts):
            r = rng.random()
            if r < 0.02:
                parts[k] = "’" + w[rng.randint(1, 2):] if len(w) > 3 else w
            elif r < 0.04 and w.endswith("ing"):
                parts[k] = w[:-1] + "’"
            elif r < 0.05:
                parts[k] = "’n’"
    for k, w in enumerate(parts):
        if language in ELIDED and w[:1].lower() in "aeiouhàâéèêîôœ" and rng.random() < 0.3:
            parts[k] = rng.choice(ELIDED[language]) + w
            parts[k] = parts[k][:1].upper() + parts[k][1:] if w[:1].isupper() else parts[k]
    if rng.random() < 0.15:
        parts.insert(rng.randint(0, len(parts)), number())
    text = parts[0]
    # American English sets its dashes closed, the others spaced.
    closed = 2 if language == "English" else 0.3
    for w in parts[1:]:
        text += rng.choices([" ", " – ", " - ", ", ", " & ", " / ", " • ", " — ", "—", "-", ": ", " · ", "; "],
                            [60, 3, 3, 4, 1.5, 1, 1.5, 1, closed, 1.5, 1, 0.2, 0.3])[0] + w
    # Marks after it, and around it (the marks after within or without).
    # Every language borrows the others'
    # marks now and then (a Spanish ¡...! around English words); its own
    # come more often.
    own = WRAPS_OF.get(language, ())
    wraps = [(marks, (3.0 if marks in own else 0.3) * share) for marks, share in WRAPS]
    choice = rng.choices(wraps + [(None, 100)], [w for _, w in wraps] + [100])[0][0]
    end = rng.choices(["…", ".", "!", "?", ":", "™", "®", " ™", " ®", ""], [3, 1, 1, 1, 0.5, 0.7, 0.3, 0.2, 0.2, 92])[0]
    if choice and rng.random() < 0.5:
        text = choice[0] + text + end + choice[1]
    elif choice:
        text = choice[0] + text + choice[1] + end
    else:
        text += end
    return text


def counts_of(language, lists):
    """How often each pair and case stand in phrases of a language's words."""
    size = len(CLASSES)
    pairs = [[0] * size for _ in range(size)]
    capitals = [[[0, 0] for _ in range(6)] for _ in range(6)]   # [before last][last][small, capital]
    for name, encoding in lists:
        words, weights = words_of(name, encoding)
        drawn = 0
        while drawn < WORDS_PER_UNIT / len(lists):
            text = " " + phrase(words, weights, language) + " "
            drawn += text.count(" ")
            for k in range(1, len(text)):
                pairs[fold(text[k - 1])][fold(text[k])] += 1
                c = text[k]
                if c.isalpha() and c.lower() != c.upper():
                    before = shape(text[k - 2]) if k >= 2 else SPACE
                    capitals[before][shape(text[k - 1])][c.isupper()] += 1
    return pairs, capitals


def smoothed(pairs, below):
    """Each row's probabilities: its own counts, mixed with the row below
    it (all languages' row, or the classes' overall frequencies) as far as
    its counts are few, so that a pair never seen costs by what follows the
    class elsewhere."""
    size = len(CLASSES)
    rows = []
    for a in range(size):
        row = sum(pairs[a])
        trust = row / (row + 5.0)
        rows.append([trust * pairs[a][b] / max(row, 1) + (1 - trust) * below[a][b] for b in range(size)])
    return rows


def costs_of(pairs, capitals, everywhere):
    size = len(CLASSES)
    costs = [min(63, round(-2 * math.log2(p))) for row in smoothed(pairs, everywhere) for p in row]
    case_costs = []
    for before in range(6):
        for last in range(6):
            small, capital = capitals[before][last]
            p = (capital + 1.0) / (small + capital + 2.0)
            case_costs += [min(63, round(-2 * math.log2(1 - p))), min(63, round(-2 * math.log2(p)))]
    return costs, case_costs


def main():
    size = len(CLASSES)
    counts = [(language, *counts_of(language, lists)) for language, lists in LANGUAGES]
    pooled = [[sum(c[1][a][b] for c in counts) for b in range(size)] for a in range(size)]
    totals = [sum(pooled[a][b] for a in range(size)) for b in range(size)]
    overall = [(t + 0.5) / (sum(totals) + 0.5 * size) for t in totals]
    everywhere = smoothed(pooled, [[p * 0.5 for p in overall]] * size)
    write([(language, *costs_of(pairs, capitals, everywhere)) for language, pairs, capitals in counts])


DIGITS = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz+-"


def cpp_string(s):
    escapes = {"\\": "\\\\", '"': '\\"', "\t": "\\t", "\r": "\\r", "\n": "\\n"}
    return "".join(escapes.get(c, c if " " <= c <= "~" else "\\u%04X" % ord(c)) for c in s)


def write(tables):
    out = sys.stdout
    out.write("// Generated by tools/western_pairs.py from word lists of ten Western languages;\n"
              "// do not edit: run the tool again.\n\n#include \"library/WesternPairs.h\"\n\nnamespace WesternPairs {\n\n")
    out.write("const int kClassCount = %d;\n\nconst char16_t* const kClasses[] = {\n" % len(CLASSES))
    for chars in CLASSES:
        out.write('    u"%s",\n' % cpp_string(chars))
    out.write("};\n\nconst int kLanguageCount = %d;\n\nconst Language kLanguages[] = {\n" % len(tables))
    for language, costs, case_costs in tables:
        out.write("    {// %s\n" % language)
        text = "".join(DIGITS[c] for c in costs)
        for k in range(0, len(text), 110):
            out.write('     "%s"\n' % text[k:k + 110])
        out.write('     ,\n     "%s"},\n' % "".join(DIGITS[c] for c in case_costs))
    out.write("};\n\n} // namespace WesternPairs\n")


if __name__ == "__main__":
    main()
