// The object census's bookkeeping rules: what counts as made, what counts as gone.
#include <gtest/gtest.h>

#include "census/ObjectCensusBook.h"

using simnb::CensusKind;
using simnb::ObjectCensusBook;

namespace {

const void* H(uintptr_t value) { return reinterpret_cast<const void*>(value); }

const simnb::CensusKindCounts& Of(const ObjectCensusBook& book, CensusKind kind) {
    return book.Counts().kinds[static_cast<uint32_t>(kind)];
}

}  // namespace

TEST(ObjectCensusBook, OnlySuccessfulCreationsAndReleasesOfSeenHandlesCount) {
    ObjectCensusBook book;
    book.Created(CensusKind::Brush, nullptr);  // a failed creation
    book.Created(CensusKind::Brush, H(0x10));
    book.Created(CensusKind::Font, H(0x20));
    EXPECT_EQ(Of(book, CensusKind::Brush).live, 1);
    EXPECT_EQ(Of(book, CensusKind::Brush).created, 1);

    // A stock object or anything made before the census began is not ours to count.
    EXPECT_FALSE(book.Released(H(0x99)));
    EXPECT_EQ(book.Counts().foreignReleases, 1);
    EXPECT_FALSE(book.Released(nullptr));
    EXPECT_EQ(book.Counts().foreignReleases, 1);

    // A release lands on the kind the handle was made as, whichever releaser was used.
    EXPECT_TRUE(book.Released(H(0x20)));
    EXPECT_EQ(Of(book, CensusKind::Font).live, 0);
    EXPECT_EQ(Of(book, CensusKind::Font).destroyed, 1);
    EXPECT_EQ(Of(book, CensusKind::Brush).live, 1);

    // Released twice: the second one is foreign, the live count never goes below zero.
    EXPECT_FALSE(book.Released(H(0x20)));
    EXPECT_EQ(Of(book, CensusKind::Font).live, 0);
    EXPECT_EQ(book.Counts().foreignReleases, 2);
}

TEST(ObjectCensusBook, AHandleHandedOutAgainWhileLiveReplacesTheOldOne) {
    ObjectCensusBook book;
    book.Created(CensusKind::Bitmap, H(0x30));
    // The bitmap went by a path the census does not see; the system reuses its handle for a pen.
    book.Created(CensusKind::Pen, H(0x30));
    EXPECT_EQ(book.Counts().reusedWhileLive, 1);
    EXPECT_EQ(Of(book, CensusKind::Bitmap).live, 0);
    EXPECT_EQ(Of(book, CensusKind::Bitmap).destroyed, 1);
    EXPECT_EQ(Of(book, CensusKind::Pen).live, 1);
    EXPECT_TRUE(book.Released(H(0x30)));
    EXPECT_EQ(Of(book, CensusKind::Pen).live, 0);
}

TEST(ObjectCensusBook, SubmenusGoWithTheirMenuWithoutCountingAsForeign) {
    ObjectCensusBook book;
    book.Created(CensusKind::Menu, H(0x40));
    book.Created(CensusKind::Menu, H(0x41));
    EXPECT_TRUE(book.Released(H(0x40)));
    book.ReleasedAlong(H(0x41));
    book.ReleasedAlong(H(0x42));  // a submenu made before the census began
    EXPECT_EQ(Of(book, CensusKind::Menu).live, 0);
    EXPECT_EQ(Of(book, CensusKind::Menu).destroyed, 2);
    EXPECT_EQ(book.Counts().foreignReleases, 0);
}
