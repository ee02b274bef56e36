#include "app/Unit1.h"
#include "core/commandframes.h"

#include "app/Unit2.h"
#include "app/analysermenu.h"
#include "app/application.h"
#include "app/channelchart.h"
#include "app/clickimage.h"
#include "app/codesui.h"
#include "core/convert.h"
#include "core/hextext.h"
#include "core/ircode.h"
#include "core/protocols/protocols.h"
#include "core/replyaccumulator.h"
#include "core/moduleframe.h"
#include "app/icons.h"
#include "app/keyfilter.h"
#include "app/languagemenu.h"
#include "app/messagebox.h"
#include "core/replydecoder.h"
#include "core/replygatherer.h"
#include "platform/qt/desktop.h"
#include "platform/qt/socketlink.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>
#include <QTextCursor>
#include <QThread>
#include <QTimer>

const char *const ShopAddress = "https://shop.example.com/infrared-modules";

namespace {

constexpr int ClientWidth = 1084;
constexpr int ClientHeight = 632;
constexpr int LogWidthServer = 729;
constexpr int LogWidthClient = 872;
const QColor SkyBlue(166, 202, 240);
const QByteArray ClearNotice("CLEAR");

// Restarting means the full period counts from now; the same period leaves a running timer alone.
void setPeriod(QTimer *timer, int period)
{
    if (timer->interval() != period)
        timer->setInterval(period);
}

void restart(QTimer *timer)
{
    timer->stop();
    timer->start();
}

void startIfStopped(QTimer *timer)
{
    if (!timer->isActive())
        timer->start();
}

} // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);

    createControls();
    createMenu();
    Codes = new TCodesUi(this);
    Languages = new TLanguageMenu(this, [this] { return Form2 ? Form2->SettingsPath() : std::string(); });
    createStatusBar();
    createTimers();
    createSockets();
    connectHandlers();
    retranslateUi();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::createControls()
{
    auto *client = new QWidget(this);
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, SkyBlue);
    client->setPalette(pal);
    setCentralWidget(client);

    Label3 = new QLabel(client);
    Label3->setGeometry(12, 8, 80, 20);
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setStyleSheet("color: yellow; background: #404040;");
    Image4 = new QLabel(client);
    Image4->setPixmap(icons::Infrared(24));
    Image4->setGeometry(96, 6, 24, 24);
    BitBtn4 = new QPushButton(client);
    BitBtn4->resize(80, 24);

    Memo1 = new QPlainTextEdit(client);
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setGeometry(12, 32, LogWidthServer, 290);
    // Every line ends with a line break, so the last block is the empty one after the newest line.
    Memo1->setMaximumBlockCount(LogLineLimit + 1);

    Panel3 = new QLabel(client);
    Panel3->setGeometry(752, 8, 128, 22);
    Panel3->setAlignment(Qt::AlignCenter);
    Panel3->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel3->setStyleSheet("background: #d8e4f0;");
    ListUserAddr = new QListWidget(client);
    ListUserAddr->setGeometry(752, 32, 128, 240);
    ListUserAddr->setSelectionMode(QAbstractItemView::SingleSelection);
    // Every entry is one line of an address; without this the list measures every entry again on
    // each accept, which grows with the number of modules.
    ListUserAddr->setUniformItemSizes(true);
    Label6 = new QLabel(client);
    Label6->setGeometry(752, 280, 128, 18);
    Label6->setAlignment(Qt::AlignCenter);
    Label5 = new QLabel(client);
    Label5->setGeometry(752, 300, 128, 18);
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setStyleSheet("color: #c00000;");

    Panel1 = new QFrame(client);
    Panel1->setGeometry(888, 8, 186, 316);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Label1 = new QLabel(Panel1);
    Label1->setGeometry(16, 14, 156, 18);
    Edit20 = new QLineEdit(QStringLiteral("192.168.0.199"), Panel1);
    Edit20->setGeometry(16, 34, 156, 24);
    Label1->setBuddy(Edit20);
    Label2 = new QLabel(Panel1);
    Label2->setGeometry(16, 66, 156, 18);
    Edit21 = new QLineEdit(QStringLiteral("6000"), Panel1);
    Edit21->setGeometry(16, 86, 156, 24);
    Edit21->setMaxLength(5);
    Label2->setBuddy(Edit21);
    Panel2 = new QLabel(Panel1);
    Panel2->resize(156, 46);
    Panel2->setAlignment(Qt::AlignCenter);
    Panel2->setAutoFillBackground(true);
    Panel2->setStyleSheet("color: yellow; background: #808080; font-weight: bold;");

    Button1 = new QPushButton(Panel1);
    Button1->setGeometry(16, 122, 112, 30);
    Image1 = new TClickImage(Panel1);
    Image1->setPixmap(icons::LinkDown(30));
    Image1->setGeometry(138, 122, 30, 30);
    Image2 = new TClickImage(Panel1);
    Image2->setPixmap(icons::LinkUp(30));
    Image2->setGeometry(138, 122, 30, 30);
    Image2->setCursor(Qt::PointingHandCursor);
    Image2->hide();

    ButtonSet1 = new QPushButton(Panel1);
    ButtonSet1->setGeometry(16, 162, 156, 30);
    BitBtn5 = new QPushButton(icons::Learn(20), QString(), Panel1);
    BitBtn5->setGeometry(16, 200, 156, 36);
    BitBtn5->setStyleSheet("color: red; font-weight: bold;");
    BitBtn1 = new QPushButton(Panel1);
    BitBtn1->setGeometry(16, 244, 156, 28);
    BitBtn2 = new QPushButton(Panel1);
    BitBtn2->setGeometry(16, 280, 120, 28);
    Image6 = new TClickImage(Panel1);
    Image6->setPixmap(icons::Exit(26));
    Image6->setGeometry(144, 281, 26, 26);
    Image6->setCursor(Qt::PointingHandCursor);
    Image5 = new QLabel(client);
    Image5->setPixmap(icons::Infrared(24));
    Image5->setGeometry(1046, 332, 24, 24);

    Chart1 = new TChannelChart(client);
    Chart1->setGeometry(14, 332, 1057, 250);

    Edit1 = new QLineEdit(QStringLiteral("FF 00 00 FE"), client);
    Edit1->hide();
    Edit4 = new QLineEdit(client);
    Edit4->setMaxLength(MaxHexTextBytes * 3);
    // The field only holds the received bytes and is never shown; without echo it does not lay
    // out and shape its whole text again on every read event.
    Edit4->setEchoMode(QLineEdit::NoEcho);
    Edit4->hide();
}

