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
the second follows the first; for every letter how often it is a capital
after the two characters before it; and for every three kinds of character
in a row (a letter, a space, a line end, an apostrophe, a dash, an opening
or closing mark ...) how much likelier the third is after the first two
than after the second alone. It writes them as costs in half bits (-2 log2
of the probability). Signs that such text never holds (∞, √, ‰, spacing
accents ...) cost most; a letter that no list holds (ð, þ, š ...) costs as
a rare letter.

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
    " \t\r\n", "\u00a0", "0123456789", "’'", "‘", "“", "”", "„", "‚", '"', "«‹", "»›", "-", "–", "—", "•", "…",
    "¿", "¡", ".", ",;:", "!?", "([{", ")]}", "&+/*#@%=<>|\\^_~", "€", "£", "$", "¥", "¢", "°", "™", "®",
    "©", "ªº", "§¶", "†‡", "·", "µ", "±×÷¬", "´¨¯˘˙˚¸˝˛ˇˆ˜`",
    "∞√≠≤≥∂∑∏π∫Ω≈∆◊⁄‰ƒﬁﬂ\uf8ff", "¦¤¹²³¼½¾\u00ad",
]
CLASSES = SIGNS[:3] + list(LETTERS) + SIGNS[3:] + [""]
OTHER = len(CLASSES) - 1
CLASS_OF = {c: k for k, chars in enumerate(CLASSES) for c in chars}

# The shape of a character around a letter, for where capitals stand.
SPACE, CAPITAL, SMALL, DIGIT, APOSTROPHE, SIGN, BREAK = range(7)
SHAPES = 7

# The kind of a character, whatever its case, for how three characters in a
# row stand: what a pair of classes cannot see, such as a quote mark or a
# dash between two letters, a one-letter word after an opening mark, or a
# closing mark at a value's start. Each class is of one kind; a line end,
# TAB or a value's end is a break.
KINDS = ["break", "space", "no-break space", "letter", "digit", "’'", "-", "–—", "¿¡([{„‚", "“‘", "”\"", "«‹", "»›",
         ".,;:!?)]}…", "sign"]
KIND_BREAK, KIND_SPACE, KIND_NBSP, KIND_LETTER, KIND_DIGIT, KIND_SIGN = 0, 1, 2, 3, 4, len(KINDS) - 1
BREAKS = "\n\r\t\u2028"


def kind_of_class(k):
    chars = CLASSES[k]
    if k == 0:
        return KIND_SPACE
    if chars == "\u00a0":
        return KIND_NBSP
    if chars and chars[0].isalpha() and len(chars) == 1:
        return KIND_LETTER
    if chars and chars[0].isdigit():
        return KIND_DIGIT
    for kind, marks in enumerate(KINDS[5:-1], 5):
        if chars and all(c in marks for c in chars):
            return kind
    return KIND_SIGN


CLASS_KINDS = [kind_of_class(k) for k in range(len(CLASSES))]

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
APOSTROPHES = 0.06   # the most words with an apostrophe in running text, as a share

# Articles and pronouns that French and Italian elide before a vowel.
ELIDED = {
    "French": ["l’", "d’", "j’", "c’", "n’", "s’", "qu’", "m’", "t’"],
    "Italian": ["l’", "un’", "d’", "dell’", "all’", "nell’", "sull’", "c’", "quest’"],
}

rng = random.Random(1252)


def fold(c):
    return CLASS_OF.get(c.lower(), OTHER)


def kind(c):
    return KIND_BREAK if c in BREAKS else CLASS_KINDS[fold(c)]


def shape(c):
    if c in BREAKS:
        return BREAK
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
        n + "°", n + " €", n + "€", "€" + n, "€ " + n, "£" + n, n + " £", "$" + n, "¥" + n, n + "¢",
        n + "%", "© " + year, "No. " + n, "Nº " + n, "nº " + n, n + "º", n + "ª", n + ".", n + ":" + str(rng.randint(10, 59)), "§ " + n,
        n + "½", n + " ½", "¼", "½", "¾", n + "¾", n + " °C", n + "°C", n + " °F", n + " × " + str(rng.randint(2, 12)),
        n + "×" + str(rng.randint(2, 12)), n + "×", "× " + n, "± " + n, n + " µs",
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


# English contracts its commonest words, which its word list holds few of.
CONTRACTIONS = ("don’t can’t won’t isn’t ain’t aren’t wasn’t couldn’t wouldn’t doesn’t didn’t haven’t it’s I’m "
                "you’re we’re they’re I’ll you’ll we’ll I’ve you’ve I’d let’s that’s what’s there’s he’s she’s "
                "who’s").split()
