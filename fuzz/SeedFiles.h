#pragma once

// What the seed writers share: the one argument, the seeds folder, and the
// writing of a seed file into it.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdio>

namespace seeds {

// Writes <dir>/<name>; false when it could not.
inline bool writeSeed(const QString& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir + '/' + name);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The seed writer `name` writes every seed under the folder given as its
// one argument: status 0, 1 when a seed could not be written, 2 when the
// call is not `name <seeds-dir>`.
template <typename WriteAll>
int run(int argc, char** argv, const char* name, WriteAll writeAll) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seeds-dir>\n", argv[0]);
        return 2;
    }
    const bool ok = writeAll(QString::fromLocal8Bit(argv[1]));
    if (!ok) std::fprintf(stderr, "%s: could not write the seeds under %s\n", name, argv[1]);
    return ok ? 0 : 1;
}

} // namespace seeds