void TForm1::createMenu()
{
    N1 = menuBar()->addAction(QString());
    N2 = menuBar()->addAction(QString());
    N4 = menuBar()->addAction(QString());
    N3 = menuBar()->addAction(QString());
    Analyser = new TAnalyserMenu(this);
}

void TForm1::createStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    setStatusBar(StatusBar1);
    static const int widths[9] = {70, 130, 60, 100, 80, 80, 80, 80, 50};
    for (int i = 0; i < 9; ++i) {
        auto *label = new QLabel(StatusBar1);
        label->setFixedWidth(widths[i]);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | (i % 2 == 0 && i < 8 ? QFrame::Raised : QFrame::Sunken));
        StatusBar1->addWidget(label);
        statusPanels[i] = label;
    }
}

void TForm1::createTimers()
{
    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    Timer2 = new QTimer(this);
    Timer2->setInterval(ReplyQuietGapMs);
    Timer3 = new QTimer(this);
    Timer3->setInterval(KeepAlivePeriod);
    Timer4 = new QTimer(this);
    Timer4->setInterval(500);
    Timer4->setSingleShot(true);
}

void TForm1::createSockets()
{
    ClientSocket = new platform::TClientSocket(this);
    ServerSocket1 = new platform::TServerSocket(this);
    ServerSocket1->SetPort(6000);
}

