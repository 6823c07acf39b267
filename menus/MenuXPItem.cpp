#include "MenuXPItem.h"
#include "AfxLock.h"
#include <unordered_set>

namespace {

// The addresses of the items that exist.
struct LiveItems {
    CSlimLock lock;
    std::unordered_set<const CMenuXPItem*> items;
};

LiveItems& liveItems() {
    static LiveItems live;
    return live;
}

}  // namespace

CMenuXPItem::CMenuXPItem() {
    LiveItems& live = liveItems();
    CSlimLockGuard guard(live.lock);
    live.items.insert(this);
}

CMenuXPItem::~CMenuXPItem() {
    {
        LiveItems& live = liveItems();
        CSlimLockGuard guard(live.lock);
        live.items.erase(this);
    }
    if (m_hIcon != nullptr)
        ::DestroyIcon(m_hIcon);
}

CMenuXPItem* CMenuXPItem::FromItemData(ULONG_PTR itemData) {
    auto* pItem = reinterpret_cast<CMenuXPItem*>(itemData);
    if (pItem == nullptr)
        return nullptr;
    {
        LiveItems& live = liveItems();
        CSlimLockGuard guard(live.lock);
        if (live.items.count(pItem) == 0)
            return nullptr;
    }
    return pItem->m_dwMagicNum == MENUXP_ITEM_TAG ? pItem : nullptr;
}