# Signs that stand alone as a value: a dash for nothing, an ellipsis, a
# bullet, a mark or a sum of money.
LONE = "–—…•·*©®™€£$%&#§½?!-+/"


def phrase(words, weights, language):
    """A title or phrase: one to seven words, cased and set; now and then a
    lone sign."""
    if rng.random() < 0.01:
        return rng.choice(LONE)
    count = rng.choice([1, 1, 2, 2, 3, 3, 4, 4, 5, 6, 7])
    parts = rng.choices(words, cum_weights=weights, k=count)
    if language == "English":
        parts = [rng.choice(CONTRACTIONS) if rng.random() < 0.05 else w for w in parts]
    for k, w in enumerate(parts):
        if language in ELIDED and len(w) > 1 and w[:1].lower() in "aeiouhàâéèêîôœ" and rng.random() < 0.3:
            parts[k] = rng.choice(ELIDED[language]) + w
    # Capitals: every word's first letter, or the first word's, or as listed;
    # now and then the whole phrase in capitals. An elided word's capital
    # stands first ("L’amour"), and in every word's capitals often after the
    # apostrophe too ("L’Amour").
    case = rng.random()
    if case < 0.45:
        parts = [w[:1].upper() + w[1:] for w in parts]
        parts = [w[:w.index("’") + 1] + w[w.index("’") + 1:].capitalize() if "’" in w[:-1] and rng.random() < 0.5
                 else w for w in parts]
    elif case < 0.88:
        parts[0] = parts[0][:1].upper() + parts[0][1:]
    elif case < 0.95:
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
    if rng.random() < 0.15:
        parts.insert(rng.randint(0, len(parts)), number())
    text = parts[0]
    # American English sets its dashes closed, the others spaced (an en
    # dash now and then closed).
    closed = 2 if language == "English" else 0.3
    for w in parts[1:]:
        text += rng.choices([" ", " – ", " - ", ", ", " & ", " / ", " • ", " — ", "—", "–", "-", ": ", " · ", "; "],
                            [60, 3, 3, 4, 1.5, 1, 1.5, 1, closed, 0.1, 1.5, 1, 0.2, 0.3])[0] + w
    # Marks after it, and around it (the marks after within or without).
    # Every language borrows the others'
    # marks now and then (a Spanish ¡...! around English words); its own
    # come more often.
    own = WRAPS_OF.get(language, ())
    wraps = [(marks, (3.0 if marks in own else 0.3) * share) for marks, share in WRAPS]
    choice = rng.choices(wraps + [(None, 100)], [w for _, w in wraps] + [100])[0][0]
    ends = ["…", ".", "!", "?", ":", "™", "®", " ™", " ®", " ?", " !", ""]
    spaced = 1 if language == "French" else 0
    end = rng.choices(ends, [3, 1, 1, 1, 0.5, 0.7, 0.3, 0.2, 0.2, spaced, spaced, 92])[0]
    if choice and rng.random() < 0.5:
        text = choice[0] + text + end + choice[1]
    elif choice:
        text = choice[0] + text + choice[1] + end
    else:
        text += end
    # French sets a space inside guillemets and before ? ! : ; often a
    # no-break one.
    if language == "French" and rng.random() < 0.5:
        for marks in ["« ", " »", " ?", " !", " :", " ;"]:
            text = text.replace(marks, marks.replace(" ", "\u00a0"))
    return text


def counts_of(language, lists):
    """How often each pair, case and three kinds in a row stand in phrases
    of a language's words, each phrase a value between line ends."""
    size, kinds = len(CLASSES), len(KINDS)
    pairs = [[0] * size for _ in range(size)]
    capitals = [[[0, 0] for _ in range(SHAPES)] for _ in range(SHAPES)]   # [before last][last][small, capital]
    triples = [[[0] * kinds for _ in range(kinds)] for _ in range(kinds)]
    for name, encoding in lists:
        words, weights = words_of(name, encoding)
        drawn = 0
        while drawn < WORDS_PER_UNIT / len(lists):
            text = "\n" + phrase(words, weights, language) + "\n"
            drawn += text.count(" ") + 1
            for k in range(1, len(text)):
                pairs[fold(text[k - 1])][fold(text[k])] += 1
                c = text[k]
                before = text[k - 2] if k >= 2 else "\n"
                triples[kind(before)][kind(text[k - 1])][kind(c)] += 1
                if c.isalpha() and c.lower() != c.upper():
                    capitals[shape(before)][shape(text[k - 1])][c.isupper()] += 1
    return pairs, capitals, triples


