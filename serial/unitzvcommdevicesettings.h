#pragma once
// The modal window in which the user picks a device's serial port and line settings. Its texts come
// in English, Simplified or Traditional Chinese after the process's message locale, or the language
// the program chose (platform::ChooseMessageLocaleId), and change with it on a LanguageChange.
#include "serial/pelmcommerror.h"
#include "serial/pelmenumserial.h"
#include "serial/portevents.h"
#include "serial/zvcommdevice.h"

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace PelmComm {

class TForm_ZvCommDevice_Settings : public QDialog {
    Q_OBJECT
public:
    // Indices of the texts of one language.
    enum TMsgIndex : int {
        msgCaption, msgGboxBase, msgGBoxModem, msgGBoxBuffer,
        msgPort, msgBaud, msgParity, msgByteSize, msgStopBits, msgFlow, msgAutoAns, msgInBuf, msgOutBuf,
        msgAbout, msgDefault, msgOK, msgCancel,
        msgNoParity, msgOddParity, msgEvenParity, msgMarkParity, msgSpaceParity,
        msgFlowNone, msgFlowRtsCts, msgFlowXonXoff, msgFlowRtsCtsXonXoff,
        msgErrPort, msgErrBaud, msgErrByteSize, msgErrParity, msgErrStopBits, msgErrFlow,
        msgErrAutoAns, msgErrInBuf, msgErrOutBuf,
        msgCount
    };

    // The text table of the calling thread's locale.
    class TMsgStrings {
    public:
        TMsgStrings();
        QString fGetMsg(TMsgIndex index) const;

    private:
        TPelmCommLanguage FLanguage;
        const char *const *FTable;
    };

    // The port list comes from the machine unless a source is given, and follows ports coming and
    // going as the events tell.
    TForm_ZvCommDevice_Settings(QWidget *owner, TZvCustomCommDevice *device, bool openAfterOk,
                                std::unique_ptr<TSerialPortSource> ports = std::make_unique<TSystemSerialPortSource>(),
                                std::unique_ptr<TPortEvents> events = std::make_unique<TSystemPortEvents>());
    ~TForm_ZvCommDevice_Settings() override;

    void BnOKClick();
    void BnCancelClick();
    // Moves the focus one field on when it is on a field before the last; true if it moved.
    bool MoveCtrlFocus();

    const TCommSerialPortInfo &PortInfo() const { return *FPortInfo; }

    QGroupBox *GboxBase;
    QLabel *lbPort;
    QComboBox *CbPort;
    QLabel *lbBaud;
    QComboBox *CbSelBaud;
    QLabel *lbCheck;
    QComboBox *CbParity;
    QLabel *lbBits;
    QComboBox *CbByteSize;
    QLabel *lbStops;
    QComboBox *CbStopBits;
    QGroupBox *GBoxModem;
    QLabel *lbFlow;
    QComboBox *CbFlow;
    QLabel *lbAAns;
    QLineEdit *EditAutoAns;
    QGroupBox *GBoxBuffer;
    QLabel *lbInbs;
    QLineEdit *EditInBufSize;
    QLabel *lbOutbs;
    QLineEdit *EditOutBufSize;
    QPushButton *BnOK;
    QPushButton *BnCancel;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct TRemembered {
        std::string PortName;
        uint32_t BaudRate = 0;
        int32_t ByteSize = 0;
        int32_t Parity = 0;
        int32_t StopBits = 0;
        int32_t FlowControl = 0;
        int32_t AutoAnswer = 0;
        int32_t InBufSize = 0;
        int32_t OutBufSize = 0;
    };

    void createControls();
    void setCaptions();
    void fillPorts();
    void addPortItems();
    // The list enumerated again; the chosen port stays chosen, found by its stable name where it has one.
    void refreshPorts();
    void placeButtons();
    void showSettings();
    // The entries checked in order; false after showing the first failure.
    bool checkEntries(TRemembered &entered);
    bool refuse(QWidget *control, TMsgIndex message);
    // The writes that apply one set of values, in the order the device takes them; the last one
    // opens or closes the port.
    std::array<std::function<void()>, 10> writes(const TRemembered &values, bool active);
    void showError(const QString &text);
    QWidget *focusedField() const;

    TZvCustomCommDevice *FDevice;
    bool FWasActive = false;
    bool FOpenAfterOk;
    std::unique_ptr<TCommSerialPortInfo> FPortInfo;
    std::unique_ptr<TPortEvents> FPortEvents;
    // The chosen adapter's stable name, kept while it is away and its name stays in the field.
    std::string FChosenId;
    QString FAwayText;
    TRemembered FRemembered;
};

// Makes TZvCustomCommDevice::SettingsDialog show TForm_ZvCommDevice_Settings.
void InstallCommDeviceSettingsDialog();

} // namespace PelmComm
