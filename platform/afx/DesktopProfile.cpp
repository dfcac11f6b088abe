// The desktop settings file, read only. The file is small and hand-edited, so
// the reader is forgiving about layout (blank lines, comments, spaces around
// '=', CR LF line ends, a UTF-8 byte-order mark, quoted values) and strict
// about the one value whose meaning matters for security: the password
// switch must be a 32-bit integer, or reading it fails.
//
// Section and key names compare without regard to case; when a key or a
// section appears twice the first occurrence wins. The file is read again at
// every call, so a change made while the saver runs is seen at the next read.
//
// Behaviour by situation:
//   no file                     every call answers its built-in default; the
//                               password switch reads as 0 (password off)
//   file exists, cannot be read RegOpenKeyA fails (access denied); the string
//                               and colour calls answer their defaults
//   no [Control Panel\Desktop]  the switch reads as 0, as with no file: a user
//                               who only set a wallpaper gets no error box
//   section, no switch value    RegQueryValueExA fails (not found)
//   switch value not a 32-bit   RegQueryValueExA fails (invalid data)
//   integer
#include "platform/afx/DesktopProfile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Larger files are not desktop settings; refusing them keeps a stray huge
// file from stalling every read.
constexpr size_t kMaxFileSize = 1 << 20;

constexpr const char *kPasswordKeyPath = "Control Panel\\Desktop";
constexpr const char *kPasswordValue = "ScreenSaveUsePassword";

std::string Lower(std::string s) {
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

std::string Trim(const std::string &s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return s.substr(b, e - b);
}

struct Profile {
    enum class State { Missing, Unreadable, Read } state = State::Missing;
    // lower-case section -> lower-case key -> value
    std::map<std::string, std::map<std::string, std::string>> sections;

    const std::map<std::string, std::string> *Section(const char *name) const {
        auto it = sections.find(Lower(name));
        return it == sections.end() ? nullptr : &it->second;
    }
    std::optional<std::string> Value(const char *section, const char *key) const {
        const auto *s = Section(section);
        if (!s)
            return std::nullopt;
        auto it = s->find(Lower(key));
        if (it == s->end())
            return std::nullopt;
        return it->second;
    }
};

void Parse(const std::string &text, Profile &profile) {
    size_t pos = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        pos = 3;
    std::map<std::string, std::string> *current = nullptr;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            if (close == std::string::npos) {
                current = nullptr; // a broken header: ignore its keys
                continue;
            }
            // A repeated section adds its keys to the first one.
            current = &profile.sections[Lower(Trim(line.substr(1, close - 1)))];
            continue;
        }
        const size_t eq = line.find('=');
        if (!current || eq == std::string::npos)
            continue;
        const std::string key = Lower(Trim(line.substr(0, eq)));
        std::string value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (!key.empty())
            current->emplace(key, value);
    }
}

Profile Load() {
    Profile profile;
    const std::string path = VxDesktopProfilePath();
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        // Only a file that is not there counts as "no settings"; anything
        // else (a permission problem on the folder, a loop) is unreadable.
        profile.state = (errno == ENOENT || errno == ENOTDIR) ? Profile::State::Missing
                                                              : Profile::State::Unreadable;
        return profile;
    }
    profile.state = Profile::State::Unreadable;
    if (!S_ISREG(st.st_mode) || size_t(st.st_size) > kMaxFileSize)
        return profile;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return profile;
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || text.size() + size_t(n) > kMaxFileSize) {
            ::close(fd);
            return profile;
        }
        if (n == 0)
            break;
        text.append(buffer, size_t(n));
    }
    ::close(fd);
    profile.state = Profile::State::Read;
    Parse(text, profile);
    return profile;
}

// A 32-bit integer: optional sign, decimal or 0x-prefixed hexadecimal, in the
// range of a signed or an unsigned 32-bit value; nothing else on the line.
std::optional<DWORD> ParseDword(const std::string &text) {
    if (text.empty())
        return std::nullopt;
    size_t i = 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    int base = 10;
    if (text.size() - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return std::nullopt;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * uint64_t(base) + uint64_t(digit);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (negative) {
        if (value > 0x80000000ull)
            return std::nullopt;
        return DWORD(uint32_t(0) - uint32_t(value));
    }
    return DWORD(value);
}

} // namespace

