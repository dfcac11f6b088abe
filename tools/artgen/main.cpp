// artgen: makes every bitmap, icon, cursor and sound of the saver.
//
//   artgen <folder>                      write all assets under <folder>
//   artgen --masks <folder>              also write each picture's coverage
//                                        mask next to it (<file>.mask, PGM)
//   artgen --contact-sheet <file.png> [<scale> [<name part>]]
//                                        draw every picture at twice its size
//                                        (or the pictures whose file name
//                                        contains <name part>, at <scale>)
//
// The output depends on nothing but this program: no clock, no system fonts,
// no randomness that is not seeded here.
#include "Assets.h"
#include "ContactSheet.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: artgen [--masks] <folder>\n"
                         "       artgen --contact-sheet <file.png> [<scale> [<name part>]]\n");
    return 2;
}

artgen::Bytes MaskFile(const artgen::IndexedImage &img) {
    const std::string head =
        "P5\n" + std::to_string(img.width) + " " + std::to_string(img.height) + "\n255\n";
    artgen::Bytes b(head.begin(), head.end());
    for (uint8_t c : img.covered)
        b.push_back(c ? 255 : 0);
    return b;
}

} // namespace

int main(int argc, char **argv) {
    // Text is drawn from font outlines, which needs a GUI application; no
    // window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    if (argc >= 3 && argc <= 5 && std::strcmp(argv[1], "--contact-sheet") == 0) {
        const int scale = argc >= 4 ? std::atoi(argv[3]) : 2;
        const std::string only = argc >= 5 ? argv[4] : "";
        if (scale < 1 || scale > 16)
            return Usage();
        std::vector<artgen::Asset> assets = artgen::GenerateAll();
        std::erase_if(
            assets, [&](const artgen::Asset &a) { return a.path.find(only) == std::string::npos; });
        if (!artgen::WriteContactSheet(assets, argv[2], scale)) {
            std::fprintf(stderr, "artgen: cannot write %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    bool masks = false;
    int arg = 1;
    if (arg < argc && std::strcmp(argv[arg], "--masks") == 0) {
        masks = true;
        ++arg;
    }
    if (arg + 1 != argc || argv[arg][0] == '-')
        return Usage();
    const std::filesystem::path out = argv[arg];
    for (const artgen::Asset &a : artgen::GenerateAll()) {
        const std::filesystem::path file = out / a.path;
        std::error_code ec;
        std::filesystem::create_directories(file.parent_path(), ec);
        bool ok = artgen::WriteFile(file.string(), a.bytes);
        if (ok && masks && !a.picture.index.empty())
            ok = artgen::WriteFile(file.string() + ".mask", MaskFile(a.picture));
        if (!ok) {
            std::fprintf(stderr, "artgen: cannot write %s\n", file.string().c_str());
            return 1;
        }
    }
    return 0;
}
