"""The words of the Western languages whose letters Mac OS Roman and
Windows-1252 hold, from Debian's word lists and spelling dictionaries, as
tools/western_pairs.py learns from them and tools/songscript_corpus.py
makes test files of them.

Each word falls, by a seeded hash of its small form, into one of three
parts: most go to learning; an eighth to the tuning set and an eighth to
the test set, which learning never sees. People's names (NAMES) are the
test files' alone, half for tuning and half for testing.

Packages (Debian): wamerican wspanish wportuguese wfrench witalian wngerman
wdutch wswedish wnorwegian wdanish wirish wgaelic wpolish wcatalan wfaroese
wgalician-minimos wmanx aspell-cy hunspell-cs hunspell-hu hunspell-tr
hunspell-is hunspell-eu hunspell-af hunspell-ga (myspell-ga) hunspell-gd
myspell-et myspell-sq hunspell-oc hunspell-br hunspell-sk hunspell-sl
hunspell-hr hunspell-ro hunspell-an.
"""

import functools
import hashlib
import subprocess
import unicodedata

# Word sources: ("dict", file in /usr/share/dict, encoding), ("hunspell",
# dictionary in /usr/share/hunspell: its stems, in the encoding its .aff
# sets), ("aspell", dictionary: its words expanded).
SOURCES = {
    "English": [("dict", "american-english", "utf-8")],
    "Spanish": [("dict", "spanish", "utf-8")],
    "Portuguese": [("dict", "portuguese", "utf-8")],
    "French": [("dict", "french", "utf-8")],
    "Italian": [("dict", "italian", "utf-8")],
    "German": [("dict", "ngerman", "utf-8")],
    "Dutch": [("dict", "dutch", "utf-8")],
    "Swedish": [("dict", "swedish", "iso-8859-1")],
    "Norwegian": [("dict", "bokmaal", "iso-8859-1")],
    "Danish": [("dict", "danish", "utf-8")],
    "Irish": [("dict", "irish", "utf-8"), ("hunspell", "ga_IE")],
    "Scots Gaelic": [("dict", "gaelic", "utf-8"), ("hunspell", "gd_GB")],
    "Welsh": [("aspell", "cy")],
    "Polish": [("dict", "polish", "utf-8")],
    "Czech": [("hunspell", "cs_CZ")],
    "Hungarian": [("hunspell", "hu_HU")],
    "Turkish": [("hunspell", "tr_TR")],
    "Icelandic": [("hunspell", "is_IS")],
    "Faroese": [("dict", "faroese", "utf-8")],
    "Catalan": [("dict", "catalan", "utf-8")],
    "Galician": [("dict", "galician-minimos", "utf-8")],
    "Estonian": [("hunspell", "et_EE")],
    "Afrikaans": [("hunspell", "af_ZA")],
    "Albanian": [("hunspell", "sq_AL")],
    "Breton": [("hunspell", "br_FR")],
    # Languages the model does not learn: test files only.
    "Basque": [("hunspell", "eu")],
    "Manx": [("dict", "manx", "iso-8859-1")],
    "Occitan": [("hunspell", "oc_FR")],
    "Slovak": [("hunspell", "sk_SK")],
    "Slovenian": [("hunspell", "sl_SI")],
    "Croatian": [("hunspell", "hr_HR")],
    "Romanian": [("hunspell", "ro_RO")],
    "Aragonese": [("hunspell", "an_ES")],
}
UNLEARNED = ["Basque", "Manx", "Occitan", "Slovak", "Slovenian", "Croatian", "Romanian", "Aragonese"]

LEARN, TUNE, TEST = "learn", "tune", "test"

