#include "platform/password/PasswordStore.h"

#include "TestFiles.h"

#include <crypt.h>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vxpw;

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
    EXPECT_EQ(PasswordFilePath(), home.file("screensaver-password"));
    EXPECT_EQ(ReadStoredPassword().state, StoredPassword::State::NotSet) << "nothing stored yet";

    std::string error;
    ASSERT_TRUE(StorePassword(S("correct horse"), &error)) << error;
    StoredPassword stored = ReadStoredPassword();
    ASSERT_EQ(stored.state, StoredPassword::State::Set);
    EXPECT_EQ(std::string(stored.hash.c_str(), 3), "$y$") << "a yescrypt hash";
    EXPECT_EQ(CheckPassword(S("correct horse"), stored.hash), CheckResult::Match);
    for (const char *other : {"correct hors", "Correct horse", ""})
        EXPECT_EQ(CheckPassword(S(other), stored.hash), CheckResult::Mismatch) << other;

    const std::string file = ReadFile(PasswordFilePath());
    EXPECT_EQ(file.find("correct"), std::string::npos) << "the password itself is not stored";
    EXPECT_EQ(file, std::string(stored.hash.c_str()) + "\n") << "one line: the hash";

    // The same password again gets a new salt, hence a different hash.
    ASSERT_TRUE(StorePassword(S("correct horse"), &error)) << error;
    StoredPassword again = ReadStoredPassword();
    EXPECT_STRNE(again.hash.c_str(), stored.hash.c_str()) << "salted";
    EXPECT_EQ(CheckPassword(S("correct horse"), again.hash), CheckResult::Match);

    ASSERT_TRUE(StorePassword(S("n\xC3\xA9w p\xC3\xA4ss"), &error)) << error;
    EXPECT_EQ(CheckPassword(S("n\xC3\xA9w p\xC3\xA4ss"), ReadStoredPassword().hash),
              CheckResult::Match);

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
    ASSERT_EQ(::stat((home.path() + "/vantorix").c_str(), &folder), 0);
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
        {"hash one character long", good + "A\n"},
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
    for (const char *kind : {"folder", "pipe"}) {
        ScopedConfigHome home;
        if (std::string(kind) == "folder")
            MakeFolder(PasswordFilePath());
        else {
            MakeFolder(home.path() + "/vantorix");
            ASSERT_EQ(::mkfifo(PasswordFilePath().c_str(), 0600), 0);
        }
        EXPECT_EQ(ReadStoredPassword().state, StoredPassword::State::Broken)
            << kind << " instead of the file (and reading does not block)";
    }
}

} // namespace
