#!/usr/bin/env python3
"""Derives src/library/WesternPairs.cpp: how characters stand beside each
other in Western-European writing, as the song-script reader uses it to
choose a file's 8-bit encoding.

The text it learns from is made up here: words drawn from the word lists
and dictionaries of the Western languages whose letters the two 8-bit sets
hold (tools/western_words.py names them and the Debian packages they come
in; an eighth of each list is kept for the tuning set and an eighth for the
test set of tools/songscript_corpus.py, and never learnt from), close
languages sharing one table, shorter words drawn more often as running text
holds them and each language's commonest words most often, with the
apostrophes its words take that its list lacks (French l’, Catalan d’,
Irish d’fh, Welsh i’r, Turkish Ankara’da, German hab’, Afrikaans ’n), put
together into titles and phrases that are cased and set with typography as
such titles are: capitals
at word starts, quote marks, apostrophes, dashes, bullets, ellipses, ¿ ¡,
guillemets, currency, degree and trademark signs beside words, digits and
spaces. From that text it counts, for every pair of neighbouring character
classes (a letter whatever its case, a digit, a space, each sign), how often
the second follows the first; for every letter how often it is a capital
after the two characters before it; and for every three kinds of character
in a row (a vowel, another letter, a space, a line end, an apostrophe, a
dash, an opening or closing mark ...) how much likelier the third is after
the first two than after the second alone. It writes them as costs in half
bits (-2 log2 of the probability). Signs that such text never holds (∞, √,
‰, spacing accents ...) cost most; a letter that no list holds costs as a
rare letter, and one that no living language writes (ǂ, Ɇ) as the least
likely. Letters an 8-bit set lacks stand as its writer put them (Polish ł
as l, Turkish ş as s, Hungarian ő as õ), as an older copy's file holds
them; a share of the titles keep them, as a UTF-8 file holds them, and now
and then a word or a lone character of another script, a symbol or a sign
such as a formula's subscripts stands among the words, as titles hold
them, so that a UTF-8 character weighs as itself where its bytes would read
as 8-bit text. Each table's prior is how often
a dancer's song is in its languages.

Run from the repository's root, with the word lists installed:
    python3 tools/western_pairs.py > src/library/WesternPairs.cpp
The output is the same for the same word lists (the draw is seeded).
"""

import collections
import itertools
import math
import random
import sys
import unicodedata

import western_words

# The folded classes: a space or line end, a digit, each letter (small form),
# each sign or group of signs that stand alike, and the four of the rest.
LETTERS = "abcdefghijklmnopqrstuvwxyzàáâãäåæçèéêëìíîïðñòóôõöøùúûüýþÿßœšžı"
SIGNS = [
    " \t\r\n", "\u00a0", "0123456789", "’'", "‘", "“", "”", "„", "‚", '"', "«‹", "»›", "-", "–", "—", "•", "…",
    "¿", "¡", ".", ",;:", "!?", "([{", ")]}", "&+/*#@%=<>|\\^_~", "€", "£", "$", "¥", "¢", "°", "™", "®",
    "©", "ªº", "§¶", "†‡", "·", "µ", "±×÷¬", "´¨¯˘˙˚¸˝˛ˇˆ˜`",
    "∞√≠≤≥∂∑∏π∫Ω≈∆◊⁄‰ƒﬁﬂ\uf8ff", "¦¤¹²³¼½¾\u00ad",
]
# The last five classes hold the characters not listed: letters and marks
# of the Latin script that no 8-bit set has but living languages write (ł,
# ş, ș, ư, a combining accent), the other letters of the Latin script
# (phonetic ones, ǂ, Ɇ), which the titles never hold, letters and marks of
# other scripts, symbols (emoji, and either half of a character beyond
# U+FFFF), and the rest.
CLASSES = SIGNS[:3] + list(LETTERS) + SIGNS[3:] + ["", "", "", "", ""]
OTHER_LATIN, RARE_LATIN, OTHER_SCRIPT, SYMBOL, OTHER = range(len(CLASSES) - 5, len(CLASSES))
CLASS_OF = {c: k for k, chars in enumerate(CLASSES) for c in chars}
# Where letters of the Latin script beyond the 8-bit sets are (with the
# combining accents and the phonetic letters), and those of them that
# living languages write, as kLatinElsewhere and kLatinInUse in
# src/library/WesternPairs.h.
LATIN_ELSEWHERE = [(0x100, 0x24F), (0x250, 0x2AF), (0x300, 0x36F), (0x1E00, 0x1EFF), (0x2C60, 0x2C7F),
                   (0xA720, 0xA7FF), (0xAB30, 0xAB6F)]
