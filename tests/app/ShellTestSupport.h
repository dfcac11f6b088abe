// Shared pieces of the application-shell tests: one QApplication on a
// 1024x768 offscreen screen, a private settings folder per test, the real
// resource table, and a recorder for message boxes.
#pragma once

#include "platform/afx/MessageBox.h"
#include "platform/afx/Resources.h"
#include "platform/gdi/Gdi.h"
#include "platform/qt/QtWindowImpl.h"
#include "platform/qt/ScreenService.h"
#include "res/ResourceTable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace shelltest {

inline constexpr int kScreenWidth = 1024;
inline constexpr int kScreenHeight = 768;

// The toolkit, started once per test process on a screen of known size.
inline QApplication &App() {
    static QApplication *app = [] {
        static QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("screen.json")));
        file.open(QIODevice::WriteOnly);
        file.write(QStringLiteral("{\"screens\":[{\"name\":\"s0\",\"x\":0,\"y\":0,\"width\":%1,"
                                  "\"height\":%2,\"logicalDpi\":96}]}")
                       .arg(kScreenWidth)
                       .arg(kScreenHeight)
                       .toUtf8());
        file.close();
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + file.fileName()).toUtf8());
        static int argc = 1;
        static char name[] = "vantorix";
        static char *argv[] = {name, nullptr};
        auto *a = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        AfxSetResourceHandle(VxModuleHandle(&g_vantorixResources));
        VxRefreshScreenSurface();
        return a;
    }();
    return *app;
}

// A settings folder of its own, so that no test sees another's values.
class PrivateConfig {
  public:
    PrivateConfig() : m_old(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
    }
    ~PrivateConfig() { qputenv("XDG_CONFIG_HOME", m_old); }
    QString Path(const QString &relative) const { return m_dir.filePath(relative); }

  private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

struct RecordedBox {
    HWND owner;
    std::string text, caption;
    UINT style;
};

// Records message boxes instead of showing them.
class BoxRecorder : public IMessageBoxService {
  public:
    BoxRecorder() : m_previous(VxSetMessageBoxService(this)) {}
    ~BoxRecorder() override { VxSetMessageBoxService(m_previous); }
    int Show(HWND owner, const char *text, const char *caption, UINT style) override {
        boxes.push_back({owner, text ? text : "", caption ? caption : "", style});
        return IDOK;
    }
    std::vector<RecordedBox> boxes;

  private:
    IMessageBoxService *m_previous;
};

// Processes events until `done` holds or `ms` pass; returns `done()`.
inline bool WaitFor(const std::function<bool()> &done, int ms = 2000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Writes `content` as the whole file, making its folders; reads a file whole.
inline void WriteFile(const QString &path, const QByteArray &content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}
inline QByteArray ReadFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void Pump(int ms) {
    WaitFor([] { return false; }, ms);
}

} // namespace shelltest
