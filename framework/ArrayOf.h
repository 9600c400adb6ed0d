// CArrayOf: the growable array of plain values behind CPtrArray and CDWordArray.
#pragma once

#include <windows.h>

#include <cassert>
#include <cstdint>
#include <vector>

// New elements start as zero. An index out of range is a programming error: it asserts in
// debug builds, and otherwise reads give zero and writes go nowhere.
template <class T> class CArrayOf {
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetCount() const { return GetSize(); }
    int GetUpperBound() const { return GetSize() - 1; }
    BOOL IsEmpty() const { return m_items.empty() ? TRUE : FALSE; }

    // Grows with zeros or cuts off the tail.
    void SetSize(int newSize) {
        assert(newSize >= 0 && "array size is negative");
        if (newSize < 0) {
            return;
        }
        m_items.resize(static_cast<size_t>(newSize), T());
    }

    T GetAt(int index) const {
        if (!CheckIndex(index)) {
            return T();
        }
        return m_items[static_cast<size_t>(index)];
    }

    void SetAt(int index, T value) {
        if (!CheckIndex(index)) {
            return;
        }
        m_items[static_cast<size_t>(index)] = value;
    }

    T& ElementAt(int index) {
        if (!CheckIndex(index)) {
            return Discard();
        }
        return m_items[static_cast<size_t>(index)];
    }

    const T& ElementAt(int index) const {
        if (!CheckIndex(index)) {
            return Discard();
        }
        return m_items[static_cast<size_t>(index)];
    }

    T operator[](int index) const { return GetAt(index); }
    T& operator[](int index) { return ElementAt(index); }

    // Returns the index of the new element.
    int Add(T value) {
        m_items.push_back(value);
        return GetUpperBound();
    }

    // Inserts count copies before index; an index past the end first grows the array to it.
    void InsertAt(int index, T value, int count = 1) {
        assert(index >= 0 && count > 0 && "array insertion out of range");
        if (index < 0 || count <= 0) {
            return;
        }
        if (index > GetSize()) {
            SetSize(index);
        }
        m_items.insert(m_items.begin() + index, static_cast<size_t>(count), value);
    }

    // Removes count elements from index on; a count running past the end stops at the end.
    void RemoveAt(int index, int count = 1) {
        assert(index >= 0 && count >= 0 &&
               static_cast<int64_t>(index) + count <= static_cast<int64_t>(GetSize()) &&
               "array removal out of range");
        if (index < 0 || index >= GetSize() || count <= 0) {
            return;
        }
        if (count > GetSize() - index) {
            count = GetSize() - index;
        }
        m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
    }

    void RemoveAll() { m_items.clear(); }

    // Null while the array is empty.
    T* GetData() { return m_items.empty() ? nullptr : m_items.data(); }
    const T* GetData() const { return m_items.empty() ? nullptr : m_items.data(); }

private:
    bool CheckIndex(int index) const {
        assert(index >= 0 && index < GetSize() && "array index out of range");
        return index >= 0 && index < GetSize();
    }

    // The element handed out for an index out of range, zeroed each time.
    T& Discard() const {
        m_discard = T();
        return m_discard;
    }

    std::vector<T> m_items;
    mutable T m_discard = T();
};