LATIN_IN_USE = [(0x100, 0x17F), (0x18F, 0x18F), (0x1A0, 0x1A1), (0x1AF, 0x1B0), (0x1C4, 0x1CC), (0x218, 0x21B),
                (0x259, 0x259), (0x300, 0x36F), (0x1E00, 0x1EFF)]

# The shape of a character around a letter, for where capitals stand.
SPACE, CAPITAL, SMALL, DIGIT, APOSTROPHE, SIGN, BREAK = range(7)
SHAPES = 7

# The kind of a character, whatever its case, for how three characters in a
# row stand: what a pair of classes cannot see, such as a quote mark or a
# dash between two letters, a one-letter word after an opening mark, or a
# closing mark at a value's start, or a vowel alone after an apostrophe at
# a word's end ("Garc’a", where "don’t" has a consonant). Each class is of
# one kind; a line end, TAB or a value's end is a break.
KINDS = ["break", "space", "no-break space", "letter", "digit", "’'", "-", "–—", "¿¡([{„‚", "“‘", "”\"", "«‹", "»›",
         ".,;:!?)]}…", "sign", "vowel"]
KIND_BREAK, KIND_SPACE, KIND_NBSP, KIND_LETTER, KIND_DIGIT, KIND_SIGN, KIND_VOWEL = 0, 1, 2, 3, 4, 14, 15
VOWELS_OF_KINDS = "aeiouyàáâãäåæèéêëìíîïòóôõöøùúûüýÿœı"
BREAKS = "\n\r\t\u2028"


def kind_of_class(k):
    chars = CLASSES[k]
    if k == 0:
        return KIND_SPACE
    if chars == "\u00a0":
        return KIND_NBSP
    if chars in VOWELS_OF_KINDS and len(chars) == 1:
        return KIND_VOWEL
    if (chars and chars[0].isalpha() and len(chars) == 1) or k in (OTHER_LATIN, RARE_LATIN, OTHER_SCRIPT):
        return KIND_LETTER
    if chars and chars[0].isdigit():
        return KIND_DIGIT
    for kind, marks in enumerate(KINDS[5:KIND_SIGN], 5):
        if chars and all(c in marks for c in chars):
            return kind
    return KIND_SIGN


CLASS_KINDS = [kind_of_class(k) for k in range(len(CLASSES))]

# The tables, each for one language or a group of close ones (their words
# drawn alike), at most as many as the reader holds (kMostLanguages), and
# how often, in a hundred, a value of a dancer's songs is in it: the songs
# that partner dancers dance to are mostly sung in English and Spanish,
# then in the other large languages.
LANGUAGES = [
    ("English", ["English"], 20), ("Spanish", ["Spanish"], 16), ("Portuguese, Galician", ["Portuguese", "Galician"], 8), ("French", ["French"], 8), ("Italian", ["Italian"], 8),
    ("German", ["German"], 8), ("Dutch, Afrikaans", ["Dutch", "Afrikaans"], 5),
    ("Nordic", ["Swedish", "Norwegian", "Danish"], 5), ("Icelandic, Faroese", ["Icelandic", "Faroese"], 2),
    ("Irish, Scots Gaelic", ["Irish", "Scots Gaelic"], 3), ("Welsh, Breton", ["Welsh", "Breton"], 2), ("Catalan, Basque", ["Catalan", "Basque"], 4),
    ("Polish, Czech", ["Polish", "Czech"], 3), ("Hungarian, Estonian", ["Hungarian", "Estonian"], 3),
    ("Turkish", ["Turkish"], 3), ("Albanian, Romanian", ["Albanian", "Romanian"], 3),
]
WORDS_PER_UNIT = 400_000
# How many words of running text, in a hundred, have one letter, two ...,
# LONG or more.
WORD_LENGTHS = [0, 4, 16, 17, 14, 11, 9, 8, 7, 5, 4, 5]
LONG = len(WORD_LENGTHS) - 1
APOSTROPHES = 0.06   # the most words with an apostrophe in running text, as a share
# Albanian's list holds every verb with its negation s’ and pronouns m’, t’
# before it, which running text holds less often.
APOSTROPHES_OF = {"Albanian": 0.01}

