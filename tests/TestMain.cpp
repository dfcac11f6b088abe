// Entry point of every test executable. Before any test runs it gives the
// process the environment a headless, isolated run needs:
//  - Qt's offscreen platform unless the caller chose another one;
//  - a fresh, empty XDG_CONFIG_HOME of its own, removed at exit, so no test
//    reads or writes the user's settings and no two test processes share one;
//  - VX_SOURCE_DIR, the source tree (golden files, committed assets).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

extern "C" const char *__asan_default_options() {
    return "detect_leaks=0";
}

int main(int argc, char **argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("VX_SOURCE_DIR", VX_SOURCE_DIR_DEFAULT, 0);

    std::string pattern = (std::filesystem::temp_directory_path() / "vx-test-XXXXXX").string();
    const char *config = mkdtemp(pattern.data());
    if (config)
        setenv("XDG_CONFIG_HOME", config, 1);

    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    if (config) {
        std::error_code ignored;
        std::filesystem::remove_all(config, ignored);
    }
    return result;
}
