// The page cache, the spool file and the users of a storage.
#include "RLMetaFile.h"

#include "Exception.h"
#include <QDir>
#include <QFile>
#include <QObject>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::shared_ptr<TRLGraphicSurface> NumberedPage(int n) {
    auto s = std::make_shared<TRLGraphicSurface>();
    s->SetWidth(794);
    s->SetHeight(1123);
    s->TextOut(10, 10, QStringLiteral("page %1").arg(n));
    return s;
}

QString FirstText(const TRLGraphicSurface& s) {
    return dynamic_cast<const TRLTextObject&>(*s.Objects(0)).Text;
}

struct LinkedStorage {
    TRLGraphicStorage* storage = new TRLGraphicStorage;
    LinkedStorage() { storage->Link(this); }
    ~LinkedStorage() { storage->Unlink(this); }
    TRLGraphicStorage* operator->() const { return storage; }
};

TEST(Storage, TwelvePagesKeepFiveInMemoryAndPageOneComesBackFromTheSpool) {
    LinkedStorage storage;
    std::vector<TRLGraphicSurface*> added;
    for (int n = 1; n <= 12; ++n) {
        auto page = NumberedPage(n);
        added.push_back(page.get());
        storage->AddPage(page);
        EXPECT_EQ(page->PageIndex(), n - 1);
        EXPECT_FALSE(page->Modified());
    }
    EXPECT_EQ(storage->PageCount(), 12);
    EXPECT_EQ(storage->CachedPageCount(), 5);

    const auto twelve = storage->GetPage(11);
    EXPECT_EQ(twelve.get(), added[11]) << "a cached page is handed out as it is";
    const auto eight = storage->GetPage(7);
    const auto one = storage->GetPage(0);
    ASSERT_TRUE(one);
    EXPECT_EQ(FirstText(*one), QStringLiteral("page 1"));
    EXPECT_EQ(one->PageIndex(), 0);
    EXPECT_EQ(storage->CachedPageCount(), 5);
    // Page 8 was the oldest in the cache: it was dropped, yet the reader's
    // copy stays valid, and asking again reads it anew from the spool.
    EXPECT_EQ(FirstText(*eight), QStringLiteral("page 8"));
    const auto eightAgain = storage->GetPage(7);
    EXPECT_NE(eightAgain.get(), eight.get());
    EXPECT_EQ(FirstText(*eightAgain), QStringLiteral("page 8"));

    EXPECT_FALSE(storage->GetPage(-1));
    EXPECT_FALSE(storage->GetPage(12));
}

TEST(Storage, ReplacingAStoredPageKeepsItsIndexPointingAtTheNewestCopy) {
    LinkedStorage storage;
    for (int n = 1; n <= 7; ++n) {
        storage->AddPage(NumberedPage(n));
    }
    auto third = storage->GetPage(2); // read back from the spool
    third->TextOut(0, 0, QStringLiteral("changed"));
    storage->AddPage(third);
    EXPECT_EQ(storage->PageCount(), 7);
    EXPECT_EQ(third->PageIndex(), 2);
    third.reset();
    for (int i = 0; i < 7; ++i) { // push page 3 out of the cache
        storage->GetPage(i == 2 ? 6 : i);
    }
    const auto again = storage->GetPage(2);
    ASSERT_EQ(again->ObjectCount(), 2);
    EXPECT_EQ(dynamic_cast<TRLTextObject&>(*again->Objects(1)).Text, QStringLiteral("changed"));
}

TEST(Storage, ModifiedCachedPagesAreWrittenBackWhenDroppedOrFlushed) {
    LinkedStorage storage;
    storage->AddPage(NumberedPage(1));
    storage->GetPage(0)->TextOut(0, 0, QStringLiteral("late"));
    for (int n = 2; n <= 6; ++n) { // page 1 leaves the cache here
        storage->AddPage(NumberedPage(n));
    }
    EXPECT_EQ(storage->GetPage(0)->ObjectCount(), 2);

    storage->GetPage(5)->TextOut(0, 0, QStringLiteral("flushed"));
    storage->Flush();
    for (int i = 0; i < 5; ++i) {
        storage->GetPage(i);
    }
    EXPECT_EQ(storage->GetPage(5)->ObjectCount(), 2);
}

