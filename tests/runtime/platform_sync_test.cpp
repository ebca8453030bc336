#include <gtest/gtest.h>

#include "runtime/platform/plat_sync.h"

TEST(PlatformSemaphore, TimedWaitTimesOutWhenEmpty) {
  PlatSemaphore* sem = PlatSemaphoreCreate(0, 1);
  ASSERT_NE(sem, nullptr);
  EXPECT_EQ(PlatSemaphoreWaitTimed(sem, 0), PLAT_WAIT_TIMEOUT);
  PlatSemaphoreDestroy(sem);
}
