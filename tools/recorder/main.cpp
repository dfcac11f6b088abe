// vantorix-recorder: runs the saver's scene on a virtual screen for a number
// of ticks and writes the frames as PNG files, a contact sheet, or a list of
// frame hashes; or runs it in real time and reports the CPU it used.
//
//   vantorix-recorder --size 1024x768 --seed 7 --ticks 120 --out frames/
//   vantorix-recorder --background synthetic --sheet sheet.png --every 4
//   vantorix-recorder --background wallpaper:clouds.bmp --tile --out frames/
//   vantorix-recorder --size 2048x1536 --scale 2 --sheet sheet2x.png --every 4
//   vantorix-recorder --size 1920x1080 --realtime 20 --speed 10
//   vantorix-recorder --size 1920x1080 --soak 30 --speed 10
#include "VirtualScene.h"
#include "platform/afx/DesktopProfile.h"
#include "platform/gdi/Gdi.h"
#include "res/ResourceTable.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The resident set size in KiB, 0 when it cannot be read.
long RssKiB() {
    long pages = 0, resident = 0;
    if (std::FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int Fail(const QString &message) {
    std::fprintf(stderr, "vantorix-recorder: %s\n", qPrintable(message));
    return 2;
}

QString Sha256(const QImage &image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    return QString(QCryptographicHash::hash(QByteArrayView(rgb.constBits(), rgb.sizeInBytes()),
                                            QCryptographicHash::Sha256)
                       .toHex());
}

QImage ContactSheet(const QList<QPair<int, QImage>> &frames, int columns, int thumbWidth) {
    if (frames.isEmpty())
        return {};
    const QSize full = frames.first().second.size();
    const int thumbHeight = full.height() * thumbWidth / qMax(1, full.width());
    const int rows = (int(frames.size()) + columns - 1) / columns;
    const int label = 16, gap = 4;
    QImage sheet(columns * (thumbWidth + gap) + gap, rows * (thumbHeight + label + gap) + gap,
                 QImage::Format_RGB32);
    sheet.fill(QColor(24, 24, 24));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setPen(QColor(220, 220, 220));
    for (int i = 0; i < frames.size(); ++i) {
        const int x = gap + (i % columns) * (thumbWidth + gap);
        const int y = gap + (i / columns) * (thumbHeight + label + gap);
        p.drawText(QRect(x, y, thumbWidth, label), Qt::AlignLeft | Qt::AlignVCenter,
                   QString("tick %1").arg(frames[i].first));
        p.drawImage(QRect(x, y + label, thumbWidth, thumbHeight), frames[i].second);
    }
    return sheet;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("vantorix-recorder");

    QCommandLineParser cli;
    cli.setApplicationDescription("Runs the saver's scene on a virtual screen and records it.");
    cli.addHelpOption();
    const QCommandLineOption size("size", "Virtual screen size.", "WxH", "1024x768");
    const QCommandLineOption seed("seed", "Seed of the scene's generator.", "n", "1");
    const QCommandLineOption ticks("ticks", "Number of ticks to record.", "n", "100");
    const QCommandLineOption reliability("reliability", "Missile frequency setting.", "n", "10");
    const QCommandLineOption depth("depth", "Display depth: 32, or 8 for a palette display.",
                                   "bits", "32");
    const QCommandLineOption scale(
        "scale", "1, or 2: the double-size art and distances of a screen of twice the density.",
        "n", "1");
    const QCommandLineOption background(
        "background",
        "black, synthetic (a drawn desktop), screen:FILE (a picture standing in for the "
        "screen) or wallpaper:FILE (a bitmap file as the desktop wallpaper).",
        "kind", "synthetic");
    const QCommandLineOption tile("tile", "Tile the wallpaper instead of centring it.");
    const QCommandLineOption desktopColour(
        "desktop-colour", "Desktop colour around a centred wallpaper.", "R,G,B", "0,0,0");
    const QCommandLineOption out("out", "Write frame-NNNN.png files into this folder.", "dir");
    const QCommandLineOption every("every", "Keep every n-th frame only.", "n", "1");
    const QCommandLineOption sheet("sheet", "Write a contact sheet of the kept frames.", "file");
    const QCommandLineOption columns("columns", "Contact sheet columns.", "n", "6");
    const QCommandLineOption thumb("thumb", "Contact sheet thumbnail width.", "px", "256");
    const QCommandLineOption window(
        "window", "Window size when not the whole screen (the frame is then scaled into it).",
        "WxH");
    const QCommandLineOption hashes("hashes",
                                    "Write 'tick window-sha256 work-sha256' per kept frame (the "
                                    "window's pixels and the composed frame's).",
                                    "file");
    const QCommandLineOption realtime(
        "realtime", "Run with the real timers for this many seconds and report the CPU share.",
        "seconds");
    const QCommandLineOption soak("soak",
                                  "Run with the real timers for this many minutes, printing the "
                                  "memory in use and the live drawing objects every minute.",
                                  "minutes");
    const QCommandLineOption speed("speed", "Speed setting for --realtime and --soak.", "n", "10");
    cli.addOptions({size, seed, ticks, reliability, depth, scale, background, tile, desktopColour,
                    out, every, sheet, columns, thumb, window, hashes, realtime, soak, speed});
    cli.process(app);

    vxrec::VirtualSceneOptions o;
    const QStringList wh = cli.value(size).split('x');
    if (wh.size() != 2 || wh[0].toInt() < 1 || wh[1].toInt() < 1)
        return Fail("--size wants WxH, for example 1024x768");
    o.width = wh[0].toInt();
    o.height = wh[1].toInt();
    o.seed = cli.value(seed).toUInt();
    o.reliability = cli.value(reliability).toInt();
    o.depth = cli.value(depth).toInt();
    if (o.depth != 32 && o.depth != 8)
        return Fail("--depth is 32 or 8");
    o.scale = cli.value(scale).toInt();
    if (o.scale != 1 && o.scale != 2)
        return Fail("--scale is 1 or 2");
    o.resources = VxModuleHandle(&g_vantorixResources);
    if (cli.isSet(window)) {
        const QStringList ww = cli.value(window).split('x');
        if (ww.size() != 2 || ww[0].toInt() < 1 || ww[1].toInt() < 1)
            return Fail("--window wants WxH, for example 320x240");
        o.windowRect = {0, 0, ww[0].toInt(), ww[1].toInt()};
    }

    // The desktop settings the wallpaper comes from, in a folder of our own.
    QTemporaryDir config;
    const QString kind = cli.value(background);
    if (kind == "black") {
        o.clearScreen = 1;
    } else if (kind == "synthetic") {
        o.screen = vxrec::SyntheticDesktop(QSize(o.width, o.height));
    } else if (kind.startsWith("screen:")) {
        o.screen = QImage(kind.mid(7));
        if (o.screen.isNull())
            return Fail("cannot read the screen picture " + kind.mid(7));
    } else if (kind.startsWith("wallpaper:")) {
        o.clearScreen = 1;
        o.wallpaper = 1;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        QDir(config.path()).mkpath("vantorix");
        QFile ini(config.filePath("vantorix/desktop.ini"));
        if (!ini.open(QIODevice::WriteOnly))
            return Fail("cannot write the desktop settings");
        QString colour = cli.value(desktopColour);
        colour.replace(',', ' ');
        ini.write(QString("[Desktop]\nWallpaper=%1\nTileWallpaper=%2\n[Colors]\nBackground=%3\n")
                      .arg(QFileInfo(kind.mid(10)).absoluteFilePath())
                      .arg(cli.isSet(tile) ? 1 : 0)
                      .arg(colour)
                      .toUtf8());
    } else {
        return Fail("unknown --background " + kind);
    }

    vxrec::VirtualScene scene(o);

    if (cli.isSet(realtime)) {
        const int seconds = cli.value(realtime).toInt();
        scene.scene()->SetTickTimer(cli.value(speed).toInt());
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = CpuSeconds();
        QTimer::singleShot(seconds * 1000, &app, [&] { app.exit(0); });
        app.exec();
        const double cpu = CpuSeconds() - cpu0, elapsed = wall.elapsed() / 1000.0;
        std::printf(
            "screen %dx%d, speed %s: %d passes, %.2f s CPU in %.2f s = %.1f %% of one core\n",
            o.width, o.height, qPrintable(cli.value(speed)), scene.scene()->m_nPassCount, cpu,
            elapsed, 100.0 * cpu / elapsed);
        return 0;
    }

    if (cli.isSet(soak)) {
        // A long run at the given speed: memory and drawing objects must stay
        // flat however many passes, explosions and scorch marks go by.
        const int minutes = cli.value(soak).toInt();
        scene.scene()->SetTickTimer(cli.value(speed).toInt());
        const auto report = [&](int minute) {
            const VxLiveGdiCounts live = VxLiveGdiObjects();
            std::printf("minute %3d: rss %ld KiB, bitmaps %zu, dcs %zu, palettes %zu, brushes "
                        "%zu, icons %zu, passes %d\n",
                        minute, RssKiB(), live.bitmaps, live.dcs, live.palettes, live.brushes,
                        live.icons, scene.scene()->m_nPassCount);
            std::fflush(stdout);
        };
        report(0);
        int minute = 0;
        QTimer clock;
        QObject::connect(&clock, &QTimer::timeout, &app, [&] {
            report(++minute);
            if (minute >= minutes)
                app.exit(0);
        });
        clock.start(60 * 1000);
        app.exec();
        return 0;
    }

    const int count = cli.value(ticks).toInt();
    const int keepEvery = qMax(1, cli.value(every).toInt());
    if (cli.isSet(out) && !QDir().mkpath(cli.value(out)))
        return Fail("cannot make " + cli.value(out));
    QFile hashFile;
    if (cli.isSet(hashes)) {
        hashFile.setFileName(cli.value(hashes));
        if (!hashFile.open(QIODevice::WriteOnly | QIODevice::Text))
            return Fail("cannot write " + cli.value(hashes));
    }
    QList<QPair<int, QImage>> kept;
    for (int tick = 1; tick <= count;) {
        if (!scene.Step())
            continue; // the pause between passes shows no new frame
        if (tick % keepEvery == 0 || tick == 1) {
            const QImage frame = scene.WindowImage();
            if (cli.isSet(out))
                frame.save(QDir(cli.value(out))
                               .filePath(QString("frame-%1.png").arg(tick, 4, 10, QChar('0'))));
            if (hashFile.isOpen())
                hashFile.write(QString("%1 %2 %3\n")
                                   .arg(tick)
                                   .arg(Sha256(frame))
                                   .arg(Sha256(scene.WorkImage()))
                                   .toUtf8());
            if (cli.isSet(sheet))
                kept.append({tick, frame});
        }
        ++tick;
    }
    if (cli.isSet(sheet) &&
        !ContactSheet(kept, qMax(1, cli.value(columns).toInt()), qMax(16, cli.value(thumb).toInt()))
             .save(cli.value(sheet)))
        return Fail("cannot write " + cli.value(sheet));
    std::printf("%d ticks, %d passes\n", count, scene.scene()->m_nPassCount);
    return 0;
}
