#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/Exception.h"

namespace {

// Reports its destruction, to show when Delete frees an exception and when it must not.
class TracedException : public CException {
public:
    TracedException(bool& destroyed, BOOL autoDelete = TRUE)
        : CException(autoDelete), m_destroyed(destroyed) {}
    ~TracedException() override { m_destroyed = true; }

private:
    bool& m_destroyed;
};

// What a caught exception turned out to be.
struct Caught {
    bool any = false;
    bool memory = false;
    bool user = false;
};

template <class Throw> Caught CatchAsBase(Throw throwIt) {
    Caught caught;
    try {
        throwIt();
    } catch (CException* e) {
        caught.any = true;
        caught.memory = dynamic_cast<CMemoryException*>(e) != nullptr;
        caught.user = dynamic_cast<CUserException*>(e) != nullptr;
        e->Delete();
    }
    return caught;
}

} // namespace

TEST(Exception, ThrownKindsAreCaughtAsTheBaseAndToldApart) {
    struct Case {
        const char* name;
        Caught caught;
        bool memory;
        bool user;
    } cases[] = {
        {"AfxThrowMemoryException", CatchAsBase([] { AfxThrowMemoryException(); }), true, false},
        {"AfxThrowUserException", CatchAsBase([] { AfxThrowUserException(); }), false, true},
        {"throw new CMemoryException", CatchAsBase([] { throw new CMemoryException; }), true,
         false},
        {"throw new CUserException", CatchAsBase([] { throw new CUserException; }), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(c.caught.any);
        EXPECT_EQ(c.memory, c.caught.memory);
        EXPECT_EQ(c.user, c.caught.user);
    }
}

TEST(Exception, KindsCanBeCaughtByTheirOwnType) {
    bool memoryCaught = false;
    try {
        AfxThrowMemoryException();
    } catch (CUserException* e) {
        e->Delete();
    } catch (CMemoryException* e) {
        memoryCaught = true;
        EXPECT_TRUE(e->m_bAutoDelete) << "a thrown exception is freed by Delete";
        e->Delete();
    }
    EXPECT_TRUE(memoryCaught);

    bool userCaught = false;
    try {
        AfxThrowUserException();
    } catch (CMemoryException* e) {
        e->Delete();
    } catch (CUserException* e) {
        userCaught = true;
        e->Delete();
    }
    EXPECT_TRUE(userCaught);
}

TEST(Exception, DeleteFreesAThrownExceptionOnly) {
    bool heapDestroyed = false;
    try {
        throw new TracedException(heapDestroyed);
    } catch (CException* e) {
        EXPECT_FALSE(heapDestroyed);
        e->Delete();
    }
    EXPECT_TRUE(heapDestroyed) << "Delete must free a heap exception";

    bool stackDestroyed = false;
    {
        TracedException onStack(stackDestroyed, FALSE);
        try {
            throw &onStack;
        } catch (CException* e) {
            e->Delete();
        }
        EXPECT_FALSE(stackDestroyed) << "Delete must leave an object that is not on the heap";
    }
    EXPECT_TRUE(stackDestroyed);
}

TEST(Exception, GetErrorMessageCopiesTheMessageCutToTheBuffer) {
    CMemoryException memory;
    CUserException user;
    CException plain;
    struct Case {
        const char* name;
        const CException* exception;
        UINT maxChars;
        const char* expectedText;
        BOOL expectedResult;
    } cases[] = {
        {"memory, large buffer", &memory, 256, "Out of memory.", TRUE},
        {"memory, exact fit", &memory, 15, "Out of memory.", TRUE},
        {"memory, one short", &memory, 14, "Out of memory", TRUE},
        {"memory, tiny buffer", &memory, 4, "Out", TRUE},
        {"memory, room for the zero only", &memory, 1, "", TRUE},
        {"user", &user, 256, "", FALSE},
        {"base", &plain, 256, "", FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char buffer[300];
        memset(buffer, '#', sizeof(buffer));
        UINT helpContext = 12345;
        EXPECT_EQ(c.expectedResult, c.exception->GetErrorMessage(buffer, c.maxChars, &helpContext));
        EXPECT_STREQ(c.expectedText, buffer);
        EXPECT_EQ('#', buffer[c.maxChars]) << "written past maxChars";
        EXPECT_EQ(0u, helpContext);
    }
}

TEST(Exception, GetErrorMessageWithoutARoomWritesNothing) {
    CMemoryException memory;
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_FALSE(memory.GetErrorMessage(buffer, 0));
    EXPECT_EQ('#', buffer[0]);
    EXPECT_FALSE(memory.GetErrorMessage(nullptr, 100));
    char message[64];
    EXPECT_TRUE(memory.GetErrorMessage(message, sizeof(message), nullptr));
    EXPECT_STREQ("Out of memory.", message);
}
