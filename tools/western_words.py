"""The words of the Western languages whose letters Mac OS Roman and
Windows-1252 hold, from Debian's word lists and spelling dictionaries, as
tools/western_pairs.py learns from them and tools/songscript_corpus.py
makes test files of them.

Each word falls, by a seeded hash of its small form, into one of three
parts: most go to learning; an eighth to the tuning set and an eighth to
the test set, which learning never sees. The test set takes its words from
other dictionaries where Debian has them (HELD_OUT_SOURCES), so that it
shares no source with learning and tuning either. People's names are the
test files' alone: NAMES the tuning set's, FRESH_NAMES the test set's.

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
    "Basque": [("hunspell", "eu")],
    "Romanian": [("hunspell", "ro_RO")],
    # Languages the model does not learn: test files only.
    "Manx": [("dict", "manx", "iso-8859-1")],
    "Occitan": [("hunspell", "oc_FR")],
    "Slovak": [("hunspell", "sk_SK")],
    "Slovenian": [("hunspell", "sl_SI")],
    "Croatian": [("hunspell", "hr_HR")],
    "Aragonese": [("hunspell", "an_ES")],
}
# The test set's word sources, where a language has a dictionary besides
# the one learnt from.
HELD_OUT_SOURCES = {
    "English": [("hunspell", "en_US")], "Spanish": [("hunspell", "es_ES")], "Portuguese": [("hunspell", "pt_PT")],
    "French": [("hunspell", "fr_FR")], "Italian": [("hunspell", "it_IT")], "German": [("hunspell", "de_DE")],
    "Dutch": [("hunspell", "nl_NL")], "Swedish": [("hunspell", "sv_SE")], "Norwegian": [("hunspell", "nb_NO")],
    "Danish": [("hunspell", "da_DK")], "Polish": [("hunspell", "pl_PL")], "Faroese": [("hunspell", "fo_FO")],
    "Catalan": [("hunspell", "ca_ES")], "Galician": [("hunspell", "gl_ES")],
}
UNLEARNED = ["Manx", "Occitan", "Slovak", "Slovenian", "Croatian", "Aragonese"]

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

# The test set's people: names that the tuning set never holds.
FRESH_NAMES = {
    "English": ("Siobhan Renée Zoë Naïs Joël Noël Desirée André Beyoncé Jessamyn Bartholomew",
                "Brontë Doherty McCartney O’Hara Fitzgerald Delacroix Beaulieu Lockhart Whitmore Zoë_Smith"),
    "Spanish": ("Begoña Maitane Ángela Íñigo Joaquín Nicolás Adrián Rocío Inés Dolores Azucena Leticia",
                "Ordóñez Muñiz Carreño Castañeda Jiménez Gutiérrez Peñalver Quiñones Saldaña Velázquez Cortázar"),
    "Portuguese": ("Márcio Vânia Fátima Sônia Cecília Débora Tânia Caetano Joaquim Valéria Júlio",
                   "Veloso Gonçalves Brandão Assunção Lemos Cardoso Mourão Fontão Guimarães Loureiro Sobral"),
    "French": ("Léa Maëlys Cécile Frédéric Géraldine Hervé Thaïs Raphaël Clément Ségolène Gérard Agnès",
               "Bénard Lefèbvre Périgord Crémieux Dubé Thériault Gaudré Boucher Vézina Ménard Désiré"),
    "Italian": ("Niccolò Nicolò Tommaso Gioele Raffaella Ludovica Beatrice Caterina Ettore Pasquale Noemi",
                "Caruso Paternò Cefalù Vitale Marinò Giordano Sciarrà Mancuso Barbieri Ferraù Lombardo"),
    "German": ("Jürgen Käthe Lutz Bärbel Wölfi Jörn Gisela Rüdiger Anneliese Günther Hölger Ilse",
               "Böhm Kühn Gärtner Hübner Vogel Möller Dürr Süß Strauß Fußmann Wöhrle Grünewald"),
    "Dutch": ("Sjoerd Daniëlle Noëlle Gerrit Joëlle Ruben Femke Siebe Arjen Anouk",
              "Hoëbeke van_Eijk Kuiper de_Jong Brouwer Noëlrijk Pauwëls Smeets van_Leeuwen Dekker"),
    "Swedish": ("Märit Örjan Björn Gösta Märta Kåre Sölve Åsa Ylva Tove Kjell",
                "Wållberg Sjöberg Blomqvist Håkansson Nordström Lövgren Ekström Forsén Åström Söderlund"),
    "Norwegian": ("Sjur Jørgen Kåre Ståle Gøran Åsmund Brynjar Sølvi Torill Målfrid",
                  "Haugen Bjørnstad Løken Nesbø Sæther Bøe Ødegård Hagen Kvåle Grønli"),
    "Danish": ("Søs Bjørn Æbeltoft Ærling Kjeld Bodil Torben Anja Grethe Søren",
               "Bøgelund Kjærgaard Vestergård Mølgaard Sørup Ærenlund Krøyer Præstø Holm Løkke"),
    "Irish": ("Séamus Éamonn Méabh Pádraic Ciarán Siún Ríona Líadan Clíodhna Cormac Daithí",
              "Ó_Briain Mac_Cárthaigh Ní_Dhuibhir Ó_Muirí Ó_Dálaigh Ní_Cheallaigh Mac_Suibhne Ó_Dochartaigh"),
    "Scots Gaelic": ("Mìcheal Seònaid Ciorstaidh Dùghall Ruairidh Eilidh Calum Sìleas Tòmas",
                     "MacNèill NicNèill MacIllÌosa Mac_a’_Phearsain MacLeòid Dòmhnallach MacÌomhair"),
    "Welsh": ("Siôn Gwenhwyfar Iolo Geraint Sioned Llinos Heledd Dyfrig Bethan Iestyn",
              "ap_Siôn Tŷ_Mawr Elis Pŵel Roberts Gwynedd Môrgan Llewelyn Parri Dafydd"),
    "Polish": ("Bożydar Łucja Józefina Grzegorz Stanisław Dorota Mirosław Jadwiga Wiesław Żaneta",
               "Mickiewicz Sienkiewicz Wróblewski Kaczmarek Piątek Górski Nowicki Żurawski Sójka Kołodziej"),
    "Czech": ("Přemysl Jiřina Bořivoj Růžena Lubomír Božena Vítězslav Dagmar Miloš Hana",
              "Kovář Šimek Pokorný Růžička Marek Jelínek Kříž Dušek Čermák Hrubý"),
    "Hungarian": ("Zsuzsa Gyöngyvér Sándor Árpád Gábor Zoltán Éva Piroska Lőrinc Bálint",
                  "Bartók Kodály Fekete Szűts Pintér Vörös Lengyel Sárközi Gál Rácz"),
    "Turkish": ("Sıla Oğuz Gökçe Şükrü Ömer Müge Ilgın Çiğdem Tülay Hülya",
                "Gençoğlu Karakaş Soylu Türkmen Kaçar Uçar Gündüz Ateş Öztürk Kuşçu"),
    "Icelandic": ("Þórunn Ástrós Hrafnhildur Sigríður Árni Kristján Bryndís Snæfríður Eiður",
                  "Þórsdóttir Árnason Hákonardóttir Sveinsson Kristjánsdóttir Björnsson Jóhannesson"),
    "Faroese": ("Bárður Sjúrður Turið Róland Marjun Jóhan Rannvá Eyðun Heðin",
                "Dánjalsson Rasmussen Jákupsson Niclasen Hammershaimb Kjærbo Ólavsdóttir Thomsen"),
    "Catalan": ("Aina Berenguer Arnau Mireia Jaume Txell Pere Sílvia Andreu Carme",
                "Verdaguer Vallès Pàmies Casals Miró Pujol Dalí Ferrà Folch Rovira"),
    "Galician": ("Uxío Antía Breixo Xiana Roi Olalla Fiz Noela Anxo Tareixa",
                 "Otero Vilariño Regueiro Castro Outeiro Cotón Piñón Gómez Bouzas Eirís"),
    "Basque": ("Jokin Ane Unai Maialen Ekaitz Oihana Asier Leire Xabat Amaia",
               "Zabaleta Etxebarria Iriondo Ugarte Muñoa Arrizabalaga Otegi Agirre Larrañaga Lizarazu"),
    "Estonian": ("Märt Ülo Tõnis Kärt Jüri Õnne Helgi Peeter Aino Mihkel",
                 "Põder Kütt Hõbemägi Vähi Rüütel Õunapuu Jõesaar Tõnts Kivi Mölder"),
    "Afrikaans": ("Liné Hannelie Mariëtte Chantél Jacques Dirk Sarel Gerrit Anré Rudi",
                  "Steenkamp Cronjé Joubert Malan Smit de_Klerk Viljoen Gouws Swanepoel Mostert"),
    "Albanian": ("Ardian Dëshira Mimoza Agron Bujar Erjona Shpëtim Valbona Fatbardh Lirie",
                 "Berisha Krasniqi Gashi Çako Dibra Hysaj Lleshaj Përkola Bajraktari Mëhilli"),
    "Manx": ("Juan Aalish Illiam Moirrey Breeshey Orry Ealee Tomase Chalse Vreeshey",
             "Kermeen Kneale Quirk Cregeen Kelly Skillicorn Quine Costain Mylchreest Clucas"),
    "Occitan": ("Joanet Guilhèm Amalia Miquèl Mirèlha Felip Nadalet Marçal Loïs Sèrgi",
                "Fabrè Bòrd Lafargue Pèiregòrd Castanhièr Marèc Lafon Bousquet Roquièra"),
    "Breton": ("Gwenn Maïna Tangi Morgane Youenn Katell Riwal Enora Goulven Annaïg",
               "Le_Bris Kervran Le_Moal Guéguen Le_Dréau Ropars Le_Cam Tréguer Kerjean"),
    "Slovak": ("Ľudovít Zdenka Milan Jarmila Ľubica Matúš Dušana Ivica Róbert Oľga",
               "Šťastný Bačík Kmeť Ďurovič Čaplovič Urbánek Kollár Rázus Šulek Vrábeľ"),
    "Slovenian": ("Žiga Anže Tadeja Urša Gašper Nejc Maruša Žan Špela Jure",
                  "Šinkovec Kovač Jerič Žnidaršič Oblak Mlinar Hribar Bizjak Čuk Pečnik"),
    "Croatian": ("Zvonimir Dubravka Krešimir Jasminka Božo Mirjana Vlatko Ružica Davor Nevenka",
                 "Šimunović Kovačić Grgić Tomić Brkić Pavlović Čolak Jurić Radić Mažuranić"),
    "Romanian": ("Ionuț Mădălina Cătălin Ștefania Irina Florin Dănuț Lavinia Sorin Aurelia",
                 "Vlădescu Petrescu Mănescu Cârstea Bălan Constantinescu Rădulescu Oprea Ciobanu"),
    "Aragonese": ("Chorche Chesús Chuaquín Loreto Mariano Nabor Ánchela Begoña Silvia Chulia",
                  "Bielsa Ballarín Lafuente Nogués Fañanás Pardina Villacampa Artigas Andrés"),
}

NAMED = {n.replace("_", " ") for listed in (NAMES, FRESH_NAMES) for given, family in listed.values()
         for n in (given + " " + family).split()}


def names(language, part):
    """A language's given names and family names of the tuning or the test
    set."""
    listed = NAMES if part == TUNE else FRESH_NAMES
    return tuple([n.replace("_", " ") for n in names.split()] for names in listed[language])


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
    for source in HELD_OUT_SOURCES.get(language, SOURCES[language]) if part == TEST else SOURCES[language]:
        for word in _read(source):
            word = word.replace("'", "’")
            if (word and word not in seen and word[0].isalpha() and word[-1].isalpha()
                    and all(c.isalpha() or c in "’-" for c in word) and part_of(word) == part
                    and not (part == LEARN and word in NAMED)):
                seen.add(word)
                out.append(word)
    return out
