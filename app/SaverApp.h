// The application object: reads the mode switch once at start-up and turns
// the process into the configuration dialog, the preview, the saver or the
// password change.
#pragma once

#include "app/HostOptions.h"
#include "platform/afx/AfxWin.h"

#include <cstdio>
#include <string>
#include <vector>

// TRUE when a command-line argument names the switch `letter`: one leading
// '-' or '/' is dropped, the rest must equal the letter ignoring case.
BOOL MatchSwitch(LPCSTR argument, LPCSTR letter);

// Answers "--help" (also "-h", "-help") and "--version" (also "-version")
// anywhere on the command line by writing the usage summary or
// "vantorix <version>" to `out`. Returns true when it did; the process then
// ends with exit code 0 without starting the toolkit, so both work without a
// display.
bool AnswerInformationRequest(int argc, char **argv, std::FILE *out);

// The preview's host window from its argument (a window id, decimal or 0x
// and hexadecimal digits); null
// when the text names no window.
HWND PreviewParent(LPCSTR argument);

class CSaverApp : public CWinApp {
  public:
    CSaverApp();
    ~CSaverApp() override;

    BOOL InitInstance() override;

    // TRUE when the display shows 256 colours or more.
    BOOL HasEnoughColors();
    // Runs the configuration dialog and stores the settings on OK.
    void RunConfiguration();

    // Exit codes when the preview or a host's run cannot start.
    static constexpr int kExitBadPreviewHandle = 2; // missing, malformed or not a window
    static constexpr int kExitBadArguments = 2;     // a host flag or an option is unusable
    static constexpr int kExitNoWindow = 3;         // the window could not be made

  private:
    BOOL RunPreview();
    BOOL RunSaver();
    BOOL RunHost(const RunOptions &options);
    BOOL Refuse(const std::string &problem);

    // The command line left for the mode switch once the host flags and the
    // options for one run are taken out.
    std::vector<std::string> m_switchArgs;
    std::vector<char *> m_switchArgv;
};
