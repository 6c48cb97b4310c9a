#pragma once

// One private office for a whole test program: started before the first
// test, shut down after the last, and then checked to have left no process
// and no lock file behind.

#include "engine/libreoffice/LibreOfficeBinding.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace rm::lo::test {

class OfficeEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

    static LibreOfficeBinding& binding();
    static OfficeSession& session();
    // A fresh folder for this test's files, inside the program's own folder.
    static std::string folderFor(const std::string& testName);
    static const std::string& root();

private:
    static std::unique_ptr<LibreOfficeBinding> s_binding;
    static std::string s_root;
};

// The folder for the running test's files.
std::string testFolder();

} // namespace rm::lo::test
