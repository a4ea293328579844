// Shared set-up of the launcher's unit tests: a clean launcher state, an
// environment the test controls, and an exit that throws instead of ending
// the test program.
#pragma once

#include "kivjava.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

struct ExitCalled {
  int code;
};

class LauncherTest : public ::testing::Test {
 protected:
  static std::map<std::string, std::string>& env() {
    static std::map<std::string, std::string> vars;
    return vars;
  }

  void SetUp() override {
    kiv::resetLauncherState();
    env().clear();
    savedLookup_ = kiv::envLookup;
    savedExit_ = kiv::exitProcess;
    kiv::envLookup = [](const char* name) -> const char* {
      auto it = env().find(name);
      return it == env().end() ? nullptr : it->second.c_str();
    };
    kiv::exitProcess = [](int code) { throw ExitCalled{code}; };
  }

  void TearDown() override {
    kiv::envLookup = savedLookup_;
    kiv::exitProcess = savedExit_;
    kiv::resetLauncherState();
  }

  // Runs parseArgs on a command line; returns the exit code it ended with, or
  // -1 when it returned.
  int parse(std::initializer_list<const char*> args) {
    std::vector<std::string> copies(args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : copies) argv.push_back(s.data());
    argv.push_back(nullptr);
    try {
      kiv::parseArgs(static_cast<int>(copies.size()), argv.data());
    } catch (const ExitCalled& e) {
      return e.code;
    }
    return -1;
  }

  // Runs option pass 2; returns the exit code it ended with, or -1.
  int pass2(JDK1_1InitArgs* args = nullptr) {
    try {
      kiv::testallopts2(args);
    } catch (const ExitCalled& e) {
      return e.code;
    }
    return -1;
  }

  static std::string captured() {
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
  }

  static std::vector<std::string> vmOptionStrings() {
    std::vector<std::string> out;
    for (const auto& o : kiv::javaVMOptions) out.push_back(o.optionString);
    return out;
  }

 private:
  kiv::EnvLookup savedLookup_ = nullptr;
  kiv::ExitFunction savedExit_ = nullptr;
};
