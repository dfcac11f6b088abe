// The resource table holds every resource the saver names, once, and its
// dialog templates are consistent: controls inside the dialog, ids found once,
// one default button, images that exist. Radio groups, tab stops and text
// that fits are checked on the live dialogs in tests/ui.
#include "ResourceView.h"

#include "platform/afx/DialogTemplate.h"
#include "platform/afx/Resources.h"
#include "res/ResourceIds.h"
#include "res/ResourceTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(ResourceTable, HoldsEveryResourceTheSaverNamesOnceAndNothingElse) {
    const struct {
        const char *what;
        LPCSTR type;
        int first, last;
    } rows[] = {
        {"explosion frames", RT_BITMAP, 2500, 2507},
        {"jets", RT_BITMAP, 2550, 2564},
        {"shadows", RT_BITMAP, 2600, 2614},
        {"double-size explosion frames", RT_BITMAP, 3500, 3507},
        {"double-size jets", RT_BITMAP, 3550, 3564},
        {"double-size shadows", RT_BITMAP, 3600, 3614},
        {"splash picture", RT_BITMAP, 133, 133},
        {"About picture", RT_BITMAP, 166, 166},
        {"explosion sound", "WAVE", 170, 170},
        {"fly-by sounds", "WAVE", 3000, 3002},
        {"application icon", RT_GROUP_ICON, 128, 128},
        {"screen and sound icons", RT_GROUP_ICON, 144, 149},
        {"invisible cursor", RT_GROUP_CURSOR, 129, 129},
        {"smooth 64-pixel icons", "PNG64", 128, 128},
        {"smooth 64-pixel icons", "PNG64", 144, 149},
        {"application icon, 16 pixels", "PNG16", 128, 128},
        {"application icon, 32 pixels", "PNG32", 128, 128},
        {"application icon, 48 pixels", "PNG48", 128, 128},
        {"application icon, 128 pixels", "PNG128", 128, 128},
        {"application icon, 256 pixels", "PNG256", 128, 128},
        {"saver name", RT_STRING, 1, 1},
        {"About menu item", RT_STRING, 101, 101},
        {"colour message and caption", RT_STRING, 59142, 59143},
        {"About box", RT_DIALOG, 100, 100},
        {"configuration dialog", RT_DIALOG, 102, 102},
        {"splash dialog", RT_DIALOG, 132, 132},
    };
    size_t expected = 0;
    for (const auto &r : rows)
        for (int id = r.first; id <= r.last; ++id, ++expected) {
            const Blob b = FindBlob(r.type, id);
            EXPECT_TRUE(b && b.size > 0) << r.what << ": id " << id << " missing or empty";
        }
    EXPECT_EQ(g_vantorixResources.count, expected);
    // No (type, id) twice: a second entry would never be found.
    std::set<std::pair<std::string, int>> seen;
    for (size_t i = 0; i < g_vantorixResources.count; ++i) {
        const ResourceEntry &e = g_vantorixResources.entries[i];
        const std::string type =
            IS_INTRESOURCE(e.type) ? std::to_string(reinterpret_cast<uintptr_t>(e.type)) : e.type;
        EXPECT_TRUE(seen.insert({type, e.id}).second) << type << " " << e.id << " appears twice";
    }
    // Types are not interchangeable; the wave type is a name found in any case.
    EXPECT_FALSE(FindBlob("WAVE", IDB_JET_FIRST));
    EXPECT_FALSE(FindBlob(RT_BITMAP, IDW_EXPLOSION));
    EXPECT_FALSE(FindBlob(RT_GROUP_ICON, IDC_INVISIBLE_CURSOR));
    EXPECT_TRUE(FindBlob("wave", IDW_FLYBY_1));
}

TEST(DialogTemplates, ControlsAreWellFormed) {
    for (int id : {IDD_ABOUTBOX, IDD_CONFIG, IDD_SPLASH}) {
        const Blob b = FindBlob(RT_DIALOG, id);
        ASSERT_TRUE(b && b.size == sizeof(DialogTemplate)) << "dialog " << id;
        const auto *d = reinterpret_cast<const DialogTemplate *>(b.data);
        std::set<int> ids;
        int defaults = 0;
        for (size_t i = 0; i < d->count; ++i) {
            const DialogItemTemplate &c = d->items[i];
            const std::string where = "dialog " + std::to_string(id) + " control " +
                                      std::to_string(i + 1) + " (id " + std::to_string(c.id) + ")";
            ASSERT_NE(c.text, nullptr) << where;
            EXPECT_EQ(c.style & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE) << where;
            EXPECT_TRUE(c.x >= 0 && c.y >= 0 && c.cx > 0 && c.cy > 0 && c.x + c.cx <= d->cx &&
                        c.y + c.cy <= d->cy)
                << where << " lies outside the dialog";
            if (c.id != IDC_STATIC) {
                EXPECT_TRUE(ids.insert(c.id).second) << where << ": id used twice";
            }
            if (c.cls == DialogControlClass::Button && (c.style & 0xF) == BS_DEFPUSHBUTTON) {
                ++defaults;
                EXPECT_EQ(c.id, IDOK) << where << ": the default button must be OK";
            }
            // Picture controls name an image of the right kind; nothing else does.
            const DWORD kind = c.style & 0x1F;
            if (c.cls == DialogControlClass::Static && kind == SS_ICON) {
                EXPECT_TRUE(FindBlob(RT_GROUP_ICON, c.imageId)) << where << ": icon " << c.imageId;
            } else if (c.cls == DialogControlClass::Static && kind == SS_BITMAP) {
                EXPECT_TRUE(FindBlob(RT_BITMAP, c.imageId)) << where << ": bitmap " << c.imageId;
            } else {
                EXPECT_EQ(c.imageId, 0) << where;
            }
        }
        EXPECT_EQ(defaults, id == IDD_SPLASH ? 0 : 1) << "dialog " << id;
    }
}

} // namespace
