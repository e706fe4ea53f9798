// zel-icons: writes the application icon as PNG files in the freedesktop hicolor layout,
// DIR/NxN/apps/zel.png for each size given (default: the usual hicolor sizes). Runs without
// a display; the Debian package's icons come from here.
#include "gui/res/AppIcon.h"

#include <QDir>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: zel-icons DIR [SIZE...]\n", stderr);
        return 2;
    }
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "zel-icons: %s is not an icon size (16..1024)\n", argv[i]);
            return 2;
        }
        sizes.push_back(size);
    }
    if (sizes.empty())
        sizes = {16, 22, 24, 32, 48, 64, 128, 256};
    for (int size : sizes) {
        const QString folder =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        const QString file = folder + QStringLiteral("/zel.png");
        if (!QDir().mkpath(folder) || !zel::appIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "zel-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