# People's given names and family names, as their own language writes them
# (a space within a name as _): for test files only, half of them in the
# tuning set and half in the test set; learning never sees them.
NAMES = {
    "English": ("James Mary John Patricia Robert Jennifer Michael Linda David Elizabeth Zoë Renée Chloë",
                "Smith Johnson Williams Brown Jones Miller Davis Wilson Taylor Clarke O’Neill Brontë"),
    "Spanish": ("José María Lucía Martín Sofía Álvaro Begoña Iñaki Inés Raúl Jesús Ramón Mónica Ángel",
                "García Fernández González Rodríguez López Martínez Sánchez Pérez Gómez Núñez Ibáñez Peña Muñoz"),
    "Portuguese": ("João Conceição Sebastião Inês Gonçalo Luís Lúcia Tomás Simão Estêvão Graça Antônio Mônica",
                   "Gonçalves Magalhães Simões Guimarães Conceição Araújo Brandão Falcão Lourenço Assunção"),
    "French": ("Hélène Benoît François Anaïs Jérôme Noël Céline Gaël Loïc Maëlle Aimée Zoé Théo Éloïse",
               "Lefèvre Bérenger Dupré Mélenchon Gagné Côté Bélanger Pelletier Lévesque Chénier Bézier Cœur"),
    "Italian": ("Niccolò Nicolò Lucia Giosuè Mattia Giulia Andrea Francesca Noè Letizia",
                "Rossi Bianchi Colombo Ferrari Esposito Romano Niccolò Lucà Mazzà Forlì Cantù Fabbrì"),
    "German": ("Jürgen Jörg Björn Günter Käthe Hans Ursula Dörte Uwe Sören Grete Lüder",
               "Müller Schäfer Schröder Köhler Bräuer Weiß Groß Gößmann Jäger Schütz Krüger Fröhlich"),
    "Dutch": ("Daniël Maartje Noël Anneloes Joëlle Gijs Sanne Thijs Michiel Ruud Ineke",
              "de_Vries van_den_Berg Jansen Bakker Visser van_Dijk Smit Meijer de_Boer Hoëvenaars"),
    "Swedish": ("Åsa Björn Göran Märta Örjan Lärke Sören Åke Ingrid Håkan Lena",
                "Åberg Ström Öberg Sjöström Lindqvist Bäckström Nyström Löfgren Åkesson Hägg"),
    "Norwegian": ("Bjørn Øystein Ståle Kjærsti Åse Tormod Sølvi Gøril Ørjan Ragnhild",
                  "Sørensen Løvås Bråten Økland Rønning Hågensen Strøm Lærum Kjølstad Aasheim"),
    "Danish": ("Søren Jørgen Bjørk Mette Rasmus Kærsti Åge Signe Frode",
               "Jørgensen Sørensen Møller Kjær Præst Nørgaard Bøgh Lærke Ærø Grønbæk"),
    "Irish": ("Seán Siobhán Róisín Pádraig Aoife Niamh Caoimhín Máire Eoghan Sinéad Dónall Éabha Tomás Órla Bríd",
              "Ó_Súilleabháin Ní_Bhriain Mac_Giolla_Phádraig Ó_Dónaill Ní_Mhaoláin Ó_Ceallaigh Mhic_Aodha "
              "Ó_Laoghaire Ní_Chonchúir Ó_Séaghdha de_Búrca Breathnach"),
    "Scots Gaelic": ("Màiri Seumas Iain Mòrag Ùisdean Eòghann Catrìona Dòmhnall Ealasaid Peigi Ailean",
                     "MacLeòid NicLeòid MacDhòmhnaill NicDhòmhnaill MacCoinnich Caimbeul MacAoidh Mac_an_t-Saoir"),
    "Welsh": ("Siân Dafydd Gwenllïan Rhodri Angharad Llŷr Eluned Ffion Gethin Catrin Tomos Siôn Lleucu",
              "ap_Gruffudd Llwyd Tomos Prydderch Ifans Elis Owen Siôn Dafis Puw Gwŷr Môn"),
    "Polish": ("Józef Łukasz Małgorzata Wojciech Krzysztof Agnieszka Paweł Grażyna Jarosław Ewa Bożena Zdzisław",
               "Wiśniewski Wójcik Kowalczyk Woźniak Dąbrowski Kozłowski Jabłoński Król Zieliński Szymański Mróz"),
    "Czech": ("Jiří Tomáš Lucie Petr Kateřina Zdeněk Jarmila Dušan Věra Bohumil Eliška Radek",
              "Dvořák Novák Svoboda Procházka Kučera Veselý Horák Němec Černý Šťastný Hájek Bartoš"),
    "Hungarian": ("Ferenc Zsófia Gyöngyi Lőrinc Tünde Ildikó Bálint Ágnes Győző Erzsébet Örs Kinga",
                  "Kovács Szabó Tóth Horváth Kiss Molnár Németh Farkas Balogh Pápai Szűcs Fűzfa Hegedűs"),
    "Turkish": ("Gülşen Tarkan Barış Sezen Ayşe Mustafa Çağla Gökhan Özlem İbrahim Şebnem Ümit Doğan",
                "Yılmaz Öztürk Çelik Şahin Doğan Kılıç Aksu Güneş Erdoğan Koç Özdemir Aydın Sezer"),
    "Icelandic": ("Guðrún Þórður Björk Sigurður Jóhanna Ólafur Ásgeir Hildur Eyþór Sólveig Ragnheiður",
                  "Jónsdóttir Guðmundsson Þorsteinsson Sigurðardóttir Ólafsson Gunnarsdóttir Einarsson Þórðarson"),
    "Faroese": ("Eivør Høgni Jógvan Rakul Súni Bjørg Sámal Guðrun Hanus Tróndur Ró",
                "Pálsdóttir Jacobsen Poulsen Joensen Hansen Olsen Mortensen Djurhuus Højgaard Næs"),
    "Catalan": ("Jordi Núria Pau Mercè Joan Montserrat Martí Gemma Àlex Laia Queralt Narcís",
                "Puig Vilaró Serrat Llach Solé Roig Ferrer Martí Sabaté Guàrdia Ribó Cortès Vidal"),
    "Galician": ("Xosé Uxía Antón Iria Brais Sabela Xoán Noemí Manuel Rosalía Martiño",
                 "Castelao Fernández Núñez Pérez Seoane Pazos Vázquez Piñeiro Rodríguez Méndez Lourenzo"),
    "Basque": ("Iñaki Miren Koldo Itziar Xabier Ainhoa Iñigo Edurne Gorka Nerea Aitor Garazi",
               "Etxeberria Agirre Goikoetxea Urkullu Arrieta Zubiaurre Ibarguren Larrañaga Muñagorri Otxoa"),
    "Estonian": ("Jüri Tõnis Mari Ülle Mart Kärt Õie Jaan Liis Tõnu Kätlin Märt",
                 "Tamm Saar Sepp Mägi Kask Kukk Rebane Ilves Pärn Kõiv Lõhmus Tõnisson Käärik"),
    "Afrikaans": ("Anél Riëtte Zoë Chanté Jaco Pieter Elmarie André René Niël Marié",
                  "Botha van_der_Merwe Pretorius du_Plessis le_Roux Venter Coetzee Nel Kruger Visagié"),
    "Albanian": ("Arbër Blerina Ermal Vjosë Dritëro Fatjona Gëzim Mirëlinda Ilir Lumturi Ardit",
                 "Hoxha Kelmendi Shehu Dervishi Përmeti Çela Lleshi Gjoka Beqiri Kadare Zogaj"),
    "Manx": ("Illiam Juan Moirrey Voirrey Ealish Breeshey Orry Fenella Nessie Aalish",
             "Quayle Kermode Corlett Cregeen Quilliam Kinvig Christian Kaighin Faragher Cain"),
    "Occitan": ("Joan Glaudi Peire Mirelha Sèrgi Estèle Bernat Loïsa Pèire Rogièr",
                "Fabre Lafont Gràcia Maurin Bonnafé Vidal Lafòrga Faure Roqueta Mistral"),
    "Breton": ("Yann Maïwenn Gwenaël Soazig Anaïg Erwan Nolwenn Loïc Gwenolé Tanguy Rozenn",
               "Le_Gall Kerhervé Le_Bihan Guéguen Le_Goff Quéré Kervella Le_Roux Le_Dû Tanguy"),
    "Slovak": ("Ľubomír Zuzana Ján Mária Štefan Jozef Dušan Katarína Ľudmila Ondrej Tibor",
               "Horváth Kováč Tóth Nagy Baláž Šimko Oravec Kráľ Hudák Lukáč Ďurica"),
    "Slovenian": ("Jože Špela Matjaž Nataša Primož Urška Andraž Mojca Blaž Tjaša",
                  "Novak Horvat Kranjc Kovačič Zupančič Potočnik Mlakar Kos Vidmar Žagar"),
    "Croatian": ("Željko Ivana Dražen Marija Goran Snježana Tomislav Đurđica Hrvoje Nives",
                 "Horvat Kovačević Babić Marić Jurić Novak Knežević Vuković Perić Šarić"),
    "Romanian": ("Ștefan Ioana Mihai Andreea Răzvan Ilinca Bogdan Tudor Ileana Sânziana",
                 "Popescu Ionescu Dumitrescu Stănescu Brâncuși Enescu Țepeș Mureșan Lăzărescu Dobre"),
    "Aragonese": ("Chusé Chuana Miguel Pilar Chorche Mercedes Chaime Rosario Nieus Ánchel",
                  "Lacasta Cortés Sánchez Ibáñez Navarro Moliner Latre Lardiés Campo Gracia"),
}