template <typename Sender, typename Signal, typename... Args>
void TForm1::on(Sender *sender, Signal signal, void (TForm1::*handler)(Args...))
{
    connect(sender, signal, this, [this, handler](Args... args) { ReportErrors([&] { (this->*handler)(args...); }); });
}

void TForm1::connectHandlers()
{
    on(Timer1, &QTimer::timeout, &TForm1::Timer1Timer);
    on(Timer2, &QTimer::timeout, &TForm1::Timer2Timer);
    on(Timer3, &QTimer::timeout, &TForm1::Timer3Timer);
    on(Timer4, &QTimer::timeout, &TForm1::Timer4Timer);
    on(Button1, &QPushButton::clicked, &TForm1::Button1Click);
    on(Image2, &TClickImage::clicked, &TForm1::Button1Click);
    on(N1, &QAction::triggered, &TForm1::N1Click);
    on(N2, &QAction::triggered, &TForm1::N2Click);
    on(N4, &QAction::triggered, &TForm1::N4Click);
    on(N3, &QAction::triggered, &TForm1::N3Click);
    on(BitBtn4, &QPushButton::clicked, &TForm1::BitBtn4Click);
    on(ButtonSet1, &QPushButton::clicked, &TForm1::ButtonSet1Click);
    on(BitBtn1, &QPushButton::clicked, &TForm1::BitBtn1Click);
    on(BitBtn2, &QPushButton::clicked, &TForm1::BitBtn2Click);
    on(Image6, &TClickImage::clicked, &TForm1::BitBtn2Click);
    on(BitBtn5, &QPushButton::clicked, &TForm1::BitBtn5Click);
    on(Chart1->Button2, &QPushButton::clicked, &TForm1::Button2Click);
    on(Chart1->Button3, &QPushButton::clicked, &TForm1::Button3Click);
    on(Chart1->Button4, &QPushButton::clicked, &TForm1::Button4Click);
    on(Chart1->Button5, &QPushButton::clicked, &TForm1::Button5Click);

    using platform::TClientSocket;
    using platform::TServerSocket;
    on(ClientSocket, &TClientSocket::Connecting, &TForm1::ClientSocketConnecting);
    on(ClientSocket, &TClientSocket::Connect, &TForm1::ClientSocketConnect);
    on(ClientSocket, &TClientSocket::Disconnect, &TForm1::ClientSocketDisconnect);
    on(ClientSocket, &TClientSocket::Read, &TForm1::ClientSocketRead);
    on(ClientSocket, &TClientSocket::Error, &TForm1::ClientSocketError);
    on(ServerSocket1, &TServerSocket::ClientConnect, &TForm1::ServerSocket1ClientConnect);
    on(ServerSocket1, &TServerSocket::Accept, &TForm1::ServerSocket1Accept);
    on(ServerSocket1, &TServerSocket::ClientDisconnect, &TForm1::ServerSocket1ClientDisconnect);
    on(ServerSocket1, &TServerSocket::ClientRead, &TForm1::ServerSocket1ClientRead);
    on(ServerSocket1, &TServerSocket::ClientError, &TForm1::ServerSocket1ClientError);

    (new TKeyPressFilter(this, [this](QChar key) { return Edit21KeyPress(key); }))->Attach(Edit21);
}

void TForm1::FormCreate()
{
    Panel2->move(16, 14);
    Panel2->raise();
    Panel2->show();
    BitBtn4->move(Memo1->geometry().right() - BitBtn4->width() + 1, 6);
    N1->setEnabled(false);
    N2->setEnabled(true);
    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Timer1->start();
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    FormShow();
}

void TForm1::FormShow()
{
    Edit20->setAlignment(Qt::AlignCenter);
    Edit21->setAlignment(Qt::AlignCenter);
    Edit20->update();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}

void TForm1::FormClose()
{
    ClientSocket->SetActive(false);
    ServerSocket1->SetActive(false);
}

bool TForm1::Edit21KeyPress(QChar key)
{
    return IsDigitKey(key);
}

QString TForm1::PanelText(int index) const
{
    return statusPanels.at(index)->text();
}

