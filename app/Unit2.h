#pragma once
// The module configuration window.
#include <QDialog>

class TForm1;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(TForm1 *mainForm, QWidget *parent = nullptr);

private:
    TForm1 *Form1;
};
