#include "app/HostOptions.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

// The option's name without its one or two leading hyphens, or null when the
// argument is not written as an option.
const char *OptionName(const char *argument) {
    if (argument[0] != '-')
        return nullptr;
    return argument[1] == '-' ? argument + 2 : argument + 1;
}

bool ParseLevel(const char *text, int *value) {
    if (!text || !std::isdigit(static_cast<unsigned char>(text[0])))
        return false;
    char *end = nullptr;
    errno = 0;
    const long number = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || number < 1 || number > 10)
        return false;
    *value = int(number);
    return true;
}

// The position of `text` in `names`, or -1.
int IndexOf(const char *text, std::initializer_list<const char *> names) {
    int index = 0;
    for (const char *name : names) {
        if (std::strcmp(text, name) == 0)
            return index;
        ++index;
    }
    return -1;
}

} // namespace

bool ParseWindowId(const char *text, unsigned long *id) {
    if (!text || !*text)
        return false;
    int base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
    }
    // strtoul would also take blanks, signs and a second "0x".
    for (const char *p = text; *p; ++p)
        if (!(base == 16 ? std::isxdigit(static_cast<unsigned char>(*p))
                         : std::isdigit(static_cast<unsigned char>(*p))))
            return false;
    if (!*text)
        return false;
    errno = 0;
    const unsigned long long value = std::strtoull(text, nullptr, base);
    if (errno != 0 || value == 0 || value > 0xFFFFFFFFull)
        return false;
    *id = static_cast<unsigned long>(value);
    return true;
}

RunOptions ParseRunOptions(int argc, char **argv) {
    RunOptions options;
    for (int i = 0; i < argc && argv[i]; ++i) {
        const char *name = i > 0 ? OptionName(argv[i]) : nullptr;
        if (!name || (IndexOf(name, {"root", "window-id", "speed", "missiles", "sound",
                                     "background"}) < 0)) {
            options.rest.emplace_back(argv[i]);
            continue;
        }
        if (std::strcmp(name, "root") == 0) {
            options.root = true;
            continue;
        }
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        ++i;
        std::string problem;
        if (std::strcmp(name, "window-id") == 0) {
            unsigned long id = 0;
            if (ParseWindowId(value, &id))
                options.windowId = value;
            else
                problem = "needs the id of a window, in decimal or as 0x and hexadecimal digits";
        } else if (std::strcmp(name, "speed") == 0) {
            if (!ParseLevel(value, &options.overrides.Speed))
                problem = "needs a number from 1 (slow) to 10 (fast)";
        } else if (std::strcmp(name, "missiles") == 0) {
            if (!ParseLevel(value, &options.overrides.Reliability))
                problem = "needs a number from 1 (rarely) to 10 (often)";
        } else if (std::strcmp(name, "sound") == 0) {
            const int mode = value ? IndexOf(value, {"off", "partial", "full"}) : -1;
            if (mode >= 0)
                options.overrides.Sound = mode; // SoundOff, SoundPartial, SoundFull
            else
                problem = "needs off, partial or full";
        } else {
            const int kind = value ? IndexOf(value, {"snapshot", "black", "wallpaper"}) : -1;
            if (kind >= 0) {
                options.overrides.ClearScreen = kind == 0 ? 0 : 1;
                options.overrides.Wallpaper = kind == 2 ? 1 : 0;
            } else {
                problem = "needs snapshot, black or wallpaper";
            }
        }
        if (!problem.empty() && options.error.empty()) {
            options.error = std::string(argv[i - 1]) + " " + problem;
            options.error += value ? ", not \"" + std::string(value) + "\"" : "";
        }
    }
    return options;
}
