// The program's application object. A failure that a command raises and nothing catches ends that
// command, not the program: it is shown in an error box with its own text, and every window and
// document stays as it was.
#pragma once

#include <QApplication>
#include <exception>
#include <string>

namespace vxt {

class TApplication : public QApplication {
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// Reports what a command raised: a std::exception's text, anything else as "Unknown error."; the
// abandoned wait of an ending program shows nothing. Both the commands' own wrapper (Command.h) and
// the application's last net report through here.
void ReportRaisedError(std::exception_ptr error);

// Shows `text` in the general error box. One that arrives while such a box is up (raised by an event
// handled meanwhile) is shown after it closes, never on top of it.
void ReportUncaughtError(const std::string &text);

}  // namespace vxt
