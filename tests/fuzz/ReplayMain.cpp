// Stands in for libFuzzer in the normal build: runs a fuzz target once on
// every file named on the command line, or found in a folder named there.
// A missing folder is skipped, since a target may have no reproducers yet.

#include "FuzzCheck.h"

#include <QDirIterator>
#include <QFile>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    QStringList inputs;
    for (int i = 1; i < argc; ++i) {
        for (QDirIterator it(QString::fromLocal8Bit(argv[i]), QDir::Files); it.hasNext();)
            inputs << it.next();
        if (QFileInfo(QString::fromLocal8Bit(argv[i])).isFile())
            inputs << QString::fromLocal8Bit(argv[i]);
    }
    inputs.sort();
    for (const QString &path : inputs) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray bytes = file.readAll();
        std::printf("%s (%lld bytes)\n", qPrintable(path), static_cast<long long>(bytes.size()));
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size()));
    }
    std::printf("%lld inputs replayed\n", static_cast<long long>(inputs.size()));
    return inputs.isEmpty() ? 1 : 0;
}
