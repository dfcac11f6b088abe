#include "platform/password/PasswordStore.h"

#include <cerrno>
#include <crypt.h>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <pwd.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

// Temporary files of a save are named ".<file>." plus six characters.
const std::string kTempPrefix = std::string(".") + kFileName + ".";

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

// A file descriptor closed on scope exit.
class Fd {
  public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

  private:
    int m_fd;
};

// Why a folder or file may not be trusted with the password: someone else
// owns it or can change it. Empty when it is the user's alone.
std::string Untrusted(const struct stat &st, const std::string &path) {
    if (st.st_uid != ::geteuid())
        return path + " belongs to another user";
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        return path + " can be changed by other users";
    return {};
}

// Opens the password folder for a save, creating it (and $XDG_CONFIG_HOME)
// when missing. The folder must be the user's own: one they own is made
// private (0700); one owned by someone else is refused. A symbolic link is
// followed only to a folder the user owns that nobody else can change, and
// nothing is changed through it. Every later step works on the returned
// descriptor, so swapping the folder meanwhile has no effect. -1 with a
// reason in `error`, or with `error` empty when `create` is false and the
// folder does not exist.
int OpenFolderForSave(bool create, std::string *error) {
    const std::string folder = ConfigFolder();
    if (create && (!MakeFolders(ConfigBase(), error) ||
                   (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST))) {
        if (error->empty())
            *error = "cannot create the folder " + folder + ": " + Reason(errno);
        return -1;
    }
    struct stat link {};
    if (::lstat(folder.c_str(), &link) != 0) {
        if (errno != ENOENT || create)
            *error = "cannot use the folder " + folder + ": " + Reason(errno);
        return -1;
    }
    const bool viaLink = S_ISLNK(link.st_mode);
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (viaLink ? 0 : O_NOFOLLOW)));
    struct stat st {};
    if (dir.get() < 0 || ::fstat(dir.get(), &st) != 0) {
        *error = "cannot use the folder " + folder + ": " + Reason(errno);
        return -1;
    }
    if (st.st_uid != ::geteuid()) {
        *error = folder + " belongs to another user";
        return -1;
    }
    if (viaLink) {
        if (!Untrusted(st, folder).empty()) {
            *error = folder + " links to a folder other users can change";
            return -1;
        }
    } else if ((st.st_mode & 077) != 0 && ::fchmod(dir.get(), 0700) != 0) {
        *error = "cannot make " + folder + " private: " + Reason(errno);
        return -1;
    }
    return dir.release();
}

// Removes temporary files a save left behind when it was interrupted. Runs
// under the folder lock, so no save is writing one at the time.
void RemoveStaleTemporaries(int dir) {
    const int copy = ::dup(dir);
    DIR *listing = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!listing) {
        if (copy >= 0)
            ::close(copy);
        return;
    }
    while (const dirent *entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name.size() == kTempPrefix.size() + 6 &&
            name.compare(0, kTempPrefix.size(), kTempPrefix) == 0)
            ::unlinkat(dir, name.c_str(), 0);
    }
    ::closedir(listing);
}

// Creates a new temporary file in `dir`, private to the user.
int CreateTemporary(int dir, std::string *name) {
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6];
        if (::getrandom(random, sizeof random, 0) != ssize_t(sizeof random))
            return -1;
        *name = kTempPrefix;
        for (unsigned char r : random)
            *name += kChars[r % (sizeof kChars - 1)];
        const int fd = ::openat(dir, name->c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
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
    const std::string folder = ConfigFolder();
    const std::string path = PasswordFilePath();
    // The folder and the file must be the user's alone: a hash someone else
    // could have written proves nothing.
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) {
        if (errno == ENOENT)
            return stored; // NotSet
        stored.state = StoredPassword::State::Broken;
        stored.problem = folder + " cannot be read: " + Reason(errno);
        return stored;
    }
    stored.state = StoredPassword::State::Broken;
    struct stat st {};
    if (::fstat(dir.get(), &st) != 0) {
        stored.problem = folder + " cannot be read: " + Reason(errno);
        return stored;
    }
    if (stored.problem = Untrusted(st, folder); !stored.problem.empty())
        return stored;
    Fd file(::openat(dir.get(), kFileName, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
    if (file.get() < 0) {
        if (errno == ENOENT) {
            stored.state = StoredPassword::State::NotSet;
            return stored;
        }
        stored.problem = errno == ELOOP ? path + " is a symbolic link"
                                        : path + " cannot be read: " + Reason(errno);
        return stored;
    }
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        stored.problem = path + " is not a regular file";
        return stored;
    }
    if (stored.problem = Untrusted(st, path); !stored.problem.empty())
        return stored;
    const int fd = file.get();
    char buffer[kMaxFileSize + 1];
    size_t size = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer + size, sizeof buffer - size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            stored.problem = path + " cannot be read: " + Reason(errno);
            WipeBytes(buffer, sizeof buffer);
            return stored;
        }
        if (n == 0 || (size += size_t(n)) == sizeof buffer)
            break;
    }
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
    // The stored hash was checked when it was read, so a refusal is about
    // the typed phrase (longer than the library takes, for one): a phrase
    // that cannot be checked is not the password.
    if (!result || result[0] == '*')
        return CheckResult::Mismatch;
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
    error->clear();
    const std::string folder = ConfigFolder();
    const std::string path = PasswordFilePath();

    Secret hash;
    if (!password.empty()) {
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
        hash = Secret(hashed, std::strlen(hashed));
    }

    Fd dir(OpenFolderForSave(!password.empty(), error));
    if (dir.get() < 0)
        return error->empty(); // no folder: no password to remove
    // One save at a time; the lock goes with the descriptor.
    while (::flock(dir.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
    RemoveStaleTemporaries(dir.get());

    if (password.empty()) {
        if (::unlinkat(dir.get(), kFileName, 0) != 0 && errno != ENOENT) {
            *error = "cannot remove " + path + ": " + Reason(errno);
            return false;
        }
        ::fsync(dir.get());
        return true;
    }

    std::string temp;
    const int fd = CreateTemporary(dir.get(), &temp);
    if (fd < 0) {
        *error = "cannot write in " + folder + ": " + Reason(errno);
        return false;
    }
    const bool written = ::fchmod(fd, 0600) == 0 && WriteAll(fd, hash.c_str(), hash.size()) &&
                         WriteAll(fd, "\n", 1) && ::fsync(fd) == 0;
    const int writeErrno = errno;
    if (::close(fd) != 0 || !written) {
        *error =
            "cannot write " + folder + "/" + temp + ": " + Reason(written ? errno : writeErrno);
        ::unlinkat(dir.get(), temp.c_str(), 0);
        return false;
    }
    if (::renameat(dir.get(), temp.c_str(), dir.get(), kFileName) != 0) {
        *error = "cannot replace " + path + ": " + Reason(errno);
        ::unlinkat(dir.get(), temp.c_str(), 0);
        return false;
    }
    ::fsync(dir.get());
    return true;
}

} // namespace vxpw