NAMED = {n.replace("_", " ") for given, family in NAMES.values() for n in (given + " " + family).split()}


def names(language, part):
    """A language's given names and family names of the tuning or the test
    set."""
    def half(listed):
        chosen = [n.replace("_", " ") for n in listed.split()
                  if (hashlib.blake2b(n.encode(), digest_size=1).digest()[0] % 2 == 0) == (part == TUNE)]
        return chosen or [n.replace("_", " ") for n in listed.split()][:1]
    return tuple(half(listed) for listed in NAMES[language])


def part_of(word):
    """Which part a word (or a name) falls in, the same in every source."""
    h = int.from_bytes(hashlib.blake2b(("letters:" + word.lower()).encode(), digest_size=4).digest(), "big")
    return TUNE if h % 8 == 0 else TEST if h % 8 == 1 else LEARN


# The letters of each 8-bit set beyond ASCII.
MAC_ROMAN = bytes(range(0x80, 0x100)).decode("mac-roman")
WINDOWS_1252 = bytes(b for b in range(0x80, 0x100) if b not in (0x81, 0x8D, 0x8F, 0x90, 0x9D)).decode("cp1252")
BOTH = set(MAC_ROMAN) | set(WINDOWS_1252)

# What a writer put for a letter its 8-bit set lacks: Hungarian's
# double-acute vowels as the circumflex or tilde ones that Latin-1 users
# took, Icelandic's eth and thorn (which Mac OS Roman lacks) as d and th;
# the rest as the letter without its marks.
STAND_INS = {"ő": "õ", "Ő": "Õ", "ű": "û", "Ű": "Û", "ł": "l", "Ł": "L", "đ": "d", "Đ": "D", "ı": "i", "ð": "d",
             "Ð": "D", "þ": "th", "Þ": "Th", "ŀ": "l"}