# Articles, pronouns and particles that languages elide before a vowel
# (Irish and Scots Gaelic before fh too), which their word lists hold few
# of.
VOWELS = "aeiouhàâéèêîôœáíóúòì"
ELIDED = {
    "French": ["l’", "d’", "j’", "c’", "n’", "s’", "qu’", "m’", "t’"],
    "Italian": ["l’", "un’", "d’", "dell’", "all’", "nell’", "sull’", "c’", "quest’"],
    "Catalan": ["l’", "d’", "s’", "n’", "m’", "t’"],
    "Irish": ["d’", "b’", "m’"],
    "Scots Gaelic": ["dh’", "m’", "d’"],
}
# Words that a language writes with an apostrophe of their own: Afrikaans'
# article, Dutch's elided ones, the Gaelic article and verb, Italian's
# clipped ones (Neapolitan songs' articles).
APOSTROPHE_WORDS = {"Afrikaans": (["’n"], 0.06), "Dutch": (["’s", "’t", "zo’n"], 0.01),
                    "Scots Gaelic": (["a’", "’s"], 0.02), "Irish": (["a’"], 0.01),
                    "Italian": (["po’", "po’", "po’", "’na", "’o", "’a", "’e"], 0.02)}
# Endings that follow an apostrophe: Welsh's article and pronouns after a
# vowel (i’r, mae’n), Turkish case endings after a name (Ankara’da),
# German's dropped e and its es (hab’, lieb’, geht’s).
APOSTROPHE_ENDINGS = {
    "German": (["’", "’", "’s"], 0.08),
    "Welsh": (["’r", "’n", "’i", "’w"], 0.1),
    "Turkish": (["’da", "’de", "’ta", "’te", "’nın", "’nin", "’un", "’ün", "’a", "’e", "’ya", "’ye", "’dan", "’den",
                 "’ı", "’i", "’la", "’le"], 0.15),
}

rng = random.Random(1252)


def fold(c):
    k = CLASS_OF.get(c)
    if k is None:
        k = CLASS_OF.get(c.lower())
    if k is not None:
        return k
    u = ord(c)
    if c.isspace():
        return 0
    if 0xD800 <= u <= 0xDFFF:
        return SYMBOL
    category = unicodedata.category(c)
    if category[0] in "LM":
        if any(a <= u <= b for a, b in LATIN_IN_USE):
            return OTHER_LATIN
        return RARE_LATIN if any(a <= u <= b for a, b in LATIN_ELSEWHERE) else OTHER_SCRIPT
    return SYMBOL if category == "So" else OTHER


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


def words_of(language):
    most = APOSTROPHES_OF.get(language, APOSTROPHES)
    words = []
    for word in western_words.words(language, western_words.LEARN):
        if language == "French":   # the list writes œ as oe
            word = word.replace("oeu", "œu").replace("oei", "œi")
        words.append(word)
    # Each length as often as running text holds words of that length,
    # shared among the list's words of that length; words with an
    # apostrophe (possessives fill a quarter of the English list) no more
    # often than running text holds them.
    def kind(w):
        return min(len(w), LONG), "’" in w
    kinds = collections.Counter(kind(w) for w in words)
    elided = sum(n for (_, apostrophe), n in kinds.items() if apostrophe) / len(words)
    share = {False: 1 - min(elided, most), True: min(elided, most)}
    weights = itertools.accumulate(WORD_LENGTHS[kind(w)[0]] * share[kind(w)[1]] / kinds[kind(w)] for w in words)
    return words, list(weights)


