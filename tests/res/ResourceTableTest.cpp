// The resource table holds every resource the saver names, once, with the
// texts its users show.
#include "ResourceView.h"

#include "platform/afx/Resources.h"
#include "res/ResourceIds.h"
#include "res/ResourceTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace {

std::string TypeName(LPCSTR type) {
    if (IS_INTRESOURCE(type))
        return "#" + std::to_string(reinterpret_cast<uintptr_t>(type));
    return type;
}

TEST(ResourceTable, HoldsEveryResourceTheSaverNames) {
    struct Row {
        const char *what;
        LPCSTR type;
        int first, last;
    };
    const Row rows[] = {
        {"explosion frames", RT_BITMAP, 2500, 2507},
        {"jets", RT_BITMAP, 2550, 2564},
        {"shadows", RT_BITMAP, 2600, 2614},
        {"splash picture", RT_BITMAP, 133, 133},
        {"About picture", RT_BITMAP, 166, 166},
        {"explosion sound", "WAVE", 170, 170},
        {"fly-by sounds", "WAVE", 3000, 3002},
        {"application icon", RT_GROUP_ICON, 128, 128},
        {"screen and sound icons", RT_GROUP_ICON, 144, 149},
        {"invisible cursor", RT_GROUP_CURSOR, 129, 129},
        {"saver name", RT_STRING, 1, 1},
        {"About menu item", RT_STRING, 101, 101},
        {"colour message and caption", RT_STRING, 59142, 59143},
        {"About box", RT_DIALOG, 100, 100},
        {"configuration dialog", RT_DIALOG, 102, 102},
        {"splash dialog", RT_DIALOG, 132, 132},
    };
    size_t expected = 0;
    for (const Row &r : rows)
        for (int id = r.first; id <= r.last; ++id) {
            ++expected;
            const Blob b = FindBlob(r.type, id);
            EXPECT_TRUE(b) << r.what << ": id " << id << " missing";
            EXPECT_GT(b.size, 0u) << r.what << ": id " << id << " is empty";
        }
    // Nothing else, and no (type, id) twice: a second entry would never be found.
    EXPECT_EQ(g_vantorixResources.count, expected);
    std::set<std::pair<std::string, int>> seen;
    for (size_t i = 0; i < g_vantorixResources.count; ++i) {
        const ResourceEntry &e = g_vantorixResources.entries[i];
        EXPECT_TRUE(seen.insert({TypeName(e.type), e.id}).second)
            << TypeName(e.type) << " " << e.id << " appears twice";
    }
}

TEST(ResourceTable, TypesAreNotInterchangeable) {
    // A bitmap id asked for as a wave (and the like) finds nothing.
    EXPECT_FALSE(FindBlob("WAVE", IDB_JET_FIRST));
    EXPECT_FALSE(FindBlob(RT_BITMAP, IDW_EXPLOSION));
    EXPECT_FALSE(FindBlob(RT_GROUP_ICON, IDC_INVISIBLE_CURSOR));
    EXPECT_FALSE(FindBlob(RT_BITMAP, IDB_JET_FIRST + JET_SPRITE_COUNT)) << "row 15 has no bitmap";
    // The wave type is a name, found in any letter case.
    EXPECT_TRUE(FindBlob("wave", IDW_FLYBY_1));
}

TEST(ResourceTable, StringsReadExactly) {
    struct Row {
        int id;
        const char *text;
    };
    const Row rows[] = {
        {IDS_DESCRIPTION, "Vantorix"},
        {IDS_ABOUTBOX, "&About Vantorix Saver..."},
        {IDS_COLOR_MESSAGE,
         "The Vantorix screen saver requires 256 or more colors.  Please set your display "
         "settings for 8-bit color or greater to use this screen saver.\n\nThank you."},
        {IDS_COLOR_CAPTION, "Quorvane Vantorix Screen Saver"},
    };
    HINSTANCE module = VxModuleHandle(&g_vantorixResources);
    for (const Row &r : rows) {
        char buffer[256];
        const int n = LoadStringA(module, UINT(r.id), buffer, int(sizeof buffer));
        EXPECT_EQ(std::string(buffer), r.text) << "string " << r.id;
        EXPECT_EQ(n, int(std::string(r.text).size())) << "string " << r.id;
        // The stored size excludes the terminator, which must be there.
        const Blob b = FindBlob(RT_STRING, r.id);
        ASSERT_TRUE(b) << "string " << r.id;
        EXPECT_EQ(b.data[b.size], '\0') << "string " << r.id;
    }
}

} // namespace
