#include "platform/password/PasswordStore.h"

#include <cerrno>
#include <crypt.h>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vxpw {

namespace {

// A yescrypt hash is about 73 characters; anything much longer is not ours.
constexpr size_t kMaxFileSize = 512;
constexpr const char *kFileName = "screensaver-password";

std::string ConfigBase() {
    const char *xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char *home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd *pw = ::getpwuid(::getuid());
        home = pw && pw->pw_dir ? pw->pw_dir : "";
    }
    return std::string(home) + "/.config";
}

std::string Reason(int error) {
    return std::strerror(error);
}

// Creates `path` and any missing parents, new folders private to the user.
bool MakeFolders(const std::string &path, std::string *error) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = slash == std::string::npos ? path : path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            *error = "cannot create the folder " + part + ": " + Reason(errno);
            return false;
        }
        if (slash == std::string::npos)
            break;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *error = path + " is not a folder";
        return false;
    }
    return true;
}

bool WriteAll(int fd, const char *data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

void SyncFolder(const std::string &folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

struct CryptData {
    crypt_data data{};
    ~CryptData() { WipeBytes(&data, sizeof data); }
};

// What we write: a complete yescrypt hash of printable characters. A salt
// without its hash (a truncated file) is a valid setting for libcrypt, so
// the check hashes a dummy phrase with it: a complete hash comes back with
// the same length and the same setting, anything else does not. Trusting a
// bare setting would lock the user out, since no password could match it.
bool IsValidHash(const char *hash, size_t size) {
    if (size < 4 || std::strncmp(hash, "$y$", 3) != 0)
        return false;
    for (size_t i = 0; i < size; ++i)
        if (hash[i] <= ' ' || hash[i] > '~')
            return false;
    if (crypt_checksalt(hash) != CRYPT_SALT_OK)
        return false;
    const char *lastDollar = std::strrchr(hash, '$');
    const size_t settingLength = size_t(lastDollar - hash);
    if (settingLength + 1 >= size)
        return false; // ends with '$': no hash part
    auto work = std::make_unique<CryptData>();
    const char *probe = crypt_rn("", hash, &work->data, sizeof work->data);
    return probe && probe[0] != '*' && std::strlen(probe) == size &&
           std::strncmp(probe, hash, settingLength + 1) == 0;
}

} // namespace

void WipeBytes(void *data, size_t size) {
    if (data && size)
        ::explicit_bzero(data, size);
}

Secret::Secret(const char *data, size_t size) : m_bytes(size + 1, '\0') {
    if (size)
        std::memcpy(m_bytes.data(), data, size);
}
Secret::~Secret() {
    Wipe();
}
Secret::Secret(Secret &&other) noexcept : m_bytes(std::move(other.m_bytes)) {
    other.m_bytes.clear();
}
Secret &Secret::operator=(Secret &&other) noexcept {
    if (this != &other) {
        Wipe();
        m_bytes = std::move(other.m_bytes);
        other.m_bytes.clear();
    }
    return *this;
}
void Secret::Wipe() {
    WipeBytes(m_bytes.data(), m_bytes.size());
    m_bytes.clear();
}

std::string ConfigFolder() {
    return ConfigBase() + "/vantorix";
}

std::string PasswordFilePath() {
    return ConfigFolder() + "/" + kFileName;
}

StoredPassword ReadStoredPassword() {
    StoredPassword stored;
    const std::string path = PasswordFilePath();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT)
            return stored; // NotSet
        stored.state = StoredPassword::State::Broken;
        stored.problem = path + " cannot be read: " + Reason(errno);
        return stored;
    }
    stored.state = StoredPassword::State::Broken;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        stored.problem = path + " is not a regular file";
        return stored;
    }
    char buffer[kMaxFileSize + 1];
    size_t size = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer + size, sizeof buffer - size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            stored.problem = path + " cannot be read: " + Reason(errno);
            ::close(fd);
            WipeBytes(buffer, sizeof buffer);
            return stored;
        }
        if (n == 0 || (size += size_t(n)) == sizeof buffer)
            break;
    }
    ::close(fd);
    // One line: the hash, optionally followed by a line end.
    size_t length = size;
    if (length > 0 && buffer[length - 1] == '\n')
        --length;
    if (size <= kMaxFileSize)
        buffer[length] = '\0';
    if (size > kMaxFileSize || !IsValidHash(buffer, length)) {
        stored.problem = path + " does not hold a valid password hash";
        WipeBytes(buffer, sizeof buffer);
        return stored;
    }
    stored.hash = Secret(buffer, length);
    WipeBytes(buffer, sizeof buffer);
    stored.state = StoredPassword::State::Set;
    return stored;
}

CheckResult CheckPassword(const Secret &typed, const Secret &hash) {
    auto work = std::make_unique<CryptData>();
    const char *result = crypt_rn(typed.c_str(), hash.c_str(), &work->data, sizeof work->data);
    if (!result || result[0] == '*')
        return CheckResult::Error;
    const size_t n = std::strlen(result);
    if (n != hash.size())
        return CheckResult::Mismatch;
    unsigned char diff = 0;
    for (size_t i = 0; i < n; ++i)
        diff |= static_cast<unsigned char>(result[i] ^ hash.c_str()[i]);
    return diff == 0 ? CheckResult::Match : CheckResult::Mismatch;
}

bool StorePassword(const Secret &password, std::string *error) {
    std::string ignored;
    if (!error)
        error = &ignored;
    const std::string folder = ConfigFolder();
    const std::string path = PasswordFilePath();

    if (password.empty()) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            *error = "cannot remove " + path + ": " + Reason(errno);
            return false;
        }
        SyncFolder(folder);
        return true;
    }

    char setting[CRYPT_GENSALT_OUTPUT_SIZE];
    if (!crypt_gensalt_rn("$y$", 0, nullptr, 0, setting, sizeof setting)) {
        *error = "cannot make a password hash: " + Reason(errno);
        return false;
    }
    auto work = std::make_unique<CryptData>();
    const char *hashed = crypt_rn(password.c_str(), setting, &work->data, sizeof work->data);
    if (!hashed || hashed[0] == '*') {
        *error = "cannot make a password hash: " + Reason(errno);
        return false;
    }
    const Secret hash(hashed, std::strlen(hashed));

    if (!MakeFolders(folder, error))
        return false;
    std::string temp = folder + "/." + kFileName + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC); // created with mode 0600
    if (fd < 0) {
        *error = "cannot write in " + folder + ": " + Reason(errno);
        return false;
    }
    const bool written = ::fchmod(fd, 0600) == 0 && WriteAll(fd, hash.c_str(), hash.size()) &&
                         WriteAll(fd, "\n", 1) && ::fsync(fd) == 0;
    const int writeErrno = errno;
    if (::close(fd) != 0 || !written) {
        *error = "cannot write " + temp + ": " + Reason(written ? errno : writeErrno);
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        *error = "cannot replace " + path + ": " + Reason(errno);
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

} // namespace vxpw
