#include "interrupt.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

int g_calls = 0;
void count_call() { ++g_calls; }

TEST(Interrupt, HookIsRateLimitedAndRemovable) {
  mom::poll_interrupt();  // no hook: nothing happens
  g_calls = 0;
  const mom::InterruptHook previous = mom::set_interrupt_hook(&count_call);
  for (int i = 0; i < 100000; ++i) mom::poll_interrupt();
  EXPECT_LE(g_calls, 1);  // a tight loop reaches the host a few times a second at most
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  const int before = g_calls;
  mom::poll_interrupt();
  EXPECT_EQ(g_calls, before + 1);  // after the interval the hook runs again
  EXPECT_EQ(mom::set_interrupt_hook(previous), &count_call);
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  mom::poll_interrupt();
  EXPECT_EQ(g_calls, before + 1);
}

TEST(Interrupt, OtherThreadsNeverCallTheHook) {
  g_calls = 0;
  const mom::InterruptHook previous = mom::set_interrupt_hook(&count_call);
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  std::thread worker([] { mom::poll_interrupt(); });
  worker.join();
  EXPECT_EQ(g_calls, 0);
  mom::poll_interrupt();
  EXPECT_EQ(g_calls, 1);
  mom::set_interrupt_hook(previous);
}

}  // namespace
