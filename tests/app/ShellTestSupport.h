// Shared pieces of the application-shell tests: one QApplication on a
// 1024x768 offscreen screen with the real resource table.
#pragma once

#include "platform/afx/Resources.h"
#include "platform/gdi/Gdi.h"
#include "platform/qt/QtWindowImpl.h"
#include "platform/qt/ScreenService.h"
#include "res/ResourceTable.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace shelltest {

using namespace vxtest;

inline constexpr int kScreenWidth = 1024;
inline constexpr int kScreenHeight = 768;

// The toolkit, started once per test process on screens of known size: by
// default one of kScreenWidth x kScreenHeight; else the offscreen platform's
// "screens" list (JSON) that the first call gives.
inline QApplication &App(const char *screens = nullptr) {
    static QApplication *app = [screens] {
        static QTemporaryDir dir;
        const std::string screen = dir.filePath(QStringLiteral("screen.json")).toStdString();
        const std::string one =
            "[{\"name\":\"s0\",\"x\":0,\"y\":0,\"width\":" + std::to_string(kScreenWidth) +
            ",\"height\":" + std::to_string(kScreenHeight) + ",\"logicalDpi\":96}]";
        WriteFile(screen, "{\"screens\":" + (screens ? std::string(screens) : one) + "}");
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).c_str());
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

// Processes events until `done` holds or `ms` pass; returns `done()`.
inline bool WaitFor(const std::function<bool()> &done, int ms = 2000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

inline void Pump(int ms) {
    WaitFor([] { return false; }, ms);
}

inline QWidget *WidgetOf(CWnd *wnd) {
    return wnd && wnd->m_impl ? wnd->m_impl->widget() : nullptr;
}

// Ends a window that a test left open, and the quit request it makes.
inline void Dispose(HWND hwnd) {
    if (CWnd *wnd = CWnd::FromHandle(hwnd); wnd && IsWindow(hwnd))
        wnd->DestroyWindow();
    Pump(10);
    VxClearQuitRequest();
}

} // namespace shelltest
