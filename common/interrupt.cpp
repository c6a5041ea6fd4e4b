#include "interrupt.hpp"

#include <chrono>
#include <thread>

namespace mom {

namespace {
InterruptHook g_hook = nullptr;
std::thread::id g_owner;  // the thread that installed the hook: the only one that may call it
std::chrono::steady_clock::time_point g_last{};
constexpr std::chrono::milliseconds kInterval{200};
}  // namespace

InterruptHook set_interrupt_hook(InterruptHook hook) {
  InterruptHook previous = g_hook;
  g_hook = hook;
  g_owner = std::this_thread::get_id();
  g_last = std::chrono::steady_clock::now();
  return previous;
}

void poll_interrupt() {
  if (g_hook == nullptr || std::this_thread::get_id() != g_owner) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - g_last < kInterval) return;
  g_last = now;
  g_hook();
}

}  // namespace mom
