// The budget Init fixes from the memory status: the logged figures, the two thresholds
// as the update cycle's automatic purge shows them, and budgets too small to have any.
#include <cstdint>
#include <string>

#include "data_fixture.h"
#include "hostsim/machine.h"

namespace {

constexpr uint64_t MIB = uint64_t{1} << 20;
constexpr uint64_t GIB = uint64_t{1} << 30;

class Budget_Test : public Data_Test {
 protected:
  // Init on a machine reporting these figures.
  std::pair<std::string, std::string> init_on(uint64_t physical, uint64_t available) {
    hostsim::set_machine(physical, available);
    return init_logged();
  }

  // Init on the machine as set; returns the two logged figures' texts.
  std::pair<std::string, std::string> init_logged() {
    hostsim::set_exact_bytes(true);
    hostsim::clear_events();
    EXPECT_EQ(module.Init(), 1);
    const std::vector<hostsim::Event> messages = hostsim::messages();
    if (messages.size() != 3u) {
      ADD_FAILURE() << "Init wrote " << messages.size() << " messages";
      return {};
    }
    EXPECT_EQ(messages[0].text, "Kestrum: Init");
    const std::string available_prefix = "Memory Manager (32 bit) -> ";
    const std::string available_suffix = " Tot Available";
    const std::string ram_suffix = " Tot RAM";
    auto figure = [&](const std::string& text, const std::string& suffix) {
      const bool shaped = text.compare(0, available_prefix.size(), available_prefix) == 0 &&
                          text.size() > available_prefix.size() + suffix.size() &&
                          text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
      EXPECT_TRUE(shaped) << text;
      return shaped ? text.substr(available_prefix.size(),
                                  text.size() - available_prefix.size() - suffix.size())
                    : std::string();
    };
    return {figure(messages[1].text, available_suffix), figure(messages[2].text, ram_suffix)};
  }

  // A purge starts once the measured total reaches `max`, and not one byte before.
  void expect_purge_from(uint64_t max) {
    const uint64_t undo = max - DEFAULT_SHARE;  // the database and 3-D data are empty
    hostsim::set_undo_bytes(static_cast<int32_t>(undo - 1));
    EXPECT_FALSE(update_purges()) << "a purge below " << max;
    hostsim::set_undo_bytes(static_cast<int32_t>(undo));
    EXPECT_TRUE(update_purges()) << "no purge at " << max;
  }
};

TEST_F(Budget_Test, FiguresAreLoggedRoundedDownToWholeMiB) {
  EXPECT_EQ(init_on(8 * GIB, 3 * GIB),
            std::make_pair(std::string("3221225472"), std::string("8589934592")));
  EXPECT_EQ(init_on(8 * GIB + MIB - 1, 3 * GIB + MIB - 1),
            std::make_pair(std::string("3221225472"), std::string("8589934592")));
  EXPECT_EQ(init_on(MIB - 1, 5 * MIB + 1),
            std::make_pair(std::string("5242880"), std::string("0")));
  // The RAM line shows the physical memory even when the address space is smaller.
  EXPECT_EQ(init_on(64 * GIB, 2 * GIB),
            std::make_pair(std::string("2147483648"), std::string("68719476736")));
  EXPECT_EQ(hostsim::last_memory_status_length(), sizeof(MEMORYSTATUS));
}

TEST_F(Budget_Test, RealMachineFiguresAreWholeMiB) {
  hostsim::use_real_machine();
  const auto figures = init_logged();
  EXPECT_EQ(figures.second, std::to_string(hostsim::real_physical_memory() & ~(MIB - 1)));
  const uint64_t available = std::stoull(figures.first);
  EXPECT_GT(available, 0u);
  EXPECT_EQ(available % MIB, 0u);
}

// Memory_RAM = 1 GiB: the purge starts at 1 GiB - 102,400, and sets out to free 1 GiB
// less the truncated 80 per cent (858,993,459), whichever figure was the smaller.
TEST_F(Budget_Test, ThresholdsOfAOneGibBudget) {
  const uint64_t max = GIB - DEFAULT_SHARE;
  const uint64_t high = 858993459 - DEFAULT_SHARE;
  const uint64_t target = max - high;  // 214,748,365
  for (const auto& machine : {std::make_pair(GIB, 2 * GIB), std::make_pair(GIB, GIB),
                              std::make_pair(8 * GIB, GIB), std::make_pair(GIB + MIB - 1, 4 * GIB),
                              std::make_pair(4 * GIB, GIB + MIB - 1)}) {
    SCOPED_TRACE(std::to_string(machine.first) + " " + std::to_string(machine.second));
    init_on(machine.first, machine.second);
    expect_purge_from(max);
  }

  // Level 15 frees one byte short of the target, so level 14 runs too and the purge
  // stops there with the target freed exactly.
  hostsim::add_node("/a", target + 5, {{15, target - 1}, {14, 1}, {13, 4}});
  hostsim::set_undo_bytes(static_cast<int32_t>(max - DEFAULT_SHARE - (target + 5)));
  ASSERT_TRUE(update_purges());
  EXPECT_EQ(count_messages(4, "The memory manager has cleared \x01" + std::to_string(target) +
                                  "\x02 of memory"),
            1);
  EXPECT_EQ(hostsim::node_bytes("/a"), 5u);  // level 13 did not run
}

// Under 1 MiB of RAM or of address space there is no budget: no purge, whatever is held.
TEST_F(Budget_Test, BudgetUnderOneMibNeverPurges) {
  for (const auto& machine : {std::make_pair(MIB - 1, 8 * GIB), std::make_pair(8 * GIB, MIB - 1),
                              std::make_pair(uint64_t{0}, uint64_t{0})}) {
    init_on(machine.first, machine.second);
    hostsim::set_undo_bytes(INT32_MAX);
    EXPECT_FALSE(update_purges());
    hostsim::set_undo_bytes(0);
    EXPECT_FALSE(update_purges());
  }
}

}  // namespace
