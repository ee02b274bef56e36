#pragma once
// A main window with real sockets on the loopback interface, and the peers that play modules.
#include "app/Unit1.h"
#include "platform/qt/socketlink.h"
#include "support/uiwait.h"
#include "app/clickimage.h"

#include <QStatusBar>

#include <QLineEdit>
#include <QListWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

// A port nobody listens on right now.
inline int FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// A module on the far side of the link: a socket that keeps everything it received.
struct TPeer {
    std::unique_ptr<QTcpSocket> Socket = std::make_unique<QTcpSocket>();
    QByteArray Received;        // tests may clear it
    qint64 TotalReceived = 0;   // never cleared
    qint64 ClearsExpected = 0;  // bytes of "CLEAR" notices the window owes this peer so far

    TPeer()
    {
        QObject::connect(Socket.get(), &QIODevice::readyRead, [this] {
            const QByteArray bytes = Socket->readAll();
            Received += bytes;
            TotalReceived += bytes.size();
        });
    }
    bool ConnectTo(int port)
    {
        Socket->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        return testsupport::WaitFor([this] { return Socket->state() == QAbstractSocket::ConnectedState; });
    }
    void Send(const QByteArray &bytes)
    {
        Socket->write(bytes);
        Socket->flush();
    }
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { form = std::make_unique<TForm1>(); }
    void TearDown() override
    {
        peers.clear();
        form.reset();
    }

    // Starts the server on a free port and returns it.
    int Listen()
    {
        const int port = FreePort();
        form->Edit21->setText(QString::number(port));
        form->Button1Click();
        EXPECT_TRUE(form->ServerSocket1->Active());
        return port;
    }

    TPeer &AddModule(int port)
    {
        const int before = form->ListUserAddr->count();
        peers.push_back(std::make_unique<TPeer>());
        EXPECT_TRUE(peers.back()->ConnectTo(port));
        EXPECT_TRUE(testsupport::WaitFor([&] { return form->ListUserAddr->count() == before + 1; }));
        // Every module hears "CLEAR" on each accept; let those notices land before the test goes on.
        for (auto &p : peers)
            if (p->Socket->state() == QAbstractSocket::ConnectedState)
                p->ClearsExpected += 5;
        EXPECT_TRUE(testsupport::WaitFor([&] {
            for (auto &p : peers)
                if (p->Socket->state() == QAbstractSocket::ConnectedState && p->TotalReceived < p->ClearsExpected)
                    return false;
            return true;
        }));
        return *peers.back();
    }

    std::unique_ptr<TForm1> form;
    std::vector<std::unique_ptr<TPeer>> peers;
};