void TForm1::setPanel(int index, const QString &text)
{
    statusPanels.at(index)->setText(text);
}

void TForm1::setState(const char *source)
{
    stateSource = source;
    setPanel(3, tr(source));
}

void TForm1::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QMainWindow::changeEvent(event);
}

void TForm1::retranslateUi()
{
    setWindowTitle(ProgramTitleText() + tr("  — 红外学习模块的学习、发射与网络设置"));
    Label3->setText(tr("  接收数据  "));
    Image4->setAccessibleName(tr("红外模块"));
    Image5->setAccessibleName(tr("红外模块"));
    BitBtn4->setText(tr("清除数据"));
    Memo1->setAccessibleName(tr("接收数据"));
    Panel3->setText(tr("接入的模块IP"));
    ListUserAddr->setAccessibleName(tr("接入的模块IP"));
    Label6->setText(tr("学习或发射前"));
    Label5->setText(tr("请先选择模块"));
    Label1->setText(tr("连接IP地址"));
    Edit20->setAccessibleName(tr("连接IP地址"));
    Edit21->setAccessibleName(tr("端口号"));
    Panel2->setText(tr("服务器模式"));
    Image1->setAccessibleName(tr("未连接"));
    Image2->setAccessibleName(tr("已连接"));
    ButtonSet1->setText(tr("模块设置"));
    BitBtn5->setText(tr(" 学习"));
    BitBtn1->setText(tr("进店看看"));
    BitBtn2->setText(tr("退出程序"));
    Image6->setAccessibleName(tr("退出程序"));
    N1->setText(tr("服务器模式"));
    N2->setText(tr("客户端模式"));
    N4->setText(tr("逛逛小店"));
    N3->setText(tr("退出程序"));
    const char *const panels[9] = {QT_TR_NOOP("连接到"), nullptr, QT_TR_NOOP("状态"), nullptr,
                                   QT_TR_NOOP("发送数据"), nullptr, QT_TR_NOOP("接收数据"), nullptr,
                                   QT_TR_NOOP("开发组")};
    for (int i = 0; i < 9; ++i) {
        if (panels[i])
            setPanel(i, tr(panels[i]));
    }
    if (stateSource)
        setPanel(3, tr(stateSource));
    Analyser->Retranslate();
    Codes->Retranslate();
    Languages->ShowCurrent();
    showLinkState();
}

void TForm1::showLinkIcon(bool active)
{
    Image2->setVisible(active);
    Image1->setVisible(!active);
}

void TForm1::Timer1Timer()
{
    Chart1->ResetLevelAxis();
    showLinkState();
}

void TForm1::showLinkState()
{
    if (mode == lmClient) {
        setPanel(1, Edit20->text());
        Label2->setText(tr("连接端口号"));
        N1->setEnabled(true);
        N2->setEnabled(false);
        showLinkIcon(ClientSocket->Active());
        if (ClientSocket->Active()) {
            setState(QT_TR_NOOP("连接成功..."));
            Button1->setText(tr("断开模块"));
        } else {
            Button1->setText(tr("连接模块"));
        }
    } else {
        setPanel(1, tr("服务器模式"));
        Label2->setText(tr("监听端口号"));
        N1->setEnabled(false);
        N2->setEnabled(true);
        showLinkIcon(ServerSocket1->Active());
        Button1->setText(ServerSocket1->Active() ? tr("停止监听") : tr("开始监听"));
    }
    setPanel(5, QString::number(SentCount));
    setPanel(7, QString::number(ReceivedCount));
}

