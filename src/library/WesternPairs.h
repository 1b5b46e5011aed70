#pragma once

// How characters stand beside each other in Western-European writing, as
// tools/western_pairs.py derives it from word lists of the Western languages
// whose letters Mac OS Roman and Windows-1252 hold, set as song titles are
// set (WesternPairs.cpp is its output), one table for each language or
// group of close ones. Characters fall into classes: a space or line end, a
// no-break space, a digit, each letter whatever its case, each sign or group
// of signs that stand alike, and four classes of what is not listed (see
// kClasses). Costs are in half bits, -2 log2 of a probability, each written
// as one digit of kDigits.

namespace WesternPairs {

// The characters of each class, letters in their small form. The last five
// classes list none; they hold, in this order: letters and marks of the
// Latin script that no 8-bit set has but living languages write
// (kLatinInUse), the other letters of the Latin script (kLatinElsewhere),
// letters and marks of other scripts, symbols (and each half of a character
// beyond U+FFFF), and the rest.
extern const int kClassCount;
extern const char16_t* const kClasses[];

// The kind of each class, one digit of kDigits each (as in Kind): whatever
// its case, a vowel or another letter, a digit, a space, or a group of
// signs that stand alike, for how three characters in a row stand.
extern const char kClassKinds[];
enum Kind { BreakKind, kKindCount = 16 };

// Where the letters and marks of the Latin script lie beyond those listed:
// Latin Extended-A and -B, the phonetic letters, the combining accents,
// Latin Extended Additional, -C, -D and -E.
inline constexpr char16_t kLatinElsewhere[][2] = {{0x100, 0x24F}, {0x250, 0x2AF}, {0x300, 0x36F}, {0x1E00, 0x1EFF},
                                                  {0x2C60, 0x2C7F}, {0xA720, 0xA7FF}, {0xAB30, 0xAB6F}};
// Those that living languages write: Latin Extended-A, Ə, Vietnamese Ơ and
// Ư, the digraphs Ǆ to ǌ, Romanian Ș and Ț, ə, the combining accents and
// Latin Extended Additional.
inline constexpr char16_t kLatinInUse[][2] = {{0x100, 0x17F}, {0x18F, 0x18F}, {0x1A0, 0x1A1}, {0x1AF, 0x1B0},
                                              {0x1C4, 0x1CC}, {0x218, 0x21B}, {0x259, 0x259}, {0x300, 0x36F},
                                              {0x1E00, 0x1EFF}};

// One language's costs. Pairs: for each class before and class after, row
// by row, the cost of the one following the other. Cases: for the shapes of
// the two characters before a letter (as in Shape), the cost of the letter
// being small, then of its being a capital. Shifts: for the kinds of two
// characters in a row and of the one after them, how much that one costs
// more (or less, below 32) than after the second alone. Prior: the cost of
// a value's being in the language at all, as a plain number.
struct Language {
    const char* pairs;
    const char* cases;
    const char* shifts;
    int prior;
};
extern const int kLanguageCount;
extern const Language kLanguages[];

enum Shape { Space, Capital, Small, Digit, Apostrophe, Sign, Break, kShapeCount };

inline constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz+-";

} // namespace WesternPairs
