// Storage of the screen-saver password: one salted yescrypt hash per user in
//   $XDG_CONFIG_HOME/vantorix/screensaver-password   (~/.config when unset)
// a one-line file readable only by its owner (mode 0600) in a folder private
// to the user (0700), replaced atomically (a temporary file in the same
// folder, synced, then renamed).
// No toolkit code here, so the storage can be tested on its own.
//
// The password and the hash never leave this code except through the
// callers' own buffers; every buffer that held either is wiped after use.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vxpw {

// Bytes of a password or a hash; wiped when destroyed. The storage is sized
// once, so no reallocation leaves a copy behind.
class Secret {
  public:
    Secret() = default;
    Secret(const char *data, size_t size);
    ~Secret();
    Secret(Secret &&other) noexcept;
    Secret &operator=(Secret &&other) noexcept;
    Secret(const Secret &) = delete;
    Secret &operator=(const Secret &) = delete;

    // NUL-terminated.
    const char *c_str() const { return m_bytes.empty() ? "" : m_bytes.data(); }
    size_t size() const { return m_bytes.empty() ? 0 : m_bytes.size() - 1; }
    bool empty() const { return size() == 0; }
    void Wipe();

  private:
    std::vector<char> m_bytes; // the characters and a NUL
};

// Overwrites `size` bytes in a way the compiler keeps.
void WipeBytes(void *data, size_t size);

// The user's configuration folder of the saver, $XDG_CONFIG_HOME/vantorix.
std::string ConfigFolder();
std::string PasswordFilePath();

struct StoredPassword {
    enum class State {
        NotSet, // no file: no password has been set
        Set,    // `hash` holds the stored hash
        Broken, // the file exists but is unreadable or not a valid hash
    } state = State::NotSet;
    Secret hash;
    std::string problem; // why it is Broken, for the user (no secret in it)
};

// The file and its folder must belong to the user and be writable by nobody
// else; otherwise the file counts as Broken, as does a symbolic link, a
// non-regular file or anything but one valid hash.
StoredPassword ReadStoredPassword();

enum class CheckResult { Match, Mismatch };
// Compares a typed password with a stored hash, in constant time. A phrase
// the hashing library refuses (512 bytes or more) is a Mismatch.
CheckResult CheckPassword(const Secret &typed, const Secret &hash);

// Replaces the stored password with a new hash of `password`; an empty
// password removes it. The folder is created, or made private, first; one
// owned by another user, or a link to a folder others can change, is
// refused. Temporary files of an interrupted save are removed. False with a
// reason in `error` when it fails; the previous file is then left as it was.
bool StorePassword(const Secret &password, std::string *error);

} // namespace vxpw
