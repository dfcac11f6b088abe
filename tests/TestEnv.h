// The environment and temporary files, the same on Linux and on Windows
// (whose C runtime has neither setenv nor mkdtemp/mkstemp).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace vxtest {

// Sets `name` to `value`, or removes it when `value` is null; with `replace`
// false a variable that is set already keeps its value.
inline void SetEnv(const char *name, const char *value, bool replace = true) {
    if (!replace && std::getenv(name))
        return;
#ifdef _WIN32
    _putenv_s(name, value ? value : ""); // an empty value removes it
#else
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
#endif
}

// A path in the temporary folder that did not exist: a new empty folder
// (`folder`) or a new file holding `bytes`. Aborts when none can be made.
inline std::string MakeTemp(const std::string &stem, bool folder, const std::string &bytes = {}) {
    static std::mt19937_64 names{std::random_device{}()};
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path path = dir / (stem + std::to_string(names() % 1000000000));
        std::error_code error;
        if (folder) {
            if (std::filesystem::create_directory(path, error))
                return path.string();
        } else if (!std::filesystem::exists(path, error) && !error) {
            std::ofstream file(path, std::ios::binary);
            if (file.write(bytes.data(), std::streamsize(bytes.size())).flush())
                return path.string();
        }
    }
    std::abort();
}

} // namespace vxtest
