#include "runtime/command_line.h"

#include <getopt.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

namespace Zorvek {

namespace {

// getopt_long's codes for the long options: past every letter.
constexpr int FIRST_LONG = 256;
// The usage's column of the help: at least this far in, else two blanks after the option.
constexpr std::size_t HELP_COLUMN = 18;

// Whether `word` names the long option `name` in full: getopt_long also takes a leading part of
// a name for the whole, which would let a later option change what an old command line means.
bool namedWhole(const char* word, const char* name) {
    const std::size_t n = std::strlen(name);
    return std::strncmp(word, name, n) == 0 && (word[n] == '\0' || word[n] == '=');
}

}  // namespace

bool readCommandLine(int argc, char** argv, std::span<const OptionName> options, const CommandLineStyle& style,
                     const std::function<bool(std::size_t index, const char* value)>& take, std::string& error) {
    std::vector<option> longs;
    // "-": words that are no option come back in their place, to be refused there; ":" tells a
    // missing value from an unknown option.
    std::string letters = "-:";
    for (std::size_t i = 0; i < options.size(); ++i) {
        const OptionName& o = options[i];
        longs.push_back(
            {o.name + 2, o.value ? required_argument : no_argument, nullptr, FIRST_LONG + static_cast<int>(i)});
        if (o.letter) letters += std::string(1, o.letter) + (o.value ? ":" : "");
    }
    longs.push_back({nullptr, 0, nullptr, 0});
    auto refuse = [&](const char* word) {
        error = std::string("unknown option ") + style.quote + word + style.quote;
        return false;
    };
    opterr = 0;
    optind = 0;  // getopt starts afresh: a test may read many command lines
    for (;;) {
        const int next = std::max(optind, 1);  // the word that getopt reads now
        const int code = getopt_long(argc, argv, letters.c_str(), longs.data(), nullptr);
        if (code == -1) break;
        // A word read whole has moved optind on; inside a group of letters (-hx) it has not.
        const char* word = argv[optind > next ? optind - 1 : next];
        if (code == 1) return refuse(optarg);
        if (code == '?') return refuse(word);
        const int named = code == ':' ? optopt : code;
        std::size_t index = 0;
        if (named >= FIRST_LONG) {
            index = static_cast<std::size_t>(named - FIRST_LONG);
        } else {
            while (options[index].letter != named) ++index;
        }
        if (code == ':') {
            const OptionName& o = options[index];
            error = std::string(argv[optind - 1]) + " needs " +
                    (o.needs ? std::string(o.needs) : std::string("a value (") + o.value + ")");
            return false;
        }
        if (code >= FIRST_LONG && !namedWhole(argv[next], options[index].name)) return refuse(argv[next]);
        if (!take(index, options[index].value ? optarg : nullptr)) return false;
    }
    // Words after "--".
    if (optind < argc) return refuse(argv[optind]);
    return true;
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
