#include "platform/password/PasswordStore.h"

#include "tests/TestSupport.h"

#include <crypt.h>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vxpw;
using namespace vxtest;

namespace {

Secret S(const char *text) {
    return Secret(text, std::strlen(text));
}

// The names in the password file's folder.
std::vector<std::string> FolderEntries() {
    std::vector<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(
             std::filesystem::path(PasswordFilePath()).parent_path()))
        names.push_back(e.path().filename());
    return names;
}
const std::vector<std::string> kOnlyTheFile = {"screensaver-password"};

TEST(PasswordStore, SetCheckChangeRemove) {
    ScopedConfigHome home;
    EXPECT_EQ(PasswordFilePath(), home.Path("vantorix/screensaver-password"));
    EXPECT_EQ(ReadStoredPassword().state, StoredPassword::State::NotSet) << "nothing stored yet";

    std::string error;
    ASSERT_TRUE(StorePassword(S("correct horse"), &error)) << error;
    StoredPassword stored = ReadStoredPassword();
    ASSERT_EQ(stored.state, StoredPassword::State::Set);
    EXPECT_EQ(std::string(stored.hash.c_str(), 3), "$y$") << "a yescrypt hash";
    EXPECT_EQ(CheckPassword(S("correct horse"), stored.hash), CheckResult::Match);
    // A phrase the hashing library refuses (512 bytes and more) does not match.
    for (const std::string &other : std::vector<std::string>{
             "correct hors", "Correct horse", "", "correct horse" + std::string(600, ' ')})
        EXPECT_EQ(CheckPassword(S(other.c_str()), stored.hash), CheckResult::Mismatch) << other;
    // With a fixed salt, wrong passwords whose hashes agree with the right
    // one's in the first or in the last character: all of it is compared.
    char setting[CRYPT_GENSALT_OUTPUT_SIZE];
    ASSERT_NE(crypt_gensalt_rn("$y$", 1, "sixteen salt byt", 16, setting, sizeof setting), nullptr);
    crypt_data data{};
    const std::string right = crypt_rn("right", setting, &data, sizeof data);
    const Secret rightHash(right.data(), right.size());
    EXPECT_EQ(CheckPassword(S("right"), rightHash), CheckResult::Match);
    for (size_t at : {right.rfind('$') + 1, right.size() - 1}) {
        std::string wrong;
        for (int i = 0; wrong.empty() && i < 5000; ++i)
            if (const std::string w = "wrong" + std::to_string(i);
                crypt_rn(w.c_str(), setting, &data, sizeof data)[at] == right[at])
                wrong = w;
        ASSERT_FALSE(wrong.empty()) << "no wrong password agrees at " << at;
        EXPECT_EQ(CheckPassword(S(wrong.c_str()), rightHash), CheckResult::Mismatch) << wrong;
    }

    const std::string file = ReadFile(PasswordFilePath());
    EXPECT_EQ(file.find("correct"), std::string::npos) << "the password itself is not stored";
    EXPECT_EQ(file, std::string(stored.hash.c_str()) + "\n") << "one line: the hash";

    // The same password again gets a new salt, hence a different hash.
    ASSERT_TRUE(StorePassword(S("correct horse"), &error)) << error;
    StoredPassword again = ReadStoredPassword();
    EXPECT_STRNE(again.hash.c_str(), stored.hash.c_str()) << "salted";
    EXPECT_EQ(CheckPassword(S("correct horse"), again.hash), CheckResult::Match);

    ASSERT_TRUE(StorePassword(S(""), &error)) << "an empty password removes it: " << error;
    EXPECT_EQ(ReadStoredPassword().state, StoredPassword::State::NotSet);
    EXPECT_TRUE(StorePassword(S(""), &error)) << "removing twice is fine";
}

