// A private configuration folder per test, and small file helpers.
#pragma once

#include <string>

// Makes a fresh folder and points XDG_CONFIG_HOME at it for the test's
// lifetime (the previous value comes back afterwards).
class ScopedConfigHome {
  public:
    ScopedConfigHome();
    ~ScopedConfigHome();
    ScopedConfigHome(const ScopedConfigHome &) = delete;
    ScopedConfigHome &operator=(const ScopedConfigHome &) = delete;
    const std::string &path() const { return m_path; }
    // <config>/vantorix/<name>
    std::string file(const std::string &name) const { return m_path + "/vantorix/" + name; }

  private:
    std::string m_path;
    std::string m_previous;
    bool m_hadPrevious = false;
};

void WriteFile(const std::string &path, const std::string &text);
std::string ReadFile(const std::string &path);
void MakeFolder(const std::string &path);
