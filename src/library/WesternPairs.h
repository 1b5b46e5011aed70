#pragma once

// How characters stand beside each other in Western-European writing, as
// tools/western_pairs.py derives it from word lists of ten Western languages
// set as song titles are set (WesternPairs.cpp is its output), one table
// for each language or group of close ones. Characters fall into classes: a
// space or line end, a no-break space, a digit, each letter whatever its
// case, each sign or group of signs that stand alike, and the rest. Costs
// are in half bits, -2 log2 of a probability, each written as one digit of
// kDigits.

namespace WesternPairs {

// The characters of each class, letters in their small form; the last class
// holds every character not listed.
extern const int kClassCount;
extern const char16_t* const kClasses[];

// The kind of each class, one digit of kDigits each (as in Kind): whatever
// its case, a letter, a digit, a space, or a group of signs that stand
// alike, for how three characters in a row stand.
extern const char kClassKinds[];
enum Kind { BreakKind, kKindCount = 15 };

// One language's costs. Pairs: for each class before and class after, row
// by row, the cost of the one following the other. Cases: for the shapes of
// the two characters before a letter (as in Shape), the cost of the letter
// being small, then of its being a capital. Shifts: for the kinds of two
// characters in a row and of the one after them, how much that one costs
// more (or less, below 32) than after the second alone.
struct Language {
    const char* pairs;
    const char* cases;
    const char* shifts;
};
extern const int kLanguageCount;
extern const Language kLanguages[];

enum Shape { Space, Capital, Small, Digit, Apostrophe, Sign, Break, kShapeCount };

inline constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz+-";

} // namespace WesternPairs
