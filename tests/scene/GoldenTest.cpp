// Golden frames: the saver's scene with its real sprites on a 1024 x 768
// virtual screen, a fixed seed and the synthetic desktop, compared tick by
// tick with checked-in hashes. A mismatch writes the frame to the working
// directory.
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

using namespace scenetest;

namespace {

// The first frame, a fly-by, a missile run through its manoeuvre and
// explosion, and a later pass over the scorch mark.
const int kGoldenTicks[] = {1, 4, 8, 12, 16, 20, 32, 36, 52, 80, 108, 120};

QString Hash(const QImage &image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    return QCryptographicHash::hash(QByteArrayView(rgb.constBits(), rgb.sizeInBytes()),
                                    QCryptographicHash::Sha256)
        .toHex();
}

} // namespace

TEST(GoldenFrames, RealSpritesOverTheSyntheticDesktop) {
    const bool update = qEnvironmentVariableIntValue("VX_UPDATE_GOLDEN") != 0;
    const QString dir = qEnvironmentVariable("VX_SOURCE_DIR") + "/tests/scene/golden";
    QFile manifest(dir + "/frames-1024x768-seed2024.txt");
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
    const QImage desktop = vxrec::SyntheticDesktop(QSize(1024, 768));
    setup.desktop = [&desktop](int x, int y) { return desktop.pixel(x, y); };
    SceneHarness h(setup);

    std::map<int, QString> actual;
    for (int tick = 0; tick < kGoldenTicks[std::size(kGoldenTicks) - 1];) {
        if (!h.Step() || std::count(std::begin(kGoldenTicks), std::end(kGoldenTicks), ++tick) == 0)
            continue;
        const QImage frame = h.WindowImage();
        actual[tick] = Hash(frame);
        const QString name = QString("tick-%1").arg(tick, 3, 10, QChar('0'));
        if (update) {
            EXPECT_TRUE(QDir().mkpath(dir) && frame.save(dir + "/" + name + ".png")) << tick;
        } else if (expected[tick] != actual[tick]) {
            const QString out = QDir::currentPath() + "/golden-" + name + "-actual.png";
            frame.save(out);
            ADD_FAILURE() << "tick " << tick << " differs from its golden frame "
                          << name.toStdString() << ".png; see " << out.toStdString();
        }
    }
    EXPECT_GE(h.scene()->m_nPassCount, 3) << "the run covers several passes";
    if (update) {
        ASSERT_TRUE(manifest.open(QIODevice::WriteOnly | QIODevice::Text));
        QTextStream out(&manifest);
        out << "# tick sha256 of the window's RGB32 pixels; seed 2024, missile frequency 10, "
               "1024x768, synthetic desktop\n";
        for (const auto &[tick, hash] : actual)
            out << tick << ' ' << hash << '\n';
    }
}
