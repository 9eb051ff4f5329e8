// The main window with the documents in it, as the program runs it: starting and ending it,
// answering New File, counting and closing documents.
#pragma once

#include "ChildWin.h"
#include "FileViewer.h"
#include "Main.h"
#include "NewFile.h"
#include "TransferSite.h"
#include "UiTestSupport.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace vxt::test {

// The main window as the program starts it, with the dialogs the documents use.
inline void StartMainForm(TMainForm *&form)
{
    form = new TMainForm;
    frmNewFile = new TfrmNewFile(form);
    frmTransferSite = new TfrmTransferSite(form);
    frmFileViewer = new TfrmFileViewer(form);
    form->resize(900, 600);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
}

// Closes every document unasked, as if saved, and lets them go.
inline void CloseDocuments(TMainForm *form)
{
    for (TMDIChild *d : form->Documents()) {
        d->Saved = true;
        d->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The documents still open, closed ones gone.
inline int DocumentCount(TMainForm *form)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return int(form->Documents().size());
}

// Closes the documents and ends the main window with its dialogs.
inline void StopMainForm(TMainForm *&form)
{
    if (!form) return;
    CloseDocuments(form);
    form->hide();
    delete form;
    form = nullptr;
    frmNewFile = nullptr;
    frmTransferSite = nullptr;
    frmFileViewer = nullptr;
}

// Picks `index` in the next New File dialog and presses OK (or Cancel).
inline void AnswerNewFile(int index, bool ok = true)
{
    WhenModalOf<TfrmNewFile>([index, ok](TfrmNewFile *dlg) {
        dlg->lstNewFiles->setCurrentRow(index);
        QTest::mouseClick(ok ? dlg->btnOk : dlg->btnCancel, Qt::LeftButton);
    });
}

}  // namespace vxt::test
