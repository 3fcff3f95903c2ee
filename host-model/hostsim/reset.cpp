#include "hostsim/reset.h"

#include <vector>

namespace hostsim {

namespace {
std::vector<std::function<void()>>& parts() {
  static std::vector<std::function<void()>> registered;
  return registered;
}
}  // namespace

void on_reset(std::function<void()> reset_part) { parts().push_back(std::move(reset_part)); }

void reset() {
  for (auto& part : parts()) part();
}

}  // namespace hostsim