// An open key: a snapshot of the switch taken when the key was opened.
struct HKEY__ {
    // Whether the switch exists, and its text when it does; the built-in
    // default (no file, no section) is the text "0".
    std::optional<std::string> passwordSwitch;
};

namespace {
std::mutex g_keysMutex;
std::set<HKEY> g_openKeys;

bool IsOpenKey(HKEY key) {
    std::lock_guard lock(g_keysMutex);
    return g_openKeys.count(key) != 0;
}
} // namespace

std::string VxDesktopProfilePath() {
    std::string base;
    const char *xdg = std::getenv("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base
    // directory convention asks.
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char *home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd *pw = ::getpwuid(::getuid());
            home = pw && pw->pw_dir ? pw->pw_dir : "";
        }
        base = std::string(home) + "/.config";
    }
    return base + "/vantorix/desktop.ini";
}

DWORD GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size) {
    if (!buffer || size == 0)
        return 0;
    std::string value = defaultValue ? defaultValue : "";
    if (section && key) {
        const Profile profile = Load();
        if (auto v = profile.Value(section, key))
            value = *v;
    }
    const size_t n = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return DWORD(n);
}

DWORD GetSysColor(int index) {
    if (index != COLOR_BACKGROUND)
        return RGB(0, 0, 0);
    const Profile profile = Load();
    const auto text = profile.Value("Colors", "Background");
    if (!text)
        return RGB(0, 0, 0);
    // Three integers 0..255 separated by blanks (commas accepted too).
    int rgb[3];
    const char *p = text->c_str();
    for (int i = 0; i < 3; ++i) {
        while (*p == ' ' || *p == '\t' || (i > 0 && *p == ','))
            ++p;
        if (*p < '0' || *p > '9')
            return RGB(0, 0, 0);
        long v = 0;
        while (*p >= '0' && *p <= '9' && v <= 255)
            v = v * 10 + (*p++ - '0');
        if (v > 255)
            return RGB(0, 0, 0);
        rgb[i] = int(v);
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p)
        return RGB(0, 0, 0);
    return RGB(BYTE(rgb[0]), BYTE(rgb[1]), BYTE(rgb[2]));
}

LSTATUS RegOpenKeyA(HKEY root, LPCSTR subKey, HKEY *result) {
    if (!result)
        return ERROR_INVALID_DATA;
    *result = nullptr;
    if (root != HKEY_CURRENT_USER || !subKey || Lower(subKey) != Lower(kPasswordKeyPath))
        return ERROR_FILE_NOT_FOUND;
    const Profile profile = Load();
    if (profile.state == Profile::State::Unreadable)
        return ERROR_ACCESS_DENIED;
    auto *key = new HKEY__;
    if (profile.state == Profile::State::Missing || !profile.Section(kPasswordKeyPath))
        key->passwordSwitch = "0";
    else
        key->passwordSwitch = profile.Value(kPasswordKeyPath, kPasswordValue);
    std::lock_guard lock(g_keysMutex);
    g_openKeys.insert(key);
    *result = key;
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, DWORD *reserved, DWORD *type, BYTE *data,
                         DWORD *size) {
    if (reserved || !IsOpenKey(key) || (data && !size))
        return ERROR_INVALID_DATA;
    if (!name || Lower(name) != Lower(kPasswordValue) || !key->passwordSwitch)
        return ERROR_FILE_NOT_FOUND;
    const std::optional<DWORD> value = ParseDword(*key->passwordSwitch);
    if (!value)
        return ERROR_INVALID_DATA;
    if (type)
        *type = REG_DWORD;
    if (!size)
        return ERROR_SUCCESS;
    if (data && *size < sizeof(DWORD)) {
        *size = sizeof(DWORD);
        return ERROR_MORE_DATA;
    }
    *size = sizeof(DWORD);
    if (data)
        std::memcpy(data, &*value, sizeof(DWORD));
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
    if (key == HKEY_CURRENT_USER)
        return ERROR_SUCCESS;
    {
        std::lock_guard lock(g_keysMutex);
        if (!g_openKeys.erase(key))
            return ERROR_INVALID_DATA;
    }
    delete key;
    return ERROR_SUCCESS;
}
