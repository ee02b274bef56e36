#pragma once
// The main window: module link and analyser.
#include <QMainWindow>

class TForm2;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    void SetConfigWindow(TForm2 *form2) { Form2 = form2; }

private:
    TForm2 *Form2 = nullptr;
};
