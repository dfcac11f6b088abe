// Golden frames: the saver's scene with its real sprites on a 1024 x 768
// virtual screen, a fixed seed and the synthetic desktop, compared tick by
// tick with checked-in hashes, at single and at double size. A mismatch
// writes the frame to the working directory.
//
// After an intended change of the picture, regenerate the expectations with
//   VX_UPDATE_GOLDEN=1 build/tests/scene/scene_tests --gtest_filter='GoldenFrames.*'
// (it rewrites tests/scene/golden/ in the source tree) and look at the new
// PNG files before committing them.
#include "SceneHarness.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

using namespace scenetest;

namespace {

struct Golden {
    const char *manifest, *prefix; // the hashes' file, the frames' file names
    int scale;
    std::vector<int> ticks;
};

// Each: the first frame, a fly-by, a missile run through its manoeuvre and
// explosion, and a later pass over the scorch mark. The double-size scene is
// the single-size scene on 512 x 384 at twice the resolution.
const Golden kGoldens[] = {
    {"frames-1024x768-seed2024.txt", "tick", 1, {1, 4, 8, 12, 16, 20, 32, 36, 52, 80, 108, 120}},
    {"frames-1024x768-scale2-seed2024.txt", "scale2-tick", 2, {1, 4, 18, 22, 30, 40}},
};

QString Hash(const QImage &image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    return QCryptographicHash::hash(QByteArrayView(rgb.constBits(), rgb.sizeInBytes()),
                                    QCryptographicHash::Sha256)
        .toHex();
}

void CheckGolden(const Golden &g) {
    const bool update = qEnvironmentVariableIntValue("VX_UPDATE_GOLDEN") != 0;
    const QString dir = qEnvironmentVariable("VX_SOURCE_DIR") + "/tests/scene/golden";
    QFile manifest(dir + "/" + g.manifest);
    std::map<int, QString> expected; // "tick sha256" lines
    if (manifest.open(QIODevice::ReadOnly | QIODevice::Text))
        for (QTextStream in(&manifest); !in.atEnd();) {
            const QStringList parts = in.readLine().split(' ', Qt::SkipEmptyParts);
            if (parts.size() == 2 && !parts[0].startsWith('#'))
                expected[parts[0].toInt()] = parts[1];
        }
    manifest.close();
    ASSERT_TRUE(update || !expected.empty()) << "no golden hashes in " << dir.toStdString();

    SceneSetup setup;
    setup.realResources = true;
    setup.seed = 2024;
    setup.reliability = 10;
    setup.scale = g.scale;
    const QImage desktop = vxrec::SyntheticDesktop(QSize(1024, 768));
    setup.desktop = [&desktop](int x, int y) { return desktop.pixel(x, y); };
    SceneHarness h(setup);

    std::map<int, QString> actual;
    for (int tick = 0; tick < g.ticks.back();) {
        if (!h.Step() || std::count(g.ticks.begin(), g.ticks.end(), ++tick) == 0)
            continue;
        const QImage frame = h.WindowImage();
        actual[tick] = Hash(frame);
        const QString name = QString("%1-%2").arg(g.prefix).arg(tick, 3, 10, QChar('0'));
        if (update) {
            EXPECT_TRUE(QDir().mkpath(dir) && frame.save(dir + "/" + name + ".png")) << tick;
        } else if (expected[tick] != actual[tick]) {
            const QString out = QDir::currentPath() + "/golden-" + name + "-actual.png";
            frame.save(out);
            ADD_FAILURE() << "tick " << tick << " differs from its golden frame "
                          << name.toStdString() << ".png; see " << out.toStdString();
        }
    }
    EXPECT_GE(h.scene()->m_nPassCount, 3) << g.manifest << ": the run covers several passes";
    if (update) {
        ASSERT_TRUE(manifest.open(QIODevice::WriteOnly | QIODevice::Text));
        QTextStream out(&manifest);
        out << "# tick sha256 of the window's RGB32 pixels; seed 2024, missile frequency 10, "
               "1024x768, "
            << (g.scale == 2 ? "double size, " : "") << "synthetic desktop\n";
        for (const auto &[tick, hash] : actual)
            out << tick << ' ' << hash << '\n';
    }
}

} // namespace

TEST(GoldenFrames, RealSpritesOverTheSyntheticDesktop) {
    for (const Golden &g : kGoldens)
        CheckGolden(g);
}
