#pragma once
// One command's command line: its options beside the common --help and --json, the help text,
// and the readings of values that several commands share (time-outs, module endpoints).
#include "core/modulelink.h"

#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QStringList>

class TCommandLine {
public:
    // usage: what follows "irtool-cli" in the help's first line, e.g. "learn [options]".
    TCommandLine(QString usage, QString description);

    void Add(const QCommandLineOption &option) { parser_.addOption(option); }
    // The link options: --module, --listen, --from.
    void AddLinkOptions();
    void AddTimeout(double defaultSeconds);

    // Parses arguments (the first is the command's name). Returns false when --help was given and
    // the help has been printed; raises a usage error for a command line that cannot be run.
    bool Parse(const QStringList &arguments);

    bool IsSet(const QString &name) const { return parser_.isSet(name); }
    QString Value(const QString &name) const { return parser_.value(name); }
    QStringList Values(const QString &name) const { return parser_.values(name); }
    QStringList Positional() const { return parser_.positionalArguments(); }
    bool Json() const { return parser_.isSet(QStringLiteral("json")); }
    QDeadlineTimer Deadline() const;
    bool HasLink() const
    {
        return linkOptions_ && (IsSet(QStringLiteral("module")) || IsSet(QStringLiteral("listen")));
    }
    // The endpoint the link options name; a usage error when they name none or both.
    TLinkEndpoint Endpoint() const;

private:
    QCommandLineParser parser_;
    QString usage_;
    bool linkOptions_ = false;
    double defaultTimeout_ = 0;
    int timeoutMs_ = 0;
};

// "HOST[:PORT]" with the module's default port 5000; "[v6]:port" for IPv6.
TLinkEndpoint ParseModuleAddress(const QString &text);
// A port number from low to 65535.
quint16 ParsePort(const QString &option, const QString &text, int low);
