#pragma once
// The main window: the TCP link to the modules (client or server mode), the command buttons,
// the log of replies and the channel chart.
#include <QMainWindow>

#include <array>

struct TIrCode;

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTimer;
class TAnalyserMenu;
class TChannelChart;
class TClickImage;
class TCodesUi;
class TForm2;
class TLanguageMenu;

namespace platform {
class TClientSocket;
class TServerSocket;
class TSocketConnection;
} // namespace platform

enum TLinkMode { lmServer, lmClient };

// Where a command goes: the selected module while the server listens, else the client link.
struct TTarget {
    enum TOutcome { Connection, NoSelection, NoLink };
    TOutcome Outcome;
    platform::TSocketConnection *Link;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int ReceiveBufferSize = 1000;
    // The log keeps this many of its newest lines; older ones are dropped, so that a window left
    // running with a chatty module does not grow without end.
    static constexpr int LogLineLimit = 5000;
    static constexpr int KeepAlivePeriod = 8000;
    static constexpr int FirstKeepAlivePeriod = 2000;

    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;
    void SetConfigWindow(TForm2 *form2) { Form2 = form2; }

    TTarget TargetConnection() const;
    TLinkMode Mode() const { return mode; }
    QString PanelText(int index) const;
    // Appends one line to the log; every line ends with a line break, so that an empty line is
    // kept even as the log's first line.
    void AddLogLine(const QString &line);
    // Fills the channel with a code from the library or a file as a learned code fills it, the
    // log saying "载入：" where a learned code says "收到解码数据：". A code the module's frame
    // cannot carry is refused with a message and leaves the channel as it was.
    void LoadCode(int channel, const TIrCode &code);

    // Controls, named as the window's design names them.
    QPlainTextEdit *Memo1;
    QLabel *Label3;
    QPushButton *BitBtn4;
    QLabel *Panel3;
    QListWidget *ListUserAddr;
    QLabel *Label6, *Label5;
    QFrame *Panel1;
    QLabel *Label1;
    QLineEdit *Edit20;
    QLabel *Label2;
    QLineEdit *Edit21;
    QLabel *Panel2;
    QPushButton *Button1;
    TClickImage *Image1, *Image2;
    QPushButton *ButtonSet1, *BitBtn1, *BitBtn2;
    TClickImage *Image6;
    QLabel *Image4, *Image5;
    QPushButton *BitBtn5;
    TChannelChart *Chart1;
    QLineEdit *Edit1, *Edit4;
    QStatusBar *StatusBar1;
    QAction *N1, *N2, *N4, *N3;
    TAnalyserMenu *Analyser; // menu "分析", after the designed items
    TLanguageMenu *Languages; // menu "语言 / Language", the last one
    QTimer *Timer1, *Timer2, *Timer3, *Timer4;
    TCodesUi *Codes;
    platform::TClientSocket *ClientSocket;
    platform::TServerSocket *ServerSocket1;

    int SentCount = 0;
    int ReceivedCount = 0;

    // Handlers, public so that they can be driven directly.
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void Timer4Timer();
    void Button1Click();
    void N1Click();
    void N2Click();
    void BitBtn4Click();
    void ButtonSet1Click();
    void BitBtn1Click();
    void N4Click();
    void BitBtn2Click();
    void N3Click();
    void BitBtn5Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void ClientSocketConnecting(platform::TSocketConnection *socket);
    void ClientSocketConnect(platform::TSocketConnection *socket);
    void ClientSocketDisconnect(platform::TSocketConnection *socket);
    void ClientSocketRead(platform::TSocketConnection *socket);
    void ClientSocketError(platform::TSocketConnection *socket, int &errorCode);
    void ServerSocket1ClientConnect(platform::TSocketConnection *socket);
    void ServerSocket1Accept(platform::TSocketConnection *socket);
    void ServerSocket1ClientDisconnect(platform::TSocketConnection *socket);
    void ServerSocket1ClientRead(platform::TSocketConnection *socket);
    void ServerSocket1ClientError(platform::TSocketConnection *socket, int &errorCode);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    bool Edit21KeyPress(QChar key);

    void createControls();
    void createMenu();
    void createStatusBar();
    void createTimers();
    void createSockets();
    void connectHandlers();
    template <typename Sender, typename Signal, typename... Args>
    void on(Sender *sender, Signal signal, void (TForm1::*handler)(Args...));
    void setPanel(int index, const QString &text);
    // The link's state in the status bar, kept as its source text so that it follows the language.
    void setState(const char *source);
    void retranslateUi();
    void showLinkIcon(bool active);
    // The texts, icons and counters of the link's mode and state, as the periodic refresh sets them.
    void showLinkState();
    void switchMode(TLinkMode newMode);
    void readPath(platform::TSocketConnection *socket, bool fromServer);
    void emitChannel(int channel);
    platform::TSocketConnection *commandTarget();
    void scrollLogToEnd();
    void showDecodedData(int channel, const QByteArray &reply, const QString &heading, const QString &shownText);

    TLinkMode mode = lmServer;
    TForm2 *Form2 = nullptr;
    std::array<QLabel *, 9> statusPanels{};
    const char *stateSource = nullptr;
};

// The shop page opened by "进店看看" and "逛逛小店".
extern const char *const ShopAddress;
