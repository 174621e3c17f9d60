#include "engine/core/event_suppression.h"

#include <atomic>

namespace vorenn {
namespace {

std::atomic<int> g_suppression{0};

}  // namespace

void SuppressEvents() { ++g_suppression; }
void ResumeEvents() {
  if (g_suppression > 0) --g_suppression;
}
bool EventsSuppressed() { return g_suppression > 0; }

}  // namespace vorenn
