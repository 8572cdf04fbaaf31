// A thread's COM apartment for a scope: joined, shared by nested scopes, left at the end; a
// thread of the multithreaded apartment keeps its own.
#include "ComApartment.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// The calling thread's apartment; APTTYPE_CURRENT when it has none.
APTTYPE Apartment()
{
    APTTYPE type = APTTYPE_CURRENT;
    APTTYPEQUALIFIER qualifier{};
    if (CoGetApartmentType(&type, &qualifier) != S_OK)
        return APTTYPE_CURRENT;
    return type;
}

// The main one (the first of the process) or another.
bool SingleThreaded()
{
    const APTTYPE type = Apartment();
    return type == APTTYPE_STA || type == APTTYPE_MAINSTA;
}

TEST(ComApartment, JoinedForTheScopeAndLeftAfterIt)
{
    std::thread([] {
        EXPECT_EQ(Apartment(), APTTYPE_CURRENT);
        {
            const ovd::TComApartment outer;
            EXPECT_TRUE(outer.Initialised());
            EXPECT_TRUE(SingleThreaded());
            {
                const ovd::TComApartment inner;
                EXPECT_TRUE(inner.Initialised());
            }
            EXPECT_TRUE(SingleThreaded()); // the inner scope left the outer's
        }
        EXPECT_EQ(Apartment(), APTTYPE_CURRENT);

        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        {
            const ovd::TComApartment refused;
            EXPECT_FALSE(refused.Initialised());
            EXPECT_EQ(Apartment(), APTTYPE_MTA);
        }
        EXPECT_EQ(Apartment(), APTTYPE_MTA);
        CoUninitialize();
    }).join();
}

} // namespace
