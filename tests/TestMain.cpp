// Entry point of every test executable. Before any test runs it gives the
// process the environment a headless, isolated run needs:
//  - Qt's offscreen platform unless the caller chose another one;
//  - a fresh, empty XDG_CONFIG_HOME of its own, removed at exit, so no test
//    reads or writes the user's settings and no two test processes share one;
//  - VX_SOURCE_DIR, the source tree (golden files, committed assets).
#include "tests/TestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

extern "C" const char *__asan_default_options() {
    return "detect_leaks=0";
}

int main(int argc, char **argv) {
    vxtest::SetEnv("QT_QPA_PLATFORM", "offscreen", false);
    vxtest::SetEnv("VX_SOURCE_DIR", VX_SOURCE_DIR_DEFAULT, false);

    const std::string config = vxtest::MakeTemp("vx-test-", true);
    vxtest::SetEnv("XDG_CONFIG_HOME", config.c_str());

    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    std::error_code ignored;
    std::filesystem::remove_all(config, ignored);
    return result;
}
