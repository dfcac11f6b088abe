// The generator reproduces the committed assets byte for byte, and its
// pictures are transparent exactly where the artwork does not cover them.
#include "ResourceView.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadAll(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Asset files under a folder, relative to it (the generator's masks aside).
std::set<std::string> AssetFiles(const fs::path &root) {
    std::set<std::string> files;
    for (const char *sub : {"bitmaps", "icons", "sounds"}) {
        if (!fs::exists(root / sub))
            continue;
        for (const auto &e : fs::directory_iterator(root / sub))
            if (e.is_regular_file() && e.path().extension() != ".mask")
                files.insert(fs::relative(e.path(), root).generic_string());
    }
    return files;
}

class Generator : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
#ifdef VX_ARTGEN_PATH
        s_dir = new QTemporaryDir();
        QProcess p;
        p.start(QStringLiteral(VX_ARTGEN_PATH), {QStringLiteral("--masks"), s_dir->path()});
        s_ran = p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit &&
                p.exitCode() == 0;
        if (!s_ran)
            s_log = p.readAllStandardError().toStdString();
#endif
    }
    static void TearDownTestSuite() {
        delete s_dir;
        s_dir = nullptr;
    }
    void SetUp() override {
#ifndef VX_ARTGEN_PATH
        GTEST_SKIP() << "artgen is not built in this tree";
#endif
        ASSERT_TRUE(s_ran) << "artgen failed: " << s_log;
        const char *src = std::getenv("VX_SOURCE_DIR");
#ifdef VX_SOURCE_DIR_FALLBACK
        if (!src)
            src = VX_SOURCE_DIR_FALLBACK;
#endif
        ASSERT_NE(src, nullptr) << "VX_SOURCE_DIR is not set";
        m_committed = fs::path(src) / "res";
        m_generated = s_dir->path().toStdString();
    }

    static inline QTemporaryDir *s_dir = nullptr;
    static inline bool s_ran = false;
    static inline std::string s_log;
    fs::path m_committed, m_generated;
};

// One test, so that the generator (slow in sanitizer builds) runs once.
TEST_F(Generator, ReproducesTheCommittedAssetsWithKeyColourOnlyWhereTransparent) {
    const std::set<std::string> committed = AssetFiles(m_committed);
    const std::set<std::string> generated = AssetFiles(m_generated);
    EXPECT_EQ(committed, generated);
    EXPECT_EQ(generated.size(), 40u + 8u + 4u) << "bitmaps, icons and cursor, sounds";
    for (const std::string &f : generated)
        EXPECT_TRUE(ReadAll(m_committed / f) == ReadAll(m_generated / f))
            << f << " differs from what the generator makes; rerun artgen and commit";

    // Every picture is transparent (key colour) exactly where the artwork's
    // coverage mask, written next to it by the generator, says so.
    int checked = 0;
    for (const auto &e : fs::directory_iterator(m_generated / "bitmaps")) {
        if (e.path().extension() != ".bmp")
            continue;
        const std::string name = e.path().filename().string();
        const std::vector<uint8_t> file = ReadAll(e.path());
        const std::vector<uint8_t> mask = ReadAll(e.path().string() + ".mask");
        ASSERT_GT(file.size(), 14u) << name;
        const DibView d = ParseDib({file.data() + 14, file.size() - 14});
        ASSERT_EQ(d.error, "") << name;
        // The mask is a binary PGM: header, then one byte per pixel, top row first.
        const std::string head =
            "P5\n" + std::to_string(d.width) + " " + std::to_string(d.height) + "\n255\n";
        ASSERT_EQ(mask.size(), head.size() + size_t(d.width) * size_t(d.height)) << name;
        ASSERT_TRUE(std::equal(head.begin(), head.end(), mask.begin())) << name;
        const std::vector<uint8_t> key = KeyPixels(d);
        int wrong = 0;
        for (size_t i = 0; i < key.size(); ++i)
            wrong += bool(key[i]) == bool(mask[head.size() + i]);
        EXPECT_EQ(wrong, 0) << name << ": key colour and coverage disagree";
        ++checked;
    }
    EXPECT_EQ(checked, 40);
}

} // namespace
