#include "runtime/command_line.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace Zorvek {

namespace {

// The usage's column of the help: at least this far in, else two blanks after the option.
constexpr std::size_t HELP_COLUMN = 18;

// Reads the words as GNU's getopt_long reads them for a table that asks for every word in its
// place and no abbreviations, the same on every C library (MinGW's getopt_long is BSD's, which
// reads some of them otherwise): "--name", "--name=value", "--name value", "-x", "-xVALUE",
// "-x VALUE", letters grouped ("-hv"), "--" ending the options.
class Reader {
public:
    Reader(int argc, char** argv, std::span<const OptionName> options, const CommandLineStyle& style,
           const std::function<bool(std::size_t, const char*)>& take, std::string& error)
        : argc(argc), argv(argv), options(options), style(style), take(take), error(error) {}

    bool read() {
        for (int at = 1; at < argc; ++at) {
            const char* word = argv[at];
            if (std::strcmp(word, "--") == 0) return at + 1 < argc ? refuse(argv[at + 1]) : true;
            if (word[0] != '-' || word[1] == '\0') return refuse(word);
            if (!(word[1] == '-' ? readLong(at) : readLetters(at))) return false;
        }
        return true;
    }

private:
    bool refuse(const char* word) {
        error = std::string("unknown option ") + style.quote + word + style.quote;
        return false;
    }
    bool missing(std::size_t index, const char* word) {
        const OptionName& o = options[index];
        error =
            std::string(word) + " needs " + (o.needs ? std::string(o.needs) : std::string("a value (") + o.value + ")");
        return false;
    }
    // A value is the rest of the word, else the next word, whatever it is.
    bool readLong(int& at) {
        const char* word = argv[at];
        const char* equals = std::strchr(word, '=');
        const std::size_t length = equals ? static_cast<std::size_t>(equals - word) : std::strlen(word);
        for (std::size_t i = 0; i < options.size(); ++i) {
            if (std::strlen(options[i].name) != length || std::strncmp(word, options[i].name, length) != 0) continue;
            if (!options[i].value) return equals ? refuse(word) : take(i, nullptr);
            if (equals) return take(i, equals + 1);
            if (at + 1 >= argc) return missing(i, word);
            return take(i, argv[++at]);
        }
        return refuse(word);
    }
    bool readLetters(int& at) {
        const char* word = argv[at];
        for (const char* c = word + 1; *c; ++c) {
            std::size_t i = 0;
            while (i < options.size() && options[i].letter != *c) ++i;
            if (i == options.size()) return refuse(word);
            if (!options[i].value) {
                if (!take(i, nullptr)) return false;
                continue;
            }
            if (c[1]) return take(i, c + 1);
            if (at + 1 >= argc) return missing(i, word);
            return take(i, argv[++at]);
        }
        return true;
    }

    int argc;
    char** argv;
    std::span<const OptionName> options;
    const CommandLineStyle& style;
    const std::function<bool(std::size_t, const char*)>& take;
    std::string& error;
};

}  // namespace

bool readCommandLine(int argc, char** argv, std::span<const OptionName> options, const CommandLineStyle& style,
                     const std::function<bool(std::size_t index, const char* value)>& take, std::string& error) {
    return Reader(argc, argv, options, style, take, error).read();
}

std::string listOptions(std::span<const OptionName> options) {
    std::string text;
    for (const OptionName& o : options) {
        std::string left = "  ";
        if (o.letter) left += std::string("-") + o.letter + ", ";
        left += o.name;
        if (o.value) left += std::string(" ") + o.value;
        left.resize(std::max(left.size() + 2, HELP_COLUMN), ' ');
        const std::string indent(left.size(), ' ');
        std::string help = o.help;
        for (std::size_t at = 0; (at = help.find('\n', at)) != std::string::npos; at += indent.size() + 1)
            help.insert(at + 1, indent);
        text += left + help + "\n";
    }
    return text;
}

bool readWholeNumber(const char* text, long long low, long long high, long long& value) {
    if (!text) return false;
    const char* end = text + std::strlen(text);
    long long n = 0;
    auto [last, ec] = std::from_chars(text, end, n);
    if (ec != std::errc() || last != end || last == text || n < low || n > high) return false;
    value = n;
    return true;
}

std::string versionLine(const char* program) { return std::string(program) + " " VELMORA_VERSION; }

}  // namespace Zorvek