def number():
    year = str(rng.randint(1920, 2024))
    n = str(rng.choice([rng.randint(1, 12), rng.randint(1, 200), rng.randint(1, 9999)]))
    return rng.choice([
        year, n, year + "–" + str(rng.randint(1930, 2024)), n + "–" + str(rng.randint(1, 200)), "’" + year[2:],
        n + "°", n + " €", n + "€", "€" + n, "€ " + n, "£" + n, n + " £", "$" + n, "¥" + n, n + "¢",
        n + "%", "© " + year, "No. " + n, "Nº " + n, "nº " + n, n + "º", n + "ª", n + ".", n + ":" + str(rng.randint(10, 59)), "§ " + n,
        n + "½", n + " ½", "¼", "½", "¾", n + "¾", n + " °C", n + " × " + str(rng.randint(2, 12)),
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
    "Dutch": [("„", "”"), ("‘", "’"), ("“", "”")], "Afrikaans": [("“", "”"), ("‘", "’")],
    "Swedish": [("”", "”"), ("»", "»")], "Norwegian": [("«", "»")], "Danish": [("»", "«"), ("„", "“")],
    "Icelandic": [("„", "“")], "Faroese": [("„", "“"), ("”", "”")], "Irish": [("“", "”"), ("‘", "’")],
    "Scots Gaelic": [("“", "”"), ("‘", "’")], "Welsh": [("‘", "’"), ("“", "”")], "Breton": [("«", "»"), ("“", "”")], "Catalan": [("«", "»"), ("“", "”")],
    "Galician": [("¿", "?"), ("¡", "!"), ("«", "»"), ("“", "”")], "Basque": [("¿", "?"), ("¡", "!"), ("«", "»")], "Polish": [("„", "”"), ("«", "»")],
    "Czech": [("„", "“"), ("»", "«")], "Hungarian": [("„", "”"), ("»", "«")], "Estonian": [("„", "“"), ("«", "»")],
    "Turkish": [("“", "”"), ("«", "»")], "Albanian": [("«", "»"), ("„", "“")], "Basque": [("«", "»"), ("“", "”")],
    "Romanian": [("„", "”"), ("«", "»")],
}


# The commonest words of each language, which running text and titles are
# full of ("ich lieb’ dich", "Sabor a Mí", "El Día Que Me Quieras") and a
# word list holds once each; a share of the words drawn (COMMON) are these.
COMMON_WORDS = {
    "English": "the a an and of to in on for with you i me my your it is be love all we us he she they",
    "Spanish": "el la los las de del y que en un una por con para me mi tu te se no es lo al amor más sin yo",
    "Portuguese": "o a os as de do da dos das e que em um uma por com para me meu minha tu te se não é eu você",
    "Galician": "o a os as de do da e que en un unha por con para me meu miña ti non é eu",
    "French": "le la les de des du et un une à au que qui je tu il elle en pour pas mon ma mes moi toi",
    "Italian": "il lo la i gli le di del della e che un una a in per con mi ti si non è io tu amore mio mia",
    "German": "der die das und ich du er sie es nicht mit dem den ein eine zu in im auf für mich dich mein dein ist so",
    "Dutch": "de het een en van in op ik je jij niet met dat die is te voor mijn zo maar",
    "Afrikaans": "die en van in op ek jy nie met dat is te vir my so maar",
    "Swedish": "och i att det som en på är jag du inte med för till av min din den",
    "Norwegian": "og i det at en på er jeg du ikke med for til av min din den",
    "Danish": "og i det at en på er jeg du ikke med for til af min din den",
    "Icelandic": "og í á að er ég þú ekki með fyrir um sem það hann hún",
    "Faroese": "og í á at er eg tú ikki við fyri um sum tað hann hon",
    "Irish": "an na agus ar i ag is mo do le go ní sé sí tá bhí",
    "Scots Gaelic": "an na agus air ann aig is mo do le gu chan e i tha bha",
    "Welsh": "y yr a ac o i yn ar mae ei fy dy ni chi hi fe ond",
    "Breton": "ar an ha hag e da en gant eo me te ni hon ma war",
    "Catalan": "el la els les de del i que en un una per amb em et es no és jo tu",
    "Polish": "i w z na się nie to że do jak o jest ja ty mi mnie ale tak",
    "Czech": "a v se na je to že s z do jak ale já ty mi mě tak o i",
    "Hungarian": "a az és egy hogy nem is de én te meg volt van ki mi",
    "Estonian": "ja on ei see et kui ma sa ta oma mu su nii ka",
    "Turkish": "ve bir bu da de ne ben sen o için ile çok gibi ama mi",
    "Albanian": "e të në dhe një që me për unë ti ai ajo nuk është",
    "Basque": "eta ez da bat hau hori zer nire zure ni zu gu bere baina ere bai oso",
    "Romanian": "și în la de cu pe nu un o că se mai din pentru eu tu el ea îmi te sunt e",
}
COMMON = 0.15

# English contracts its commonest words, which its word list holds few of.
CONTRACTIONS = ("don’t can’t won’t isn’t ain’t aren’t wasn’t couldn’t wouldn’t doesn’t didn’t haven’t it’s I’m "
                "you’re we’re they’re I’ll you’ll we’ll I’ve you’ve I’d let’s that’s what’s there’s he’s she’s "
                "who’s").split()
# Signs that stand alone as a value: a dash for nothing, an ellipsis, a
# bullet, a mark or a sum of money.
LONE = "–—…•·*©®™€£$%&#§½?!-+/"


REPEATED = 0.02


def phrase(words, weights, language):
    """A title or phrase: one to seven words, cased and set; now and then a
    lone sign."""
    if rng.random() < 0.01:
        return rng.choice(LONE)
    count = rng.choice([1, 1, 2, 2, 3, 3, 4, 4, 5, 6, 7])
    parts = rng.choices(words, cum_weights=weights, k=count)
    common = COMMON_WORDS.get(language, "").split()
    parts = [rng.choice(common) if common and rng.random() < COMMON else w for w in parts]
    if language == "English":
        parts = [rng.choice(CONTRACTIONS) if rng.random() < 0.05 else w for w in parts]
    for k, w in enumerate(parts):
        if (language in ELIDED and len(w) > 1 and (w[:1].lower() in VOWELS or (w[:2] == "fh" and language in ("Irish", "Scots Gaelic")))
                and rng.random() < 0.3):
            parts[k] = rng.choice(ELIDED[language]) + w
        endings, share = APOSTROPHE_ENDINGS.get(language, ([], 0))
        after = (w[-1:] in VOWELS if language == "Welsh" else w[:1].isupper() if language == "Turkish"
                 else w[-1:] == "e" and w.islower())
        if language == "German" and after:
            w = w[:-1]
        if after and rng.random() < share:
            parts[k] = w + rng.choice(endings)
    if language in APOSTROPHE_WORDS:
        words_of_its_own, share = APOSTROPHE_WORDS[language]
        for k in range(len(parts), -1, -1):
            if rng.random() < share:
                parts.insert(k, rng.choice(words_of_its_own))
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
    # dash now and then closed); titles seldom hold a closed one.
    closed = 0.05 if language == "English" else 0.02
    for w in parts[1:]:
        text += rng.choices([" ", " – ", " - ", ", ", " & ", " / ", " • ", " — ", "—", "–", "-", ": ", " · ", "; "],
                            [60, 3, 3, 4, 1.5, 1, 1.5, 1, closed, 0.1, 1.5, 1, 0.2, 0.3])[0] + w
    # Marks after it, and around it (the marks after within or without).
    # Every language borrows the others'
    # marks now and then (a Spanish ¡...! around English words); its own
    # come more often.
    own = WRAPS_OF.get(language, ())
    wraps = [(marks, (3.0 if marks in own else 0.1) * share) for marks, share in WRAPS]
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
    # Titles now and then say it twice ("¡Mambo! ¡Mambo!", "Da Da Da").
    if rng.random() < REPEATED:
        text += " " + text
    # French sets a space inside guillemets and before ? ! : ; often a
    # no-break one.
    if language == "French" and rng.random() < 0.5:
        for marks in ["« ", " »", " ?", " !", " :", " ;"]:
            text = text.replace(marks, marks.replace(" ", "\u00a0"))
    return text


# Characters of other scripts and symbols, as titles in UTF-8 hold them: a
# word of Chinese, Japanese, Korean, Greek or Cyrillic letters; a symbol or
# an emoji (beyond U+FFFF, two halves in UTF-16).
SCRIPTS = [(0x4E00, 0x9FFF, 1, 3), (0x3041, 0x30FF, 2, 6), (0xAC00, 0xD7A3, 1, 4), (0x3B1, 0x3C9, 3, 9),
           (0x430, 0x44F, 3, 9)]
SYMBOLS = ["♥", "★", "☆", "♪", "♫", "✓", "☀", "\ud83c\udfb6", "\ud83d\udc83", "\ud83d\udd25", "\u2764\ufe0f"]
AS_UTF8 = 0.2          # the share of titles that keep every letter
OTHER_SCRIPTS = 0.02   # the share of titles with a word of another script
WITH_SYMBOL = 0.01     # the share of titles with a symbol
# Signs that UTF-8 titles hold beyond the 8-bit sets (a formula's
# subscripts, an arrow, a prime), and the share of titles with one.
OTHER_SIGNS = ["H₂O", "CO₂", "O₂", "H₂SO₄", "C₆H₁₂O₆", "x₁", "→", "←", "№", "′", "″", "‐", "⁂"]
WITH_OTHER_SIGN = 0.005


def script_word():
    low, high, shortest, longest = rng.choice(SCRIPTS)
    word = "".join(chr(rng.randint(low, high)) for _ in range(rng.randint(shortest, longest)))
    return word.capitalize() if low < 0x500 and rng.random() < 0.5 else word


def as_written(text):
    """A phrase as a file holds it: as an 8-bit set holds it, or as UTF-8,
    now and then with a word of another script or a symbol."""
    if rng.random() >= AS_UTF8:
        return western_words.fold_both(text)
    words = text.split(" ")
    if rng.random() < OTHER_SCRIPTS / AS_UTF8:
        words.insert(rng.randint(0, len(words)), script_word())
    if rng.random() < WITH_SYMBOL / AS_UTF8:
        words.insert(rng.choice([0, len(words)]), rng.choice(SYMBOLS))
    if rng.random() < WITH_OTHER_SIGN / AS_UTF8:
        words.insert(rng.randint(0, len(words)), rng.choice(OTHER_SIGNS))
    return " ".join(words)


def counts_of(members):
    """How often each pair, case and three kinds in a row stand in phrases
    of the words of a language (or a group of close ones), each phrase a
    value between line ends."""
    size, kinds = len(CLASSES), len(KINDS)
    pairs = [[0] * size for _ in range(size)]
    capitals = [[[0, 0] for _ in range(SHAPES)] for _ in range(SHAPES)]   # [before last][last][small, capital]
    triples = [[[0] * kinds for _ in range(kinds)] for _ in range(kinds)]
    for language in members:
        words, weights = words_of(language)
        drawn = 0
        while drawn < WORDS_PER_UNIT / len(members):
            text = "\n" + as_written(phrase(words, weights, language)) + "\n"
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
        letter = sum(p for b, p in enumerate(row) if CLASS_KINDS[b] in (KIND_LETTER, KIND_VOWEL))
        for b in range(len(CLASSES)):
            if CLASS_KINDS[b] in (KIND_LETTER, KIND_VOWEL) and not seen[b]:
                row[b] = max(row[b], letter / RARE_LETTER)
        # The letters that no living language writes stand in no title: only
        # an 8-bit text's bytes make one, read as UTF-8.
        row[RARE_LATIN] = 2.0 ** -64
    return rows


def triple_rows(triples, below):
    """For each two kinds in a row, what kind follows them, mixed with
    the rows below."""
    kinds = range(len(KINDS))
    return [[mixed(triples[a][b], below[a][b], 20.0) for b in kinds] for a in kinds]


# How much costlier at most three kinds in a row make their third than the
# second alone does: what the made-up titles never hold (an opening quote
# after a spaced dash) still stands in real ones.
MOST_SHIFT = 24


def kind_pairs(triples):
    return [[sum(triples[a][b][c] for a in range(len(KINDS))) for c in range(len(KINDS))] for b in range(len(KINDS))]


def main():
    size, kinds = len(CLASSES), len(KINDS)
    counts = [(table, *counts_of(members)) for table, members, _ in LANGUAGES]
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
        shifts = [cost(three[a][b][c] / pairs_of_kinds[b][c], -32, MOST_SHIFT) + 32
                  for a in range(kinds) for b in range(kinds) for c in range(kinds)]
        share = next(share for table, _, share in LANGUAGES if table == language)
        prior = cost(share / sum(share for _, _, share in LANGUAGES))
        tables.append((language, [cost(p) for row in rows for p in row], case_costs, shifts, prior))
    write(tables)


DIGITS = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz+-"


def cpp_string(s):
    escapes = {"\\": "\\\\", '"': '\\"', "\t": "\\t", "\r": "\\r", "\n": "\\n"}
    return "".join(escapes.get(c, c if " " <= c <= "~" else "\\u%04X" % ord(c)) for c in s)


def write(tables):
    out = sys.stdout
    out.write("// Generated by tools/western_pairs.py from word lists of Western languages;\n"
              "// do not edit: run the tool again.\n\n#include \"library/WesternPairs.h\"\n\nnamespace WesternPairs {\n\n")
    out.write("const int kClassCount = %d;\n\nconst char16_t* const kClasses[] = {\n" % len(CLASSES))
    for chars in CLASSES:
        out.write('    u"%s",\n' % cpp_string(chars))
    out.write("};\n\nconst char kClassKinds[] = \"%s\";\n" % "".join(DIGITS[k] for k in CLASS_KINDS))
    out.write("\nconst int kLanguageCount = %d;\n\nconst Language kLanguages[] = {\n" % len(tables))
    for language, costs, case_costs, shifts, prior in tables:
        out.write("    {// %s\n" % language)
        for table in [costs, case_costs, shifts]:
            text = "".join(DIGITS[c] for c in table)
            for k in range(0, len(text), 110):
                out.write('     "%s"\n' % text[k:k + 110])
            out.write("     ,\n")
        out.write("     %d},\n" % prior)
    out.write("};\n\n} // namespace WesternPairs\n")


if __name__ == "__main__":
    main()
