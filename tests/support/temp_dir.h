// Purpose: test helpers for files: a temporary directory, and reading and writing whole files.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace orvu::test {

class TempDir {
public:
    TempDir();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

void writeBytes(const QString& path, const QByteArray& bytes);
QByteArray readBytes(const QString& path);

} // namespace orvu::test