def fold(text, letters):
    """The text as an 8-bit set of these letters holds it."""
    out = []
    for c in text:
        if c < "\x80" or c in letters:
            out.append(c)
            continue
        s = STAND_INS.get(c)
        if s is None or (s not in letters and s >= "\x80"):
            s = "".join(d for d in unicodedata.normalize("NFD", c) if not unicodedata.combining(d))
            s = "".join(d if d < "\x80" or d in letters else "" for d in unicodedata.normalize("NFC", s))
        out.append(s)
    return "".join(out)


def fold_mac(text):
    return fold(text, set(MAC_ROMAN))


def fold_windows(text):
    return fold(text, set(WINDOWS_1252))


def fold_both(text):
    return fold(text, BOTH)


def _aff_encoding(code):
    with open("/usr/share/hunspell/%s.aff" % code, "rb") as f:
        for line in f:
            if line.startswith(b"SET "):
                name = line.split()[1].decode().lower()
                return {"iso8859-1": "latin-1", "iso8859-2": "iso8859-2", "iso8859-15": "iso8859-15"}.get(name, name)
    return "latin-1"


def _read(source):
    kind, name = source[0], source[1]
    if kind == "dict":
        with open("/usr/share/dict/" + name, encoding=source[2]) as f:
            return [line.strip().split("/")[0] for line in f]
    if kind == "hunspell":
        with open("/usr/share/hunspell/%s.dic" % name, encoding=_aff_encoding(name), errors="replace") as f:
            next(f)
            return [line.split()[0].split("/")[0] for line in f if line.strip()]
    dump = subprocess.run(["aspell", "-d", name, "dump", "master"], capture_output=True, check=True).stdout
    expanded = subprocess.run(["aspell", "-l", name, "expand"], input=dump, capture_output=True, check=True).stdout
    return expanded.decode("utf-8").split()


@functools.lru_cache(maxsize=None)
def words(language, part):
    """A language's words of one part: letters (and inner apostrophes or
    hyphens) only, as listed, each once."""
    seen = set()
    out = []
    for source in SOURCES[language]:
        for word in _read(source):
            word = word.replace("'", "’")
            if (word and word not in seen and word[0].isalpha() and word[-1].isalpha()
                    and all(c.isalpha() or c in "’-" for c in word) and part_of(word) == part
                    and not (part == LEARN and word in NAMED)):
                seen.add(word)
                out.append(word)
    return out