def mixed(counts, below, weight):
    """Probabilities from counts, mixed with those below them (all
    languages', or a coarser view's) as far as the counts are few."""
    total = sum(counts)
    trust = total / (total + weight)
    return [trust * n / max(total, 1) + (1 - trust) * p for n, p in zip(counts, below)]


def cost(p, least=0, most=63):
    return max(least, min(most, round(-2 * math.log2(p))))


# A letter that no list holds (ð, þ, š, ž ...) still stands in words and
# names of other Western languages: it costs as a letter that one letter in
# RARE_LETTER is, where a letter may follow.
RARE_LETTER = 20_000


def pair_rows(pairs, below):
    """Each class's row: what follows it, mixed with the row below."""
    rows = [mixed(pairs[a], below[a], 5.0) for a in range(len(CLASSES))]
    seen = [any(pairs[a][b] for a in range(len(CLASSES))) for b in range(len(CLASSES))]
    for row in rows:
        letter = sum(p for b, p in enumerate(row) if CLASS_KINDS[b] == KIND_LETTER)
        for b in range(len(CLASSES)):
            if CLASS_KINDS[b] == KIND_LETTER and not seen[b]:
                row[b] = max(row[b], letter / RARE_LETTER)
    return rows


def triple_rows(triples, below):
    """For each two kinds in a row, what kind follows them, mixed with
    the rows below."""
    kinds = range(len(KINDS))
    return [[mixed(triples[a][b], below[a][b], 20.0) for b in kinds] for a in kinds]


def kind_pairs(triples):
    return [[sum(triples[a][b][c] for a in range(len(KINDS))) for c in range(len(KINDS))] for b in range(len(KINDS))]


def main():
    size, kinds = len(CLASSES), len(KINDS)
    counts = [(language, *counts_of(language, lists)) for language, lists in LANGUAGES]
    pooled = [[sum(c[1][a][b] for c in counts) for b in range(size)] for a in range(size)]
    totals = [sum(pooled[a][b] for a in range(size)) for b in range(size)]
    overall = [(t + 0.5) / (sum(totals) + 0.5 * size) for t in totals]
    # A class never seen before another is followed as its kind is.
    by_kind = [[sum(pooled[a][b] for a in range(size) if CLASS_KINDS[a] == k) for b in range(size)] for k in range(kinds)]
    kind_rows = [mixed(row, overall, 5.0) for row in by_kind]
    everywhere = pair_rows(pooled, [kind_rows[CLASS_KINDS[a]] for a in range(size)])
    pooled_triples = [[[sum(c[3][a][b][k] for c in counts) for k in range(kinds)] for b in range(kinds)]
                      for a in range(kinds)]
    pooled_kinds = [mixed(row, [1.0 / kinds] * kinds, 5.0) for row in kind_pairs(pooled_triples)]
    everywhere_triples = triple_rows(pooled_triples, [pooled_kinds] * kinds)
    tables = []
    for language, pairs, capitals, triples in counts:
        rows = pair_rows(pairs, everywhere)
        # Cases: the cost of a letter's being small, then of its being a
        # capital, after two characters of these shapes.
        case_costs = []
        for before in range(SHAPES):
            for last in range(SHAPES):
                small, capital = capitals[before][last]
                p = (capital + 1.0) / (small + capital + 2.0)
                case_costs += [cost(1 - p), cost(p)]
        # Three kinds in a row: how much likelier (or less) the third is
        # after the first two than after the second alone, in half bits.
        pairs_of_kinds = [mixed(row, pooled_kinds[b], 20.0) for b, row in enumerate(kind_pairs(triples))]
        three = triple_rows(triples, everywhere_triples)
        shifts = [cost(three[a][b][c] / pairs_of_kinds[b][c], -32, 31) + 32
                  for a in range(kinds) for b in range(kinds) for c in range(kinds)]
        tables.append((language, [cost(p) for row in rows for p in row], case_costs, shifts))
    write(tables)


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
    out.write("};\n\nconst char kClassKinds[] = \"%s\";\n" % "".join(DIGITS[k] for k in CLASS_KINDS))
    out.write("\nconst int kLanguageCount = %d;\n\nconst Language kLanguages[] = {\n" % len(tables))
    for language, costs, case_costs, shifts in tables:
        out.write("    {// %s\n" % language)
        for table in [costs, case_costs, shifts]:
            text = "".join(DIGITS[c] for c in table)
            for k in range(0, len(text), 110):
                out.write('     "%s"\n' % text[k:k + 110])
            out.write("     ,\n" if table is not shifts else "    },\n")
    out.write("};\n\n} // namespace WesternPairs\n")


if __name__ == "__main__":
    main()
