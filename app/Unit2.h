#pragma once
// The module configuration window: the module's network parameters, written over the serial line
// or the network and read back over the serial line, kept in the settings file.
#include <QDialog>

#include "core/moduleparams.h"
#include "serial/portevents.h"

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QFileDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class TForm1;

namespace PelmComm {
class TZvCommDevice;
}

class TForm2 : public QDialog {
    Q_OBJECT
public:
    static constexpr const char *SettingsFileName = "红外模块设置.ini";

    // Follows serial ports coming and going as the events tell; the machine's events unless given.
    explicit TForm2(TForm1 *mainForm, QWidget *parent = nullptr,
                    std::unique_ptr<PelmComm::TPortEvents> portEvents = nullptr);
    ~TForm2() override;

    // The program's settings file; placed elsewhere only by tests.
    const std::string &SettingsPath() const { return settingsPath_; }
    void SetSettingsPath(std::string path) { settingsPath_ = std::move(path); }
    // The program's folder could not hold the settings, and their folder under the user's configuration
    // folder was made by this start: the user is told where they are kept.
    bool SettingsFolderIsNew() const { return settingsFolderIsNew_; }
    QString SettingsFolderNotice() const;
    void LoadSettings(const std::string &path);
    void SaveSettings(const std::string &path);

    QLineEdit *Edit(int number) const { return edits_.at(number); }
    QString PanelText(int index) const;

    QGroupBox *GroupBox1, *GroupBox2;
    QPlainTextEdit *Memo1;
    QComboBox *ComboBox1;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6, *Edit7, *Edit8, *Edit9, *Edit10, *Edit11, *Edit12,
        *Edit13, *Edit14, *Edit15, *Edit16, *Edit17, *Edit18, *Edit19, *Edit20, *Edit21, *Edit22, *Edit23, *Edit24;
    QLabel *Image1, *Image2;
    QFrame *Panel1, *Panel2;
    QCheckBox *CheckBox1, *CheckBox2;
    QPushButton *BitBtn3, *BitBtn2, *SpeedButton6;
    QLabel *Image6, *Image5;
    QPushButton *Button1, *ButtonSet1, *BitBtn1, *保存到文件, *Button2;
    QStatusBar *StatusBar1;
    QFileDialog *OpenDialog1, *SaveDialog1;
    PelmComm::TZvCommDevice *ZvCommDevice1;

    bool Edit1KeyPress(QChar key);
    bool Edit2KeyPress(QChar key);
    bool Edit3KeyPress(QChar key);
    bool Edit4KeyPress(QChar key);
    bool Edit11KeyPress(QChar key);
    void ComboBox1Change();
    void Edit3Change();
    void Edit4Change();
    void CheckBox2Click();
    void BitBtn1Click();
    void Button1Click();
    void ButtonSet1Click();
    void BitBtn3Click();
    void SpeedButton6Click();
    // Called on the framer's timer thread.
    void ZvCommDevice1Package(QObject *sender, int32_t notifyType);
    // Called on the serial engine's reader thread (or on the thread that closes the port).
    void ZvCommDevice1CommNotify(QObject *sender, int32_t notifyType);
    void BitBtn2Click();
    void 保存到文件Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    void changeEvent(QEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();

    void createControls();
    void createStatusBar();
    void createDevice();
    void bindHandlers();
    void setPanel(int index, const QString &text);
    // The outcome of the last serial command in the status bar, kept as its source text (null for
    // none) so that it follows the language.
    void setResult(const char *source);
    void retranslateUi();
    // A caption that follows the language.
    QLabel *label(const char *source, QWidget *parent, int x, int y, int w = 70);
    void showWorkModeBrackets(int index);
    void syncMac();
    QString portText() const;
    void showPortState();
    void savePort(const std::string &path);
    void takePackage(const QByteArray &package);
    void portLost();
    // The port as the system has it now: an adapter known by its by-id link is followed to its
    // current node, and the indicators tell when a lost port is back.
    void watchPorts(std::unique_ptr<PelmComm::TPortEvents> portEvents);
    void portsChanged();
    // Follows the port to where it is now; true when it is there.
    bool followPort();
    void openPort();
    // The by-id link name of the device the port names now, or empty.
    std::string currentIdentity() const;
    // The write frame from the window; with no work mode selected the module is told to dial out.
    QByteArray parameterFrame() const;
    // Opens the port if needed, shows its state and sends, or says the port is not open.
    void sendOnPort(const QByteArray &frame, const char *refusal);

    TForm1 *Form1;
    std::string settingsPath_;
    bool settingsFolderIsNew_ = false;
    std::array<QLineEdit *, ParameterEditCount + 1> edits_{}; // by number, 1 to 24
    std::array<QLabel *, 6> statusPanels_{};
    std::vector<std::pair<QLabel *, const char *>> captions_;
    const char *resultSource_ = nullptr;
    std::unique_ptr<PelmComm::TPortEvents> portEvents_;
    std::string portIdentity_; // the chosen adapter's by-id link name, kept in the settings file
    bool portSeen_ = false;    // the port was there when last looked at
    bool portLost_ = false;    // it went away since the user last opened or chose it
};
