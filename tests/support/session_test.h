// A test fixture whose session runs on a fresh SQLite file
// (support/session_db.h), released after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

class SessionDbTest : public ::testing::Test {
protected:
    // Opens the session on a database made by script; skips the test
    // without SQLite. Call it from SetUp or the test.
    void Open(const std::string& script, const std::string& extraConfig = "");
    void TearDown() override;
    // Runs sql on the session's connection: 0 (also when it touched no
    // row), or its failure.
    int Execute(const std::string& sql);
    // Commits, then reads sql's value through a second connection.
    std::string Scalar(const std::string& sql);

    TempDir dir;
};
