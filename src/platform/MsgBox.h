// Every message box of the program goes through MessageDlg, so tests can answer them from a script
// and read every text shown.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace vxt {

enum class MsgKind { Error, Warning, Confirmation, Information };

enum MsgButton : int { mbOK = 1, mbYes = 2, mbNo = 4, mbCancel = 8 };
constexpr int mbYesNo = mbYes | mbNo;
constexpr int mbYesNoCancel = mbYes | mbNo | mbCancel;

enum class MsgResult { OK, Yes, No, Cancel };

// Shows a modal box over the active window. "\r\n" in the text is a line break on screen.
MsgResult MessageDlg(const std::string &text, MsgKind kind, int buttons = mbOK);

inline void ShowError(const std::string &text) { MessageDlg(text, MsgKind::Error, mbOK); }
inline void ShowWarning(const std::string &text) { MessageDlg(text, MsgKind::Warning, mbOK); }
inline void ShowInformation(const std::string &text) { MessageDlg(text, MsgKind::Information, mbOK); }

using MessageBoxHandler = std::function<MsgResult(const std::string &text, MsgKind kind, int buttons)>;
// Replaces the real boxes (tests); an empty handler restores them.
void SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace vxt
