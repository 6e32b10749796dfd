#include "base/unique_resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int>& Closed() {
    static std::vector<int> closed;
    return closed;
}

struct CountingTraits {
    using Type = int;
    static Type invalid() noexcept { return -1; }
    static void close(Type value) noexcept { Closed().push_back(value); }
};

using Owned = UniqueResource<CountingTraits>;

TEST(UniqueResource, ClosesEachHandleExactlyOnce) {
    Closed().clear();
    {
        Owned a(1);
        Owned b(std::move(a));
        EXPECT_FALSE(a.valid());
        Owned c(2);
        c = std::move(b); // closes 2, takes 1
        EXPECT_EQ(1, c.get());
        c = std::move(c);
        EXPECT_EQ(1, c.get()) << "self-assignment keeps the handle";
        Owned d(3);
        EXPECT_EQ(3, d.release());
        Owned e(4);
        e.reset(5); // closes 4
        Owned none;
        EXPECT_FALSE(none);
    } // closes 5, then 1
    EXPECT_EQ((std::vector<int>{2, 4, 5, 1}), Closed());
}

TEST(UniqueResource, FileHandlesUseTheirOwnInvalidValue) {
    UniqueFile missing(
        ::CreateFileA("Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing.valid());
    UniqueHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    EXPECT_TRUE(event.valid());
}

} // namespace
