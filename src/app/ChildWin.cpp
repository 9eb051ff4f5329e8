#include "ChildWin.h"

#include "Command.h"
#include "FileDialog.h"
#include "FileUtils.h"
#include "MsgBox.h"
#include "QtStr.h"
#include "StrUtils.h"

#include <QCloseEvent>

namespace vxt {

TMDIChild::TMDIChild(QWidget *parent) : QMdiSubWindow(parent)
{
    setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
}

TMDIChild::~TMDIChild() = default;

bool TMDIChild::Save() { return Named ? UpdateFile() : SaveAs(); }

void TMDIChild::OnClose() { setAttribute(Qt::WA_DeleteOnClose); }

bool TMDIChild::OnCloseQuery()
{
    if (Saved) return true;
    const std::string shown = Named ? FileName : ExtractFileName(FileName);
    switch (MessageDlg(Format("File \"%s\" has Changed. Save this file?", shown.c_str()), MsgKind::Confirmation,
                       mbYesNoCancel)) {
    case MsgResult::Yes:
        return Save();
    case MsgResult::No:
        return true;
    default:
        return false;
    }
}

std::optional<std::string> TMDIChild::dlgSaveFileExecute(const std::string &filter, const std::string &defaultExt)
{
    return GetSaveFileName(this, "Save As", filter, FileName, defaultExt);
}

void TMDIChild::CloseConfirmed() { closeConfirmed_ = true; }

// A caption names the document's file.
void TMDIChild::SetCaption(const std::string &caption) { setWindowTitle(QShown(caption)); }

void TMDIChild::closeEvent(QCloseEvent *event)
{
    // A failure while asking or closing keeps the document open.
    const bool closed = RunCommand([&] {
        bool mayClose = closeConfirmed_;
        if (!mayClose) RunCommand([&]() { mayClose = OnCloseQuery(); });
        if (!mayClose) {
            event->ignore();
            return;
        }
        OnClose();
        QMdiSubWindow::closeEvent(event);
    });
    if (!closed) event->ignore();
}

}  // namespace vxt
