#include "core/formats/importresult.h"

#include "core/formats/textscan.h"

#include <QFile>

std::optional<QByteArray> ReadCodeFile(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QString::fromUtf8("无法读取 %1：%2").arg(path, file.errorString());
        return std::nullopt;
    }
    if (file.size() > textscan::MaxFileBytes) {
        error = QString::fromUtf8("文件 %1 超过 %2 MB").arg(path).arg(textscan::MaxFileBytes >> 20);
        return std::nullopt;
    }
    return file.readAll();
}
