#include "server/address_slots.h"

namespace vorenn::server {

AddressSlots::Slot AddressSlots::TryTake(const std::string& address) {
  if (exempt_.count(address)) return Slot(this, [](void*) {});
  {
    std::lock_guard lock(mutex_);
    size_t& held = held_[address];
    if (held >= perAddress_) return nullptr;
    ++held;
  }
  // Should making the handle fail, its deleter runs and the slot is given back.
  return Slot(this, [this, address](void*) { GiveBack(address); });
}

void AddressSlots::GiveBack(const std::string& address) {
  std::lock_guard lock(mutex_);
  auto it = held_.find(address);
  if (it != held_.end() && --it->second == 0) held_.erase(it);
}

}  // namespace vorenn::server
