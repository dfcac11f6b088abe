// The three dialog templates: the consistency the dialogs rely on (controls
// inside the dialog, ids found once, one default button, images that exist).
// Radio groups, tab stops and text that fits are checked on the live dialogs
// in tests/ui.
#include "ResourceView.h"

#include "platform/afx/DialogTemplate.h"
#include "res/ResourceIds.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

const DialogTemplate *Dialog(int id) {
    const Blob b = FindBlob(RT_DIALOG, id);
    if (!b || b.size != sizeof(DialogTemplate))
        return nullptr;
    return reinterpret_cast<const DialogTemplate *>(b.data);
}

TEST(DialogTemplates, ControlsAreWellFormed) {
    for (int id : {IDD_ABOUTBOX, IDD_CONFIG, IDD_SPLASH}) {
        const DialogTemplate *d = Dialog(id);
        ASSERT_NE(d, nullptr) << "dialog " << id;
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