TEST(PasswordStore, FileModeAndAtomicReplacement) {
    ScopedConfigHome home;
    const mode_t oldMask = ::umask(0); // the file must be private whatever the umask
    std::string error;
    ASSERT_TRUE(StorePassword(S("first"), &error)) << error;
    ::umask(oldMask);

    struct stat st {};
    ASSERT_EQ(::stat(PasswordFilePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u) << "file readable only by its owner";
    EXPECT_EQ(st.st_uid, ::getuid());
    struct stat folder {};
    ASSERT_EQ(::stat(home.Path("vantorix").c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0077, 0u) << "a folder we create is private";

    // Replacement renames a new file over the old one: a reader that opened
    // the old file keeps seeing it whole, never a half-written one.
    const std::string before = ReadFile(PasswordFilePath());
    const int reader = ::open(PasswordFilePath().c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(StorePassword(S("second"), &error)) << error;
    char buffer[600] = {};
    const ssize_t n = ::pread(reader, buffer, sizeof buffer - 1, 0);
    ::close(reader);
    EXPECT_EQ(std::string(buffer, size_t(n > 0 ? n : 0)), before) << "old file untouched";
    struct stat after {};
    ASSERT_EQ(::stat(PasswordFilePath().c_str(), &after), 0);
    EXPECT_NE(after.st_ino, st.st_ino) << "a new file, not rewritten in place";
    EXPECT_EQ(after.st_mode & 07777, 0600u);
    EXPECT_EQ(FolderEntries(), kOnlyTheFile) << "no temporary file left";
}

TEST(PasswordStore, FailedWriteKeepsTheOldPassword) {
    ScopedConfigHome home;
    std::string error;
    ASSERT_TRUE(StorePassword(S("keep me"), &error)) << error;
    const std::string before = ReadFile(PasswordFilePath());

    // A file size limit makes the write fail part-way (this works as root too).
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = saved;
    tiny.rlim_cur = 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool stored = StorePassword(S("replacement"), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(stored) << "a short write is reported";
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(PasswordFilePath()), before) << "the old password stays";
    EXPECT_EQ(FolderEntries(), kOnlyTheFile) << "the partial temporary file is removed";
    EXPECT_EQ(CheckPassword(S("keep me"), ReadStoredPassword().hash), CheckResult::Match);

    // A folder where the file should be cannot be replaced.
    ScopedConfigHome other;
    MakeFolder(PasswordFilePath() + "/inside");
    EXPECT_FALSE(StorePassword(S("x"), &error)) << "target is a non-empty folder";
    EXPECT_EQ(FolderEntries(), kOnlyTheFile);
}

TEST(PasswordStore, BrokenFilesAreReportedNotTrusted) {
    struct Row {
        const char *label;
        std::string text;
    };
    char setting[CRYPT_GENSALT_OUTPUT_SIZE];
    ASSERT_NE(crypt_gensalt_rn("$y$", 0, nullptr, 0, setting, sizeof setting), nullptr);
    crypt_data data{};
    const std::string good = crypt_rn("pw", setting, &data, sizeof data);
    const std::string des = crypt_rn("pw", "ab", &data, sizeof data);
    const Row rows[] = {
        {"empty file", ""},
        {"only the method prefix", "$y$\n"},
        {"hash with a second line", good + "\nmore\n"},
        {"truncated hash", good.substr(0, 20) + "\n"},
        {"salt without its hash", std::string(setting) + "\n"},
        {"hash one character short", good.substr(0, good.size() - 1) + "\n"},
        {"another method (DES)", des + "\n"},
        {"too long", good + std::string(600, 'a') + "\n"},
    };
    for (const Row &row : rows) {
        ScopedConfigHome home;
        WriteFile(PasswordFilePath(), row.text);
        const StoredPassword stored = ReadStoredPassword();
        EXPECT_EQ(stored.state, StoredPassword::State::Broken) << row.label;
        EXPECT_NE(stored.problem.find(PasswordFilePath()), std::string::npos)
            << row.label << ": the problem names the file";
    }
    {
        ScopedConfigHome home;
        WriteFile(PasswordFilePath(), good); // no line end is fine
        const StoredPassword stored = ReadStoredPassword();
        ASSERT_EQ(stored.state, StoredPassword::State::Set) << "valid hash without newline";
        EXPECT_EQ(CheckPassword(S("pw"), stored.hash), CheckResult::Match);
    }
    // A file someone else could have written proves nothing: it counts as
    // broken, like one that is not a regular file (reading does not block).
    const bool root = ::geteuid() == 0; // only root can hand a file to another user
    const auto folder = [] { return ConfigFolder(); };
    const auto file = [] { return PasswordFilePath(); };
    const struct {
        const char *label;
        bool trusted;
        std::function<void()> change;
    } places[] = {
        {"readable by all", true,
         [&] { ::chmod(folder().c_str(), 0755), ::chmod(file().c_str(), 0644); }},
        {"folder writable by the group", false, [&] { ::chmod(folder().c_str(), 0770); }},
        {"file writable by others", false, [&] { ::chmod(file().c_str(), 0602); }},
        {"file of another user", !root,
         [&] { ASSERT_TRUE(!root || ::chown(file().c_str(), 65534, 65534) == 0); }},
        {"folder of another user", !root,
         [&] { ASSERT_TRUE(!root || ::chown(folder().c_str(), 65534, 65534) == 0); }},
        {"file is a link", false,
         [&] {
             ASSERT_EQ(::rename(file().c_str(), (file() + "2").c_str()), 0);
             ASSERT_EQ(::symlink("screensaver-password2", file().c_str()), 0);
         }},
        {"folder instead of the file", false,
         [&] { ::unlink(file().c_str()), MakeFolder(file()); }},
        {"pipe instead of the file", false,
         [&] {
             ::unlink(file().c_str());
             ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0);
         }},
    };
    for (const auto &row : places) {
        ScopedConfigHome home;
        std::string error;
        ASSERT_TRUE(StorePassword(S("pw"), &error)) << error;
        row.change();
        const StoredPassword stored = ReadStoredPassword();
        EXPECT_EQ(stored.state,
                  row.trusted ? StoredPassword::State::Set : StoredPassword::State::Broken)
            << row.label << ": " << stored.problem;
    }
}

// Saving makes the folder private, refuses one that is someone else's, and
// clears away what an interrupted save left behind.
TEST(PasswordStore, SavingTakesOnlyAFolderOfTheUsersOwn) {
    const bool root = ::geteuid() == 0;
    const struct {
        const char *label;
        bool saved;
        std::function<void(const std::string &folder, const std::string &elsewhere)> make;
    } rows[] = {
        {"folder open to all", true,
         [](auto &f, auto &) { MakeFolder(f), ::chmod(f.c_str(), 0777); }},
        {"temporary file of an interrupted save", true,
         [](auto &f, auto &) { WriteFile(f + "/.screensaver-password.Ab12Cd", "$y$half"); }},
        {"link to a private folder of the user's", true,
         [](auto &f, auto &e) {
             ::chmod(e.c_str(), 0700);
             ASSERT_EQ(::symlink(e.c_str(), f.c_str()), 0);
         }},
        {"link to a folder open to all", false,
         [](auto &f, auto &e) {
             ::chmod(e.c_str(), 01777);
             ASSERT_EQ(::symlink(e.c_str(), f.c_str()), 0);
         }},
        {"folder of another user", !root,
         [root](auto &f, auto &) {
             MakeFolder(f);
             ASSERT_TRUE(!root || ::chown(f.c_str(), 65534, 65534) == 0);
         }},
    };
    for (const auto &row : rows) {
        ScopedConfigHome elsewhere, home; // the second one is XDG_CONFIG_HOME
        const std::string folder = ConfigFolder();
        row.make(folder, elsewhere.Path());
        std::string error;
        EXPECT_EQ(StorePassword(S("pw"), &error), row.saved) << row.label << ": " << error;
        struct stat st {};
        ASSERT_EQ(::stat(folder.c_str(), &st), 0) << row.label;
        if (row.saved) {
            EXPECT_EQ(FolderEntries(), kOnlyTheFile) << row.label;
            EXPECT_EQ(ReadStoredPassword().state, StoredPassword::State::Set) << row.label;
            EXPECT_EQ(st.st_mode & 0777, 0700u) << row.label << ": the folder is private";
        } else {
            EXPECT_TRUE(FolderEntries().empty()) << row.label << ": nothing written there";
            EXPECT_NE(st.st_mode & 0777, 0700u) << row.label << ": not changed either";
        }
    }
}

} // namespace
