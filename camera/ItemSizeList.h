// The sizes of the items in camera memory, as the driver's bulk library reports them.
#pragma once

#include "framework/DWordArray.h"

class CItemSizeList {
public:
    // Reads every size afresh; false (and an empty list) when the bulk library gives no handle.
    BOOL ReadSizes();

    int GetCount() const { return m_sizes.GetSize(); }
    // Size of item i in bytes; 0 when i is out of range.
    DWORD GetSize(int index) const;
    // Sum of the sizes, modulo 2^32.
    DWORD GetTotalSize() const { return m_totalSize; }

private:
    DWORD m_hBulk = 0;  // held only while the list is read
    CDWordArray m_sizes;
    DWORD m_totalSize = 0;
};