TEST(Storage, DamagedSpoolPageYieldsNoPage) {
    LinkedStorage storage;
    for (int n = 1; n <= 6; ++n) {
        storage->AddPage(NumberedPage(n));
    }
    // Page 1 starts the spool file; overwrite the start of its surface stream.
    const QByteArray path = QFile::encodeName(storage->SpoolFileName());
    const int fd = ::open(path.constData(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, "XXXX", 4, 4), 4);
    ::close(fd);
    EXPECT_FALSE(storage->GetPage(0));
    EXPECT_TRUE(storage->GetPage(1));
    // Saving does not pass the damage on as a silently empty page.
    const QString saved = QDir::temp().filePath(QStringLiteral("damaged-%1.rlp").arg(::getpid()));
    EXPECT_THROW(storage->SaveToFile(saved), Exception);
    QFile::remove(saved);
}

TEST(Storage, ClearEmptiesPagesCacheAndHeader) {
    LinkedStorage storage;
    storage->SetTitle(QStringLiteral("x"));
    storage->AddPage(NumberedPage(1));
    storage->Clear();
    EXPECT_EQ(storage->PageCount(), 0);
    EXPECT_EQ(storage->CachedPageCount(), 0);
    EXPECT_TRUE(storage->Macros().isEmpty());
    storage->AddPage(NumberedPage(2));
    EXPECT_EQ(FirstText(*storage->GetPage(0)), QStringLiteral("page 2"));
}

TEST(Storage, SpoolFilesAreUniqueAndDeletedWithTheirStorage) {
    auto* a = new TRLGraphicStorage;
    auto* b = new TRLGraphicStorage;
    int owner = 0;
    a->Link(&owner);
    b->Link(&owner);
    a->AddPage(NumberedPage(1));
    b->AddPage(NumberedPage(1));
    const QString pathA = a->SpoolFileName();
    const QString pathB = b->SpoolFileName();
    EXPECT_NE(pathA, pathB);
    EXPECT_TRUE(pathA.endsWith(QLatin1String(".tmp")));
    EXPECT_TRUE(QFile::exists(pathA));
    EXPECT_TRUE(TRLGraphicStorage::LiveSpoolFiles().contains(pathA));

    // The preview links too; the report unlinks first, the preview last.
    QObject* preview = new QObject;
    a->LinkObject(preview);
    a->Unlink(&owner);
    EXPECT_TRUE(QFile::exists(pathA)) << "still linked by the preview";
    EXPECT_EQ(a->UserCount(), 1);
    delete preview; // its destruction unlinks, and the storage frees itself
    EXPECT_FALSE(QFile::exists(pathA));
    EXPECT_FALSE(TRLGraphicStorage::LiveSpoolFiles().contains(pathA));

    b->Unlink(&owner);
    EXPECT_FALSE(QFile::exists(pathB));
}

// A hold keeps its storage through moves, and the last hold to go frees it
// (its spool file with it); another user's link keeps it alive meanwhile.
TEST(Storage, AHoldKeepsItsStorageUntilTheLastHoldGoes) {
    TRLStorageHold first(new TRLGraphicStorage);
    first->AddPage(NumberedPage(1));
    const QString spool = first->SpoolFileName();
    TRLStorageHold moved(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(moved->UserCount(), 1);
    TRLStorageHold assigned;
    assigned = std::move(moved);
    moved.Reset(assigned.Get()); // a second hold on the same storage
    EXPECT_EQ(assigned->UserCount(), 2);
    assigned.Reset(assigned.Get()); // the same storage again: no change
    EXPECT_EQ(assigned->UserCount(), 2);
    assigned.Reset();
    EXPECT_TRUE(QFile::exists(spool)) << "still held by the other hold";
    moved.Reset();
    EXPECT_FALSE(QFile::exists(spool));
}

} // namespace
