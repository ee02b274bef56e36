#include "cli/clioutput.h"

#include <QJsonDocument>

#include <cstdio>

namespace {

void write(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

QString line(const QString &text)
{
    return text.endsWith(QLatin1Char('\n')) ? text : text + QLatin1Char('\n');
}

} // namespace

void UsageError(const QString &message)
{
    throw ECliError(ExitUsage, QStringLiteral("usage"), message);
}

void WriteOut(const QString &text)
{
    write(stdout, text);
}

void WriteErr(const QString &text)
{
    write(stderr, text);
}

void TCliOutput::Progress(const QString &text) const
{
    WriteErr(line(text));
}

void TCliOutput::Refused(const QString &name, const QString &reason)
{
    Progress(QStringLiteral("irtool-cli %1: not taken: %2: %3").arg(command_, name, reason));
    refused_.append(QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("reason"), reason}});
}

void TCliOutput::addRefused(QJsonObject &fields) const
{
    if (!refused_.isEmpty())
        fields.insert(QStringLiteral("refused"), refused_);
}

void TCliOutput::Result(QJsonObject fields, const QString &text) const
{
    if (!json_) {
        WriteOut(line(text));
        return;
    }
    fields.insert(QStringLiteral("command"), command_);
    fields.insert(QStringLiteral("ok"), true);
    addRefused(fields);
    WriteOut(QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
}

int TCliOutput::Failure(const ECliError &error) const
{
    const QString message = QString::fromStdString(error.what());
    WriteErr(QStringLiteral("irtool-cli %1: %2\n").arg(command_, message));
    if (json_) {
        QJsonObject fields{{QStringLiteral("command"), command_},
                           {QStringLiteral("ok"), false},
                           {QStringLiteral("error"), error.Id},
                           {QStringLiteral("message"), message}};
        addRefused(fields);
        WriteOut(QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
    }
    return error.Exit;
}
