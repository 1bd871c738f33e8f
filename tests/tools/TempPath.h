#pragma once
// File names in the test temporary folder that no other test process uses:
// CTest runs test cases in parallel processes.

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

namespace faketest {

inline std::string tempPath(const std::string& name) {
    return testing::TempDir() + std::to_string(getpid()) + "_" + name;
}

}  // namespace faketest
