#pragma once
// The tests' application: like the program's, it catches what a handler raises and keeps running.
#include <QCoreApplication>
#include <QStringList>
#include <stdexcept>

class TFsmTestApp : public QCoreApplication {
public:
    using QCoreApplication::QCoreApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QCoreApplication::notify(receiver, event);
        } catch (const std::exception &e) {
            Errors << QString::fromUtf8(e.what());
            return true;
        }
    }

    static TFsmTestApp *Instance() { return static_cast<TFsmTestApp *>(QCoreApplication::instance()); }

    QStringList Errors;
};
