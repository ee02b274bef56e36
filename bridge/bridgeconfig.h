#pragma once
// The bridge's settings from its command line and its configuration file. The file holds the same
// keys as the command line, one "key = value" a line ("#" starts a comment), and one section
// "[module NAME]" per named module:
//
//   broker = mqtts://broker.example:8883
//   id = hall
//   listen = 6000            # off: no modules dial in
//   module = 192.168.0.9:5000
//   library = /var/lib/irtool-bridge/codes.txt
//   user = bridge
//   password-file = /etc/irtool-bridge/password
//   ca-file = /etc/ssl/certs/broker-ca.pem
//   [module living-room]
//   address = 192.168.0.7    # dials in from this address; or: dial = HOST:PORT
//   codes = tv-power, tv-mute
//
// Every fault is collected, each named by file and line, so that one run of --check lists them all.
#include <QString>
#include <QStringList>

#include <vector>

struct TModuleEntry {
    QString Name;      // empty: named after its address
    QString Address;   // a module that dials in from this IPv4 address
    QString DialHost;  // a module the bridge dials
    quint16 DialPort = 0;
    QStringList Codes; // library codes offered as buttons
    int Line = 0;      // where the configuration file defines it; 0 on the command line
};

struct TBridgeConfig {
    QString Broker = QStringLiteral("mqtt://127.0.0.1:1883");
    QString Id;
    int Listen = 6000; // -1: not listening; 0: a free port
    QString Library;
    QString User;
    QString PasswordFile;
    QString CaFile;
    bool Discovery = true;
    QString DiscoveryPrefix = QStringLiteral("homeassistant");
    std::vector<TModuleEntry> Modules;
};

struct TBridgeSetup {
    TBridgeConfig Config;
    QString ConfigFile;
    bool Check = false;
    bool Help = false;
    QStringList Faults; // each names where: "--option: ..." or "FILE:LINE: ..."
};

// Reads the command line (arguments[0] is the program) and the configuration file it names; the
// command line's single values win over the file's, its modules add to the file's. Checks what the
// text shows: syntax, values, names, duplicates.
TBridgeSetup ReadBridgeSetup(const QStringList &arguments);
// What only the files can show: the library readable and holding every assigned code, the password
// and CA files readable. Appends to setup.Faults.
void CheckBridgeFiles(TBridgeSetup &setup);
QString BridgeUsage();

// The name a module goes by in topics: its configured name, else its address with "." made "-",
// and a dialled one's port appended ("192-168-0-7-5000").
QString ModuleIdForAddress(const QString &dottedAddress);
QString ModuleIdForDial(const QString &host, quint16 port);
// Letters, digits, "-" and "_": safe in topics and in discovery ids.
bool IsValidName(const QString &name);
