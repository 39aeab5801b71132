// Two readers take pages while a writer adds them: the storage serialises
// its page access, and a page a reader holds stays valid after the cache has
// dropped it.
#include "RLMetaFile.h"

#include <atomic>
#include <gtest/gtest.h>
#include <random>
#include <thread>

namespace {

constexpr int kPages = 60;

std::shared_ptr<TRLGraphicSurface> Page(int n) {
    auto s = std::make_shared<TRLGraphicSurface>();
    s->SetWidth(794);
    s->SetHeight(1123);
    for (int row = 0; row < 20; ++row) {
        s->TextOut(10, 10 + row * 15,
                   QStringLiteral("page %1 row %2 {LastPageNumber}").arg(n).arg(row));
    }
    return s;
}

TEST(StorageConcurrency, TwoReadersAndOneWriterShareTheStorage) {
    auto* storage = new TRLGraphicStorage;
    int owner = 0;
    storage->Link(&owner);
    storage->SetLastPageNumber(kPages);
    std::atomic<bool> done{false};
    std::atomic<int> checked{0};
    std::atomic<int> wrong{0};

    auto reader = [&](unsigned seed) {
        std::mt19937 random(seed);
        while (!done.load() || checked.load() < 200) {
            const int count = storage->PageCount();
            if (count == 0) {
                std::this_thread::yield();
                continue;
            }
            const int index = static_cast<int>(random() % static_cast<unsigned>(count));
            const auto page = storage->GetPage(index);
            if (!page) {
                ++wrong;
                continue;
            }
            // Let the others churn the cache while this page is in use.
            std::this_thread::yield();
            const QString expected = QStringLiteral("page %1 row 19 %2").arg(index + 1).arg(kPages);
            const auto& last = dynamic_cast<const TRLTextObject&>(*page->Objects(19));
            if (page->ObjectCount() != 20 || page->ExpandMacros(last.Text) != expected ||
                page->SaveToBytes().isEmpty()) {
                ++wrong;
            }
            ++checked;
        }
    };
    std::thread a(reader, 1u);
    std::thread b(reader, 2u);
    std::thread writer([&] {
        for (int n = 1; n <= kPages; ++n) {
            storage->AddPage(Page(n));
        }
        done = true;
    });
    writer.join();
    a.join();
    b.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_GE(checked.load(), 200);
    EXPECT_EQ(storage->PageCount(), kPages);
    storage->Unlink(&owner);
}

} // namespace
