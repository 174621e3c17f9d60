// A count of things under way per client address, each address holding at most `perAddress` at
// once; addresses in `exempt` are not limited. A slot is given back when the last copy of its handle
// goes, whichever thread that is on.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>

namespace vorenn::server {

class AddressSlots {
 public:
  AddressSlots(size_t perAddress, std::set<std::string> exempt)
      : perAddress_(perAddress), exempt_(std::move(exempt)) {}

  using Slot = std::shared_ptr<void>;

  // A slot of the address, or null when it holds all of its own. The slots must not outlive this.
  Slot TryTake(const std::string& address);

 private:
  void GiveBack(const std::string& address);

  const size_t perAddress_;
  const std::set<std::string> exempt_;
  std::mutex mutex_;
  std::unordered_map<std::string, size_t> held_;  // only addresses holding a slot
};

}  // namespace vorenn::server
