// A temporary user profile for the effects file tests: USERPROFILE points at
// a fresh folder while a test runs, and the files are written below it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "app/reset_state.h"
#include "fxdefs/fx_files.h"
#include "platform/console_output.h"
#include "platform/profile.h"
#include "support/test_env.h"

class FxProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetAllState();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 (std::string("velumbra-fx-") + info->test_suite_name() + "-" + info->name() + "-" +
                  std::to_string(std::random_device{}()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        savedProfile = testEnvironment("USERPROFILE");
        savedHome = testEnvironment("HOME");
        setTestEnvironment("USERPROFILE", folder.string());
        setConsoleCapture(&output);
    }

    void TearDown() override
    {
        setConsoleCapture(nullptr);
        setTestEnvironment("USERPROFILE", savedProfile);
        setTestEnvironment("HOME", savedHome);
        std::filesystem::remove_all(folder);
    }

    std::string pathOf(const char* file)
    {
        return profilePath(folder.string(), (std::string("\\AppData\\Roaming\\Velumbra\\") + file).c_str());
    }

    void copySample(const char* file)
    {
        ASSERT_TRUE(ensureParentFolder(pathOf(file)));
        std::filesystem::copy_file(std::string(VELUMBRA_SOURCE_DIR) + "/fxdata/" + file, pathOf(file),
                                   std::filesystem::copy_options::overwrite_existing);
    }

    // Reads content as the first (or second) file and returns what was printed.
    std::string readFile(const std::string& content, bool second = false)
    {
        const char* file = second ? "fx5_8.prm" : "fx1_4.prm";
        EXPECT_TRUE(ensureParentFolder(pathOf(file)));
        std::ofstream(pathOf(file), std::ios::binary) << content;
        output.clear();
        second ? readFxFile5to8() : readFxFile1to4();
        return output;
    }

    std::filesystem::path folder;
    std::string savedProfile;
    std::string savedHome;
    std::string output;
};

// One parameter block: name, page, position, kind and its three value lines.
inline std::string paramBlock(const std::string& name, int page, int position, const std::string& kind,
                              const std::string& a, const std::string& b, const std::string& c)
{
    return name + "\n" + std::to_string(page) + "\n" + std::to_string(position) + "\n" + kind + "\n" + a +
           "\n" + b + "\n" + c + "\n";
}

inline std::string linfBlock(const std::string& name, int page, int position)
{
    return paramBlock(name, page, position, "linf", "0.01", "0", "100");
}

// Effect header: name, parameter count, page count and group line.
inline std::string effectHeader(const std::string& name, int params, int pages = 1, const std::string& groups = "1")
{
    return name + "\n" + std::to_string(params) + "\n" + std::to_string(pages) + "\n" + groups + "\n";
}

inline std::string lutLabel(const FxParamDescription& p, int i)
{
    const FxLutEntry* e = fxLutEntry(p, i);
    return e ? e->label : "<none>";
}
