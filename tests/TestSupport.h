// Helpers shared by the test folders: a private configuration folder, whole
// files written and read, a resource module built in memory, and a recorder
// that takes message boxes instead of showing them.
#pragma once

#include "platform/afx/MessageBox.h"
#include "platform/afx/Resources.h"
#include "tests/TestEnv.h"

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace vxtest {

// A fresh, empty XDG_CONFIG_HOME while it lives; the previous one comes back.
class ScopedConfigHome {
  public:
    ScopedConfigHome() {
        if (const char *old = std::getenv("XDG_CONFIG_HOME"))
            m_previous = old;
        m_path = MakeTemp("vxcfg.", true);
        SetEnv("XDG_CONFIG_HOME", m_path.c_str());
    }
    ~ScopedConfigHome() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
        SetEnv("XDG_CONFIG_HOME", m_previous ? m_previous->c_str() : nullptr);
    }
    ScopedConfigHome(const ScopedConfigHome &) = delete;
    std::string Path(const std::string &relative = {}) const {
        return relative.empty() ? m_path : m_path + "/" + relative;
    }

  private:
    std::string m_path;
    std::optional<std::string> m_previous;
};

inline void MakeFolder(const std::string &path) {
    std::filesystem::create_directories(path);
}
// Writes `text` as the whole file, making its folders.
inline void WriteFile(const std::string &path, const std::string &text) {
    MakeFolder(std::filesystem::path(path).parent_path().string());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}
inline std::string ReadFile(const std::string &path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// A null-terminated argv over `args`, which must outlive it.
inline std::vector<char *> Argv(std::vector<std::string> &args) {
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

// A resource module over the blobs it holds.
class TestResources {
  public:
    TestResources() = default;
    TestResources(const TestResources &) = delete;
    void Add(LPCSTR type, WORD id, std::vector<uint8_t> bytes) {
        const std::vector<uint8_t> &b = m_blobs.emplace_back(std::move(bytes));
        m_entries.push_back({type, id, b.empty() ? nullptr : b.data(), DWORD(b.size())});
        m_module = {m_entries.data(), m_entries.size()};
    }
    // The bytes of the i-th resource added, where the module holds them.
    const std::vector<uint8_t> &Blob(size_t i) const { return m_blobs[i]; }
    HINSTANCE Handle() const { return VxModuleHandle(&m_module); }

  private:
    std::deque<std::vector<uint8_t>> m_blobs; // never moved once added
    std::vector<ResourceEntry> m_entries;
    ResourceModule m_module{};
};

struct RecordedBox {
    HWND owner;
    std::string text, caption;
    UINT style;
};

// Installed as the message-box service while it lives.
class BoxRecorder : public IMessageBoxService {
  public:
    BoxRecorder() : m_previous(VxSetMessageBoxService(this)) {}
    ~BoxRecorder() override { VxSetMessageBoxService(m_previous); }
    int Show(HWND owner, const char *text, const char *caption, UINT style) override {
        boxes.push_back({owner, text ? text : "", caption ? caption : "", style});
        return IDOK;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const RecordedBox &b : boxes)
            texts.push_back(b.text);
        return texts;
    }
    std::vector<RecordedBox> boxes;

  private:
    IMessageBoxService *m_previous;
};

} // namespace vxtest
