// The generator reproduces the committed assets byte for byte (the smooth
// PNG icons to within one step per channel), and its pictures are
// transparent exactly where the artwork does not cover them.
#include "ResourceView.h"
#include "tests/TestSupport.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Asset files under a folder and its subfolders, relative to it (the
// generator's masks aside).
std::set<std::string> AssetFiles(const fs::path &root) {
    std::set<std::string> files;
    for (const char *sub : {"bitmaps", "icons", "sounds"}) {
        if (!fs::exists(root / sub))
            continue;
        for (const auto &e : fs::recursive_directory_iterator(root / sub))
            if (e.is_regular_file() && e.path().extension() != ".mask")
                files.insert(fs::relative(e.path(), root).generic_string());
    }
    return files;
}

// The smooth icons are antialiased by the toolkit's painter, whose rounding
// depends on the processor's vector units: the same artwork may differ by one
// step in a channel from one machine to another, never by more.
bool SamePicture(const fs::path &a, const fs::path &b) {
    const QImage x =
        QImage(QString::fromStdString(a.string())).convertToFormat(QImage::Format_ARGB32);
    const QImage y =
        QImage(QString::fromStdString(b.string())).convertToFormat(QImage::Format_ARGB32);
    if (x.isNull() || x.size() != y.size())
        return false;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = x.constScanLine(row), *q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 4; ++i)
            if (std::abs(int(p[i]) - int(q[i])) > 1)
                return false;
    }
    return true;
}

// One test, so that the generator (slow in sanitizer builds) runs once.
TEST(Generator, ReproducesTheCommittedAssetsWithKeyColourOnlyWhereTransparent) {
#ifndef VX_ARTGEN_PATH
    GTEST_SKIP() << "artgen is not built in this tree";
#else
    QTemporaryDir dir;
    QProcess p;
    p.start(QStringLiteral(VX_ARTGEN_PATH), {QStringLiteral("--masks"), dir.path()});
    ASSERT_TRUE(p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit &&
                p.exitCode() == 0)
        << "artgen failed: " << p.readAllStandardError().toStdString();
    const fs::path committedDir = fs::path(std::getenv("VX_SOURCE_DIR")) / "res",
                   generatedDir = dir.path().toStdString();
    const std::set<std::string> committed = AssetFiles(committedDir);
    const std::set<std::string> generated = AssetFiles(generatedDir);
    EXPECT_EQ(committed, generated);
    for (const std::string &f : generated)
        EXPECT_TRUE(fs::path(f).extension() == ".png"
                        ? SamePicture(committedDir / f, generatedDir / f)
                        : vxtest::ReadFile(committedDir / f) == vxtest::ReadFile(generatedDir / f))
            << f << " differs from what the generator makes; rerun artgen and commit";

    // Every picture is transparent (key colour) exactly where the artwork's
    // coverage mask, written next to it by the generator, says so.
    int checked = 0;
    for (const auto &e : fs::directory_iterator(generatedDir / "bitmaps")) {
        if (e.path().extension() != ".bmp")
            continue;
        const std::string name = e.path().filename().string();
        const std::string file = vxtest::ReadFile(e.path()),
                          mask = vxtest::ReadFile(e.path().string() + ".mask");
        const DibView d =
            ParseBitmapFile({reinterpret_cast<const uint8_t *>(file.data()), file.size()});
        ASSERT_TRUE(d.ok) << name;
        // The mask is a binary PGM: header, then one byte per pixel, top row first.
        const std::string head =
            "P5\n" + std::to_string(d.width) + " " + std::to_string(d.height) + "\n255\n";
        ASSERT_EQ(mask.substr(0, head.size()), head) << name;
        ASSERT_EQ(mask.size(), head.size() + size_t(d.width) * size_t(d.height)) << name;
        int wrong = 0;
        for (int i = 0; i < d.width * d.height; ++i)
            wrong += d.Key(i % d.width, i / d.width) == bool(mask[head.size() + size_t(i)] != 0);
        EXPECT_EQ(wrong, 0) << name << ": key colour and coverage disagree";
        ++checked;
    }
    EXPECT_EQ(checked, 40 + 38);
#endif
}

} // namespace
