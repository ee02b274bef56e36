#pragma once
// Key filtering of edits: each typed character is offered to a handler that accepts or discards
// it, as a KeyPress handler of the window would. Navigation keys (Tab, Esc, Delete and the
// cursor keys) are not typed characters and always pass; text from an input method is discarded.
#include <QObject>

#include <functional>

class QWidget;

class TKeyPressFilter : public QObject {
public:
    using THandler = std::function<bool(QChar)>; // true keeps the character

    TKeyPressFilter(QObject *parent, THandler handler) : QObject(parent), handler_(std::move(handler)) {}
    void Attach(QWidget *edit);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    THandler handler_;
};

// The rule shared by the windows' numeric fields: digits, backspace (8) and Enter (13) only.
bool IsDigitKey(QChar key);
