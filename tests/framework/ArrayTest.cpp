#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/DWordArray.h"
#include "framework/PtrArray.h"

namespace {

// Turns small numbers into elements of each array kind, so one set of cases covers both.
template <class Array> struct Elements;

template <> struct Elements<CPtrArray> {
    static void* Make(int n) { return reinterpret_cast<void*>(static_cast<uintptr_t>(n) * 16); }
    static int Number(void* p) { return static_cast<int>(reinterpret_cast<uintptr_t>(p) / 16); }
};

template <> struct Elements<CDWordArray> {
    static DWORD Make(int n) { return static_cast<DWORD>(n); }
    static int Number(DWORD d) { return static_cast<int>(d); }
};

template <class Array> Array MakeArray(const std::vector<int>& numbers) {
    Array array;
    for (int n : numbers) {
        array.Add(Elements<Array>::Make(n));
    }
    return array;
}

template <class Array> std::vector<int> Contents(const Array& array) {
    std::vector<int> numbers;
    for (int i = 0; i < array.GetSize(); ++i) {
        numbers.push_back(Elements<Array>::Number(array.GetAt(i)));
    }
    return numbers;
}

std::string Show(const std::vector<int>& numbers) {
    std::string text = "{";
    for (size_t i = 0; i < numbers.size(); ++i) {
        text += (i ? "," : "") + std::to_string(numbers[i]);
    }
    return text + "}";
}

template <class Array> class ArrayTest : public ::testing::Test {};

using ArrayKinds = ::testing::Types<CPtrArray, CDWordArray>;
TYPED_TEST_SUITE(ArrayTest, ArrayKinds);

} // namespace

TYPED_TEST(ArrayTest, NewArrayIsEmpty) {
    TypeParam array;
    EXPECT_EQ(0, array.GetSize());
    EXPECT_EQ(0, array.GetCount());
    EXPECT_EQ(-1, array.GetUpperBound());
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_EQ(nullptr, array.GetData());
}

TYPED_TEST(ArrayTest, AddReturnsTheNewIndexAndKeepsOrder) {
    using E = Elements<TypeParam>;
    TypeParam array;
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(i, array.Add(E::Make(i + 1)));
    }
    EXPECT_EQ(1000, array.GetSize());
    EXPECT_EQ(999, array.GetUpperBound());
    EXPECT_FALSE(array.IsEmpty());
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(i + 1, E::Number(array[i])) << "at index " << i;
    }
}

TYPED_TEST(ArrayTest, WritesThroughEveryAccessor) {
    using E = Elements<TypeParam>;
    TypeParam array = MakeArray<TypeParam>({1, 2, 3, 4});
    array.SetAt(0, E::Make(10));
    array[1] = E::Make(20);
    array.ElementAt(2) = E::Make(30);
    array.GetData()[3] = E::Make(40);
    EXPECT_EQ((std::vector<int>{10, 20, 30, 40}), Contents(array));

    const TypeParam& constant = array;
    EXPECT_EQ(20, E::Number(constant[1]));
    EXPECT_EQ(30, E::Number(constant.ElementAt(2)));
    EXPECT_EQ(40, E::Number(constant.GetData()[3]));
}

TYPED_TEST(ArrayTest, SetSizeGrowsWithZerosAndShrinksFromTheEnd) {
    using E = Elements<TypeParam>;
    struct Case {
        std::vector<int> before;
        int newSize;
        std::vector<int> after;
    } cases[] = {
        {{}, 3, {0, 0, 0}},        {{1, 2}, 4, {1, 2, 0, 0}}, {{1, 2, 3, 4}, 2, {1, 2}},
        {{1, 2, 3}, 3, {1, 2, 3}}, {{1, 2, 3}, 0, {}},
    };
    for (const Case& c : cases) {
        TypeParam array = MakeArray<TypeParam>(c.before);
        array.SetSize(c.newSize);
        EXPECT_EQ(Show(c.after), Show(Contents(array)))
            << "SetSize(" << c.newSize << ") on " << Show(c.before);
    }

    TypeParam reused = MakeArray<TypeParam>({7, 8, 9});
    reused.SetSize(1);
    reused.SetSize(3);
    EXPECT_EQ((std::vector<int>{7, 0, 0}), Contents(reused)) << "regrown elements must be zero";
    reused.Add(E::Make(5));
    EXPECT_EQ((std::vector<int>{7, 0, 0, 5}), Contents(reused));
}

TYPED_TEST(ArrayTest, InsertAtPlacesCopiesBeforeTheIndex) {
    using E = Elements<TypeParam>;
    struct Case {
        int index;
        int value;
        int count;
        std::vector<int> after; // starting from {1, 2, 3}
    } cases[] = {
        {0, 9, 1, {9, 1, 2, 3}},
        {1, 9, 1, {1, 9, 2, 3}},
        {1, 9, 3, {1, 9, 9, 9, 2, 3}},
        {3, 9, 1, {1, 2, 3, 9}},
        {3, 9, 2, {1, 2, 3, 9, 9}},
        {5, 9, 1, {1, 2, 3, 0, 0, 9}},
        {6, 9, 2, {1, 2, 3, 0, 0, 0, 9, 9}},
    };
    for (const Case& c : cases) {
        TypeParam array = MakeArray<TypeParam>({1, 2, 3});
        array.InsertAt(c.index, E::Make(c.value), c.count);
        EXPECT_EQ(Show(c.after), Show(Contents(array)))
            << "InsertAt(" << c.index << ", " << c.value << ", " << c.count << ") on {1,2,3}";
    }
}

