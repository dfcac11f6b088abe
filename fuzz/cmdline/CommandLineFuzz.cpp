// Feeds arbitrary command lines (arguments separated by NUL bytes) to the
// information switches, the start-up switch table and to the readers of the window ids that follow
// "-p" and "-a".
#include "app/Password.h"
#include "app/SaverApp.h"
#include "tools/recorder/VirtualScene.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool ready = (vxrec::EnsureApplication(), true);
    (void)ready;
    std::vector<std::string> args{"/usr/lib/vantorix/Vantorix.scr"};
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(char(data[i]));
        }
    }
    args.push_back(current);
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int argc = int(args.size());

    // "--help" and "--version" anywhere answer before anything starts.
    static std::FILE *sink = std::fopen("/dev/null", "w");
    AnswerInformationRequest(argc, argv.data(), sink);

    // At most one switch letter matches an argument, and only one of one
    // letter after an optional '-' or '/'.
    for (int i = 1; i < argc; ++i) {
        int matches = 0;
        for (const char *letter : {"c", "p", "s", "a", "C", "x"})
            matches += MatchSwitch(argv[i], letter) ? 1 : 0;
        const char *rest = argv[i] + (argv[i][0] == '-' || argv[i][0] == '/');
        if (matches > 2 || (matches > 0 && std::strlen(rest) != 1))
            std::abort();
    }
    // No window exists in this process: no id, however written, names one.
    if (argc > 2 && PreviewParent(argv[2]) != nullptr)
        std::abort();
    PasswordChangeOwner(argc, argv.data());
    // The host's flags and the options for one run: a window id is kept only
    // when it reads as one; what is not taken is left for the switch.
    const RunOptions options = ParseRunOptions(argc, argv.data());
    unsigned long id = 0;
    if (!options.windowId.empty() && !ParseWindowId(options.windowId.c_str(), &id))
        std::abort();
    if (options.rest.empty() || options.rest.size() > size_t(argc))
        std::abort();
    return 0;
}
