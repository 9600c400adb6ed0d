#include "camera/ItemSizeList.h"

#include "camera/CameraDriver.h"

BOOL CItemSizeList::ReadSizes() {
    m_sizes.RemoveAll();
    m_totalSize = 0;
    m_hBulk = BULK_Init(0);
    if (m_hBulk == 0) {
        return FALSE;
    }
    DWORD count = BULK_GetImgCount(m_hBulk);
    for (DWORD index = 0; index < count; ++index) {
        DWORD size = BULK_GetNthSize(m_hBulk, index);
        m_sizes.Add(size);
        m_totalSize += size;
    }
    BULK_Reset(m_hBulk);
    m_hBulk = 0;
    return TRUE;
}

DWORD CItemSizeList::GetSize(int index) const {
    if (index < 0 || index >= m_sizes.GetSize()) {
        return 0;
    }
    return m_sizes.GetAt(index);
}
