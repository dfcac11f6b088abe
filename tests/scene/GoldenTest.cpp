// Golden frames: the saver's scene with its real sprites on a 1024 x 768
// virtual screen, a fixed seed and the synthetic desktop, compared tick by
// tick with checked-in hashes. A mismatch writes the frame and a picture of
// the differences next to the test.
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

#include <map>

using namespace scenetest;

namespace {

constexpr unsigned kSeed = 2024;
constexpr int kReliability = 10;
// The ticks kept: the first frame, a fly-by, a missile run through its
// manoeuvre and explosion, and a later pass over the scorch mark.
const int kGoldenTicks[] = {1, 4, 8, 12, 16, 20, 32, 36, 52, 80, 108, 120};

// The expectations live in the source tree (VX_SOURCE_DIR, when set, names
// another checkout).
QString GoldenDir() {
    const QByteArray source = qgetenv("VX_SOURCE_DIR");
    if (!source.isEmpty())
        return QString::fromUtf8(source) + "/tests/scene/golden";
    return QStringLiteral(VX_SCENE_GOLDEN_DIR);
}

QString Hash(const QImage &image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    return QString(QCryptographicHash::hash(QByteArrayView(rgb.constBits(), rgb.sizeInBytes()),
                                            QCryptographicHash::Sha256)
                       .toHex());
}

std::map<int, QString> ReadManifest(const QString &path) {
    std::map<int, QString> hashes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return hashes;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList parts = in.readLine().split(' ', Qt::SkipEmptyParts);
        if (parts.size() == 2 && !parts[0].startsWith('#'))
            hashes[parts[0].toInt()] = parts[1];
    }
    return hashes;
}

// Red where the frames differ, the expected frame dimmed elsewhere.
QImage DiffImage(const QImage &expected, const QImage &actual, int *differing) {
    QImage diff(actual.size(), QImage::Format_RGB32);
    *differing = 0;
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y);
            const QRgb e = expected.valid(x, y) ? expected.pixel(x, y) : qRgb(0, 0, 0);
            if ((a & 0xFFFFFF) != (e & 0xFFFFFF)) {
                diff.setPixel(x, y, qRgb(255, 0, 0));
                ++*differing;
            } else {
                diff.setPixel(x, y, qRgb(qGray(e) / 3, qGray(e) / 3, qGray(e) / 3));
            }
        }
    return diff;
}

} // namespace

TEST(GoldenFrames, RealSpritesOverTheSyntheticDesktop) {
    const bool update = qEnvironmentVariableIntValue("VX_UPDATE_GOLDEN") != 0;
    const QString dir = GoldenDir();
    const QString manifest = dir + "/frames-1024x768-seed2024.txt";
    const std::map<int, QString> expected = ReadManifest(manifest);
    if (!update) {
        ASSERT_FALSE(expected.empty()) << "no golden hashes in " << manifest.toStdString();
    }

    SceneSetup setup;
    setup.realResources = true;
    setup.seed = kSeed;
    setup.reliability = kReliability;
    const QImage desktop = vxrec::SyntheticDesktop(QSize(1024, 768));
    setup.screen = [&desktop](int x, int y) { return desktop.pixel(x, y); };
    SceneHarness h(setup);

    std::map<int, QString> actual;
    const int last = kGoldenTicks[std::size(kGoldenTicks) - 1];
    for (int tick = 1, i = 0; tick <= last;) {
        if (!h.Step())
            continue;
        if (tick == kGoldenTicks[i]) {
            const QImage frame = h.WindowImage();
            actual[tick] = Hash(frame);
            const QString png = dir + QString("/tick-%1.png").arg(tick, 3, 10, QChar('0'));
            if (update) {
                QDir().mkpath(dir);
                EXPECT_TRUE(frame.save(png)) << png.toStdString();
            } else if (expected.count(tick) == 0 || expected.at(tick) != actual[tick]) {
                const QString out =
                    QDir::currentPath() + QString("/golden-tick-%1").arg(tick, 3, 10, QChar('0'));
                frame.save(out + "-actual.png");
                int differing = 0;
                DiffImage(QImage(png), frame, &differing).save(out + "-diff.png");
                ADD_FAILURE() << "tick " << tick << " differs from its golden frame in "
                              << differing << " pixels; see " << out.toStdString()
                              << "-{actual,diff}.png";
            }
            ++i;
        }
        ++tick;
    }
    EXPECT_GE(h.scene()->m_nPassCount, 3) << "the run covers several passes";
    if (update) {
        QFile file(manifest);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Text));
        QTextStream outText(&file);
        outText << "# tick sha256 of the window's RGB32 pixels; seed " << kSeed
                << ", missile frequency " << kReliability << ", 1024x768, synthetic desktop\n";
        for (const auto &[tick, hash] : actual)
            outText << tick << ' ' << hash << '\n';
    }
}
