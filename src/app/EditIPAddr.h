// TEditIPAddr: one dotted IPv4 address edited in four boxes of up to three digits that behave like
// one edit field, and the routines that check and take apart a dotted address text.
#pragma once

#include <QWidget>
#include <cstdint>
#include <stdexcept>
#include <string>

class QFrame;
class QLabel;
class QLineEdit;

namespace vxt {

// A dotted address text that fails a check; the text is the message shown to the user.
class EIPAddressError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The Index-th piece (from 1) of S between Delimiter characters; empty when there is none.
std::string GetToken(const std::string &s, int index, char delimiter);
int CountChar(const std::string &s, char c);
std::string StripChars(const std::string &s, const std::string &set);
// The 12-digit form: each of the four pieces left-padded with "0" to three characters.
std::string IPToTriplets(const std::string &s);
bool IsAllDigits(const std::string &s);
// Checks a 12-digit form; S is only quoted in the messages.
void CheckTriplets(const std::string &triplets, const std::string &s);
void ValidateIPAddress(const std::string &s);
// Octet N (1 to 4) of the validated address S; any other N gives 0.
uint8_t GetOctet(const std::string &s, int n);

class TEditIPAddr : public QWidget {
    Q_OBJECT
public:
    explicit TEditIPAddr(QWidget *parent = nullptr);

    // All four boxes empty: empty. Otherwise each empty box is filled with "0" and, unless
    // AcceptOctal, each box is rewritten as its decimal value; the boxes joined by ".".
    std::string Text();
    // Empty: empties the boxes. Otherwise raises EIPAddressError "Bad IP address string given to
    // component" for an invalid address, else fills the boxes and selects box 0's text.
    void SetText(const std::string &text);

    bool AcceptOctal() const { return acceptOctal_; }
    void SetAcceptOctal(bool value) { acceptOctal_ = value; }

    // False when octet 1 is 0, 127, 240 or 255, or octet 4 is 0 or 255 (raises on a bad address).
    bool IsValidHost();

    QFrame *Panel() const { return panel_; }
    QLineEdit *Box(int index) const { return boxes_[index]; }
    QLabel *Dot(int index) const { return dots_[index]; }

    QSize sizeHint() const override { return QSize(100, 21); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int BoxIndex(QObject *o) const;
    bool BoxKeyDown(int index, QKeyEvent *event);
    void BoxChange(int index);
    void FocusBox(int index, int caret);   // caret: 0 start, -1 end, -2 select all
    void FocusLeft(QWidget *old, QWidget *now);

    QFrame *panel_;
    QLineEdit *boxes_[4];
    QLabel *dots_[3];
    bool acceptOctal_ = false;
    bool moving_ = false;   // focus is being moved between the boxes by the control itself
};

}  // namespace vxt
