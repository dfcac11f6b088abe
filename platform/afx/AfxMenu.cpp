// The items of a framework menu as the window system layers store them;
// each layer's AppendMenu also offers the item on its own system menu.
#include "platform/afx/AfxWin.h"

int CMenu::GetMenuItemCount() const {
    return int(m_items.size());
}

BOOL CMenu::GetMenuItem(int position, Item *item) const {
    if (position < 0 || position >= int(m_items.size()) || !item)
        return FALSE;
    const StoredItem &stored = m_items[size_t(position)];
    *item = {stored.flags, stored.id, stored.text.c_str()};
    return TRUE;
}