void TForm1::Timer2Timer()
{
    const QString text = Edit4->text().trimmed();
    Timer2->stop();
    startIfStopped(Timer3);
    Timer4->stop();
    QByteArray reply;
    try {
        reply = HexTextToBytes(text, THexParse::Strict);
    } catch (const EConvertError &) {
        // The text stays, so that what follows is appended behind it.
        AddLogLine(tr("传输数据有误......"));
        return;
    }
    switch (ClassifyReply(reply)) {
    case rkConfigDone:
        AddLogLine(QString());
        AddLogLine(tr("红外模块IP地址设置完成，模块已经重启，设置生效......"));
        AddLogLine(QString());
        break;
    case rkEmitDone:
        AddLogLine(QString());
        AddLogLine(tr("完成红外发射......"));
        AddLogLine(QString());
        break;
    case rkDecodeTimeout:
        AddLogLine(QString());
        AddLogLine(tr("红外解码超时......"));
        break;
    case rkDecodedData:
        showDecodedData(Chart1->SelectedChannel(), reply, tr("收到解码数据："), Edit4->text());
        break;
    case rkUnknown:
        break;
    }
    Edit4->clear();
}

// One way into a channel for learned and loaded codes: the same store, trace, axis and log lines.
void TForm1::showDecodedData(int channel, const QByteArray &reply, const QString &heading, const QString &shownText)
{
    AddLogLine(QString());
    AddLogLine(heading);
    AddLogLine(shownText);
    Chart1->SetChannelCode(channel, BytesToHexText(reply));
    const TDecodedDurations decoded = DecodeDurations(reply);
    Chart1->DrawDurations(channel, decoded.Durations);
    Chart1->OfferTotal(decoded.Total);
    AddLogLine(tr("\n数据总长度：%1毫秒").arg(decoded.Total / 100));
    const std::vector<int> durationsUs = ReplyDurationsUs(reply);
    AddLogLine(ProtocolLogLine(durationsUs));
    Chart1->SetChannelHint(channel, ProtocolHint(durationsUs));
    scrollLogToEnd();
}

void TForm1::LoadCode(int channel, const TIrCode &code)
{
    const TFrameBuild build = ReplyForCode(code);
    if (!build.Ok()) {
        ShowStopMessage(this, tr("无法载入：") + build.Error, tr("提示信息"));
        return;
    }
    showDecodedData(channel, build.Reply, tr("载入："), BytesToHexText(build.Reply).trimmed());
    if (const QString notice = LeadOutNotice(build); !notice.isEmpty())
        AddLogLine(notice);
}

void TForm1::Button1Click()
{
    Timer3->stop();
    if (mode == lmClient) {
        if (ClientSocket->Active()) {
            ClientSocket->SetActive(false);
            return;
        }
        ClientSocket->SetPort(StrToInt(Edit21->text()));
        ClientSocket->SetHost(Edit20->text());
        ClientSocket->SetActive(true);
        Timer3->start(FirstKeepAlivePeriod);
        return;
    }
    ListUserAddr->clear();
    // Gives modules a moment to see the listener go before it comes back or stays away.
    QThread::msleep(150);
    if (ServerSocket1->Active()) {
        setState(QT_TR_NOOP("停止监听..."));
        ServerSocket1->SetActive(false);
        return;
    }
    setState(QT_TR_NOOP("等待连接..."));
    ServerSocket1->SetPort(StrToInt(Edit21->text()));
    ServerSocket1->Open();
    Timer3->start(FirstKeepAlivePeriod);
}

void TForm1::switchMode(TLinkMode newMode)
{
    const bool server = newMode == lmServer;
    ListUserAddr->clear();
    Memo1->resize(server ? LogWidthServer : LogWidthClient, Memo1->height());
    BitBtn4->move(Memo1->geometry().right() - BitBtn4->width() + 1, BitBtn4->y());
    Memo1->raise();
    BitBtn4->raise();
    mode = newMode;
    Edit21->setText(server ? QStringLiteral("6000") : QStringLiteral("5000"));
    N1->setEnabled(!server);
    N2->setEnabled(server);
    Panel2->setVisible(server);
    ClientSocket->SetActive(false);
    ServerSocket1->SetActive(false);
}

void TForm1::N1Click()
{
    switchMode(lmServer);
}

void TForm1::N2Click()
{
    switchMode(lmClient);
}

