// Every module test starts from a freshly loaded module and a host model at its initial
// state, and talks to the module only through its exported entry points.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "hostsim/events.h"
#include "hostsim/module.h"
#include "hostsim/reset.h"

class Module_Test : public testing::Test {
 protected:
  void SetUp() override {
    hostsim::reset();
    std::string error;
    ASSERT_TRUE(module.load(KESTRUM_MODULE_PATH, error)) << error;
  }
  void TearDown() override { module.unload(); }

  hostsim::Module module;
};
