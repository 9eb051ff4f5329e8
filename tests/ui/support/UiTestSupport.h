// Shared helpers of the window tests: scripted message boxes and modal-dialog driving.
#pragma once

#include "MsgBox.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace vxt::test {

struct ShownBox {
    std::string Text;
    MsgKind Kind;
    int Buttons;
};

// Answers every message box from a script (OK / the default when the script is empty) and keeps
// every text shown. Installed for its lifetime.
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    void Answer(MsgResult r) { answers_.push_back(r); }
    const std::vector<ShownBox> &Shown() const { return shown_; }
    std::vector<std::string> Texts() const;
    void Clear() { shown_.clear(); }
    // Runs while a box is "shown", before it returns (for checking the state of windows then).
    std::function<void(const ShownBox &)> OnShow;

private:
    std::deque<MsgResult> answers_;
    std::vector<ShownBox> shown_;
};

// Runs `f` once the next modal widget is active (polling the event loop), then returns.
void WhenModal(std::function<void(QWidget *modal)> f, int timeoutMs = 5000);
// The same, for the first modal widget that `accept` takes.
void WhenModalIf(std::function<bool(QWidget *modal)> accept, std::function<void(QWidget *modal)> f,
                 int timeoutMs = 5000);
// The same, for the first modal dialog of class T.
template <typename T>
void WhenModalOf(std::function<void(T *)> f, int timeoutMs = 5000)
{
    WhenModalIf([](QWidget *w) { return qobject_cast<T *>(w) != nullptr; },
                [f](QWidget *w) { f(qobject_cast<T *>(w)); }, timeoutMs);
}

// The active modal dialog of the given class, or nullptr.
template <typename T>
T *ActiveModal()
{
    return qobject_cast<T *>(QApplication::activeModalWidget());
}

}  // namespace vxt::test