void TForm1::Timer3Timer()
{
    setPeriod(Timer3, KeepAlivePeriod);
    if (ServerSocket1->Active()) {
        for (int k = 0; k < ListUserAddr->count(); ++k) {
            if (platform::TSocketConnection *c = ServerSocket1->Connection(k)) {
                c->PostBuf(KeepAliveCommandFrame.constData(), KeepAliveCommandFrame.size());
                SentCount += KeepAliveCommandFrame.size();
            }
        }
    } else if (ClientSocket->Active()) {
        ClientSocket->Connection()->PostBuf(KeepAliveCommandFrame.constData(), KeepAliveCommandFrame.size());
        SentCount += KeepAliveCommandFrame.size();
    }
    setPanel(5, QString::number(SentCount));
    restart(Timer4);
}

void TForm1::Timer4Timer()
{
    setState(QT_TR_NOOP("等待连接..."));
    Timer4->stop();
}

void TForm1::BitBtn4Click()
{
    Memo1->clear();
    SentCount = 0;
    ReceivedCount = 0;
}

void TForm1::ButtonSet1Click()
{
    if (Form2)
        Form2->exec();
}

void TForm1::BitBtn1Click()
{
    platform::OpenUrl(QString::fromUtf8(ShopAddress));
}

void TForm1::N4Click()
{
    BitBtn1Click();
}

void TForm1::BitBtn2Click()
{
    close();
}

void TForm1::N3Click()
{
    BitBtn2Click();
}

TTarget TForm1::TargetConnection() const
{
    if (ServerSocket1->Active()) {
        const int row = ListUserAddr->currentRow();
        if (row < 0 || !ListUserAddr->item(row)->isSelected())
            return {TTarget::NoSelection, nullptr};
        platform::TSocketConnection *c = ServerSocket1->Connection(row);
        return c ? TTarget{TTarget::Connection, c} : TTarget{TTarget::NoSelection, nullptr};
    }
    if (ClientSocket->Active())
        return {TTarget::Connection, ClientSocket->Connection()};
    return {TTarget::NoLink, nullptr};
}

void TForm1::ClientSocketConnecting(platform::TSocketConnection *)
{
    if (ClientSocket->Active()) {
        showLinkIcon(true);
        setState(QT_TR_NOOP("连接成功..."));
        Button1->setText(tr("断开模块"));
    } else {
        setState(QT_TR_NOOP("正在连接..."));
    }
}

void TForm1::ClientSocketConnect(platform::TSocketConnection *)
{
    setState(QT_TR_NOOP("连接成功..."));
}

void TForm1::ClientSocketDisconnect(platform::TSocketConnection *)
{
    setState(QT_TR_NOOP("连接断开..."));
}

void TForm1::ClientSocketRead(platform::TSocketConnection *socket)
{
    readPath(socket, false);
}

void TForm1::ClientSocketError(platform::TSocketConnection *, int &errorCode)
{
    ClientSocket->SetActive(false);
    showLinkIcon(false);
    Button1->setText(tr("连接模块"));
    setState(QT_TR_NOOP("连接中断..."));
    errorCode = 0;
}

void TForm1::ServerSocket1ClientConnect(platform::TSocketConnection *)
{
    setState(QT_TR_NOOP("连接成功..."));
}

void TForm1::ServerSocket1Accept(platform::TSocketConnection *socket)
{
    ListUserAddr->addItem(socket->RemoteAddress());
    for (int k = 0; k < ListUserAddr->count(); ++k) {
        if (platform::TSocketConnection *c = ServerSocket1->Connection(k))
            c->PostText(ClearNotice);
    }
    setState(QT_TR_NOOP("连接成功..."));
}

void TForm1::ServerSocket1ClientDisconnect(platform::TSocketConnection *socket)
{
    const QString address = socket->RemoteAddress();
    for (int k = 0; k < ListUserAddr->count(); ++k) {
        if (ListUserAddr->item(k)->text() == address) {
            delete ListUserAddr->takeItem(k);
            return;
        }
    }
}

void TForm1::ServerSocket1ClientRead(platform::TSocketConnection *socket)
{
    readPath(socket, true);
}

