#include "TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

ScopedConfigHome::ScopedConfigHome() {
    if (const char *old = std::getenv("XDG_CONFIG_HOME")) {
        m_previous = old;
        m_hadPrevious = true;
    }
    std::string pattern = std::filesystem::temp_directory_path().string() + "/vxcfg.XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
    ::setenv("XDG_CONFIG_HOME", m_path.c_str(), 1);
}

ScopedConfigHome::~ScopedConfigHome() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
    if (m_hadPrevious)
        ::setenv("XDG_CONFIG_HOME", m_previous.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

void MakeFolder(const std::string &path) {
    std::filesystem::create_directories(path);
}

void WriteFile(const std::string &path, const std::string &text) {
    MakeFolder(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