TYPED_TEST(ArrayTest, RemoveAtClosesTheGap) {
    struct Case {
        int index;
        int count;
        std::vector<int> after; // starting from {1, 2, 3, 4, 5}
    } cases[] = {
        {0, 1, {2, 3, 4, 5}}, {2, 1, {1, 2, 4, 5}}, {4, 1, {1, 2, 3, 4}},
        {1, 3, {1, 5}},       {0, 5, {}},           {2, 0, {1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        TypeParam array = MakeArray<TypeParam>({1, 2, 3, 4, 5});
        array.RemoveAt(c.index, c.count);
        EXPECT_EQ(Show(c.after), Show(Contents(array)))
            << "RemoveAt(" << c.index << ", " << c.count << ") on {1,2,3,4,5}";
    }

    TypeParam array = MakeArray<TypeParam>({1, 2, 3});
    array.RemoveAll();
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_EQ(nullptr, array.GetData());
    array.RemoveAll();
    EXPECT_EQ(0, array.GetSize());
}

TYPED_TEST(ArrayTest, OutOfRangeReadsGiveZero) {
    using E = Elements<TypeParam>;
    TypeParam array = MakeArray<TypeParam>({1, 2, 3});
    const TypeParam& constant = array;
    for (int index : {-1, 3, 100, INT_MAX, INT_MIN}) {
        SCOPED_TRACE("index " + std::to_string(index));
        EXPECT_DEBUG_DEATH(EXPECT_EQ(0, E::Number(array.GetAt(index))), "out of range");
        EXPECT_DEBUG_DEATH(EXPECT_EQ(0, E::Number(constant[index])), "out of range");
        EXPECT_DEBUG_DEATH(EXPECT_EQ(0, E::Number(constant.ElementAt(index))), "out of range");
    }
    TypeParam empty;
    EXPECT_DEBUG_DEATH(EXPECT_EQ(0, E::Number(empty.GetAt(0))), "out of range");
}

TYPED_TEST(ArrayTest, OutOfRangeWritesChangeNothing) {
    using E = Elements<TypeParam>;
    TypeParam array = MakeArray<TypeParam>({1, 2, 3});
    for (int index : {-1, 3, 100, INT_MAX, INT_MIN}) {
        SCOPED_TRACE("index " + std::to_string(index));
        EXPECT_DEBUG_DEATH(array.SetAt(index, E::Make(9)), "out of range");
        EXPECT_DEBUG_DEATH(array[index] = E::Make(9), "out of range");
        EXPECT_DEBUG_DEATH(array.ElementAt(index) = E::Make(9), "out of range");
        EXPECT_EQ((std::vector<int>{1, 2, 3}), Contents(array));
    }
    // The stand-in element a bad index hands out must not keep what was written to it.
    EXPECT_DEBUG_DEATH(EXPECT_EQ(0, E::Number(array[5])), "out of range");
}

TYPED_TEST(ArrayTest, BadInsertRemoveAndSizeArgumentsChangeNothing) {
    using E = Elements<TypeParam>;
    TypeParam array = MakeArray<TypeParam>({1, 2, 3});
    EXPECT_DEBUG_DEATH(array.InsertAt(-1, E::Make(9)), "out of range");
    EXPECT_DEBUG_DEATH(array.InsertAt(1, E::Make(9), 0), "out of range");
    EXPECT_DEBUG_DEATH(array.InsertAt(1, E::Make(9), -2), "out of range");
    EXPECT_DEBUG_DEATH(array.RemoveAt(-1), "out of range");
    EXPECT_DEBUG_DEATH(array.RemoveAt(3), "out of range");
    EXPECT_DEBUG_DEATH(array.RemoveAt(1, -1), "out of range");
    EXPECT_DEBUG_DEATH(array.SetSize(-1), "negative");
    EXPECT_EQ((std::vector<int>{1, 2, 3}), Contents(array));

    // A count running past the end removes up to the end.
    EXPECT_DEBUG_DEATH(array.RemoveAt(1, 100), "out of range");
#ifdef NDEBUG
    EXPECT_EQ((std::vector<int>{1}), Contents(array));
#endif
}

TEST(DWordArray, KeepsFullThirtyTwoBitValues) {
    CDWordArray array;
    array.Add(0xFFFFFFFFu);
    array.Add(0x80000000u);
    array.Add(0);
    EXPECT_EQ(0xFFFFFFFFu, array[0]);
    EXPECT_EQ(0x80000000u, array.GetAt(1));
    EXPECT_EQ(0u, array[2]);
}

TEST(PtrArray, KeepsFullPointerValues) {
    int values[3] = {};
    void* high = reinterpret_cast<void*>(static_cast<uintptr_t>(0x7FFFFFFF12345678ULL));
    CPtrArray array;
    array.Add(&values[0]);
    array.Add(high);
    array.Add(nullptr);
    EXPECT_EQ(&values[0], array[0]);
    EXPECT_EQ(high, array.GetAt(1));
    EXPECT_EQ(nullptr, array[2]);
}
