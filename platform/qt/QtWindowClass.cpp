// Window classes: AfxRegisterWndClass and the class a window is made with.
#include "platform/qt/QtFramework_p.h"

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {
std::map<std::string, std::unique_ptr<VxWindowClass>> &Classes() {
    static std::map<std::string, std::unique_ptr<VxWindowClass>> classes;
    return classes;
}

const VxWindowClass &DefaultClass() {
    static const VxWindowClass cls{"", CS_HREDRAW | CS_VREDRAW, LoadCursorA(nullptr, IDC_ARROW),
                                   nullptr, nullptr};
    return cls;
}
} // namespace

const VxWindowClass *VxFindWindowClass(LPCSTR name) {
    if (name && !IS_INTRESOURCE(name)) {
        auto it = Classes().find(name);
        if (it != Classes().end())
            return it->second.get();
    }
    return &DefaultClass();
}

LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    char name[128];
    std::snprintf(name, sizeof name, "Afx:%x:%p:%p:%p", classStyle, static_cast<void *>(cursor),
                  static_cast<void *>(background), static_cast<void *>(icon));
    auto &classes = Classes();
    auto it = classes.find(name);
    if (it == classes.end()) {
        auto cls = std::make_unique<VxWindowClass>();
        cls->name = name;
        cls->style = classStyle;
        cls->cursor = cursor;
        cls->background = background;
        cls->icon = icon;
        it = classes.emplace(name, std::move(cls)).first;
    }
    return it->second->name.c_str();
}
