#include "server/internal/batch_queue.h"

#include <gtest/gtest.h>

#include <thread>

namespace vorenn::server::internal {
namespace {

TEST(BatchQueue, RefusesBeyondItsCapacityAndHandsOutOldestFirstInBatches) {
  BatchQueue<int> queue(3);
  EXPECT_TRUE(queue.Push(1));
  EXPECT_TRUE(queue.Push(2));
  EXPECT_TRUE(queue.Push(3));
  EXPECT_FALSE(queue.Push(4));  // full: the caller reports busy instead of waiting
  EXPECT_EQ(queue.TakeBatch(2), (std::vector<int>{1, 2}));
  EXPECT_TRUE(queue.Push(5));
  EXPECT_EQ(queue.TakeBatch(10), (std::vector<int>{3, 5}));
}

TEST(BatchQueue, ClosingWakesTheConsumerAfterTheLastItemsAreTaken) {
  BatchQueue<int> queue(8);
  EXPECT_TRUE(queue.Push(7));
  std::vector<std::vector<int>> seen;
  std::thread consumer([&] {
    for (;;) {
      auto batch = queue.TakeBatch(8);
      if (batch.empty()) return;
      seen.push_back(batch);
    }
  });
  queue.Close();
  consumer.join();  // would hang if a closed queue kept its consumer waiting
  EXPECT_FALSE(queue.Push(8));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], std::vector<int>{7});
}

}  // namespace
}  // namespace vorenn::server::internal