void TForm1::ServerSocket1ClientError(platform::TSocketConnection *, int &errorCode)
{
    setState(QT_TR_NOOP("正在监听..."));
    errorCode = 0;
}

// Takes everything waiting in one go: the bytes the accumulator has room for are turned into text,
// the rest is counted and dropped unread, so that a module sending without pause costs the window
// what it keeps and not what arrives.
void TForm1::readPath(platform::TSocketConnection *socket, bool fromServer)
{
    const qint64 waiting = socket->ReceiveLength();
    QString accumulated = Edit4->text();
    char buffer[ReceiveBufferSize];
    const qint64 room = std::min<qint64>(AccumulatorRoom(accumulated), ReceiveBufferSize);
    const qint64 kept = socket->ReceiveBuf(buffer, std::min(waiting, room));
    const qint64 dropped = socket->Skip(waiting - kept);
    ReceivedCount = static_cast<int>(static_cast<quint32>(ReceivedCount) + static_cast<quint32>(kept + dropped));
    setPanel(7, QString::number(ReceivedCount));
    if (fromServer)
        setState(QT_TR_NOOP("连接成功..."));
    restart(Timer2);
    if (AppendToAccumulator(accumulated, QByteArrayView(buffer, kept)) > 0)
        Edit4->setText(accumulated);
}

void TForm1::AddLogLine(const QString &line)
{
    // A log read at its end keeps following it; one scrolled back stays where the user put it.
    const QScrollBar *bar = Memo1->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    QTextCursor end(Memo1->document());
    end.movePosition(QTextCursor::End);
    end.insertText(line + u'\n');
    if (following)
        scrollLogToEnd();
}

void TForm1::scrollLogToEnd()
{
    QScrollBar *bar = Memo1->verticalScrollBar();
    bar->setValue(bar->maximum());
}

// The connection a command goes to. For the two failing outcomes the user is told here and null
// comes back; the emit commands say a missing link as the learn command does, since a press that
// does nothing would leave the user guessing.
platform::TSocketConnection *TForm1::commandTarget()
{
    const TTarget target = TargetConnection();
    switch (target.Outcome) {
    case TTarget::Connection:
        Memo1->setFocus();
        break;
    case TTarget::NoSelection:
        ShowStopMessage(this, tr("学习或发射前，请先选择模块"), tr("提示信息"));
        Memo1->setFocus();
        break;
    case TTarget::NoLink:
        AddLogLine(QString());
        AddLogLine(tr("模块通讯失败！"));
        break;
    }
    return target.Link;
}

void TForm1::BitBtn5Click()
{
    restart(Timer3);
    Edit4->clear();
    // The channel is emptied even when the command is then refused.
    Chart1->ClearChannel(Chart1->SelectedChannel());
    const QByteArray frame = HexTextToBytes(Edit1->text(), THexParse::Lenient);
    if (platform::TSocketConnection *link = commandTarget()) {
        link->SendBuf(frame.constData(), frame.size());
        AddLogLine(QString());
        AddLogLine(tr("等待解码数据......"));
        SentCount += static_cast<int>(frame.size());
    }
    setPanel(5, QString::number(SentCount));
}

void TForm1::emitChannel(int channel)
{
    restart(Timer3);
    const QString code = Chart1->ChannelCode(channel);
    if (code.isEmpty()) {
        AddLogLine(QString());
        AddLogLine(tr("没有红外数据......"));
        return;
    }
    const QByteArray frame = HexTextToBytes(code, THexParse::Lenient);
    if (platform::TSocketConnection *link = commandTarget()) {
        SentCount += static_cast<int>(frame.size());
        link->SendBuf(frame.constData(), frame.size());
    }
    setPanel(5, QString::number(SentCount));
}

void TForm1::Button2Click()
{
    emitChannel(4);
}

void TForm1::Button3Click()
{
    emitChannel(3);
}

void TForm1::Button4Click()
{
    emitChannel(1);
}

void TForm1::Button5Click()
{
    emitChannel(2);
}
