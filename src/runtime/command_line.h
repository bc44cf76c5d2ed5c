#pragma once
// The programs' command lines, read one way on every platform, as GNU's getopt_long reads them:
// long options as --name VALUE or --name=VALUE, written whole (no abbreviations), -h for --help,
// and every word in the order given, so that of two options that set one thing the later counts.
// The first word refused ends the reading with one line that names it. Each program lists its
// options in one table, the only place they are named; its usage is made from the table.

#include <functional>
#include <span>
#include <string>

namespace Zorvek {

// How a program words what it refuses.
struct CommandLineStyle {
    const char* quote;  // put around a refused word or value: "'", or "" for none
};

// What reading needs of an option: its names and its value.
struct OptionName {
    const char* name;   // the long name, dashes included: "--scale"
    const char* value;  // the value's name in the usage ("N"), or null for a switch
    const char* help;   // what it does; a line break starts a line under the first in the usage
    // What a missing value is said to be: "--fps needs a number"; null: "a value (N)".
    const char* needs = nullptr;
    char letter = 0;  // a one-letter form (-h); 0: none
};

// One option of a program's table: its names, and how it takes its value (null for a switch)
// into the program's options; false, with one line in `error`, when it refuses the value.
template <class Options>
struct Option {
    OptionName names;
    bool (*take)(Options& options, const char* value, std::string& error);
};

// Reads `argv` against `options`, calling take(index, value) for each option in order (value
// null for a switch). False, with one line in `error`, at the first unknown option or word, a
// missing value, or a value that take refuses.
bool readCommandLine(int argc, char** argv, std::span<const OptionName> options, const CommandLineStyle& style,
                     const std::function<bool(std::size_t index, const char* value)>& take, std::string& error);

// The usage's list of options: one line each, "  --name VALUE  help", help lined up.
std::string listOptions(std::span<const OptionName> options);

// Reads a whole number in decimal from `low` to `high`: the whole text, and nothing else.
bool readWholeNumber(const char* text, long long low, long long high, long long& value);

template <class Number>
bool wholeNumber(const char* text, long long low, long long high, Number& value) {
    long long n = 0;
    if (!readWholeNumber(text, low, high, n)) return false;
    value = static_cast<Number>(n);
    return true;
}

// Takes `value` as a whole number from `low` to `high` into `out`, or refuses it in the
// program's words: "--scale: '0' is not a whole number from 1 to 16".
template <class Number>
bool takeWholeNumber(const CommandLineStyle& style, const char* option, const char* value, long long low,
                     long long high, Number& out, std::string& error) {
    if (wholeNumber(value, low, high, out)) return true;
    error = std::string(option) + ": " + style.quote + value + style.quote + " is not a whole number from " +
            std::to_string(low) + " to " + std::to_string(high);
    return false;
}

// The line --version prints: "velmora 1.0.0".
std::string versionLine(const char* program);

// A program's table, read and listed.
template <class Options, std::size_t N>
bool readOptions(int argc, char** argv, const Option<Options> (&table)[N], const CommandLineStyle& style,
                 Options& options, std::string& error) {
    OptionName names[N];
    for (std::size_t i = 0; i < N; ++i) names[i] = table[i].names;
    return readCommandLine(
        argc, argv, names, style,
        [&](std::size_t i, const char* value) { return table[i].take(options, value, error); }, error);
}
template <class Options, std::size_t N>
std::string listOptions(const Option<Options> (&table)[N]) {
    OptionName names[N];
    for (std::size_t i = 0; i < N; ++i) names[i] = table[i].names;
    return listOptions(names);
}

}  // namespace Zorvek
