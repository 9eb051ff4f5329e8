// What the configuration document and transfer tests share: a main window with the dialogs the
// documents use, and small helpers to reach the documents' controls.
#pragma once

#include "DF1Config.h"
#include "EMail.h"
#include "GatewayModule.h"
#include "HostlinkConfig.h"
#include "InfoMsg.h"
#include "InputInteger.h"
#include "Main.h"
#include "ModbusConfig.h"
#include "NoFeature.h"
#include "NumFormat.h"
#include "QtStr.h"
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace vxt::test {

// The program's windows as start-up creates them.
struct ConfigWindows {
    TMainForm *form = nullptr;

    void Create()
    {
        RegisterGatewayDocuments();
        form = new TMainForm;
        frmEmail = new TfrmEmail(form);
        frmInputInteger = new TfrmInputInteger(form);
        frmNoFeature = new TfrmNoFeature(form);
        frmModbusTags = new TfrmModbusTags(form);
        frmHostlinkTags = new TfrmHostlinkTags(form);
        frmDF1Tags = new TfrmDF1Tags(form);
        frmTransferModbusConfig = new TfrmTransferModbusConfig(form);
        frmTransferHostlinkConfig = new TfrmTransferHostlinkConfig(form);
        frmTransferDF1Config = new TfrmTransferDF1Config(form);
        form->resize(1000, 700);
        form->show();
        if (!QTest::qWaitForWindowExposed(form)) qWarning("main window not exposed");
    }

    void Destroy()
    {
        // The documents go first: the frame reacts to their leaving while it still exists.
        for (TMDIChild *doc : form->Documents()) delete doc;
        delete form;
        form = nullptr;
        frmEmail = nullptr;
        frmInputInteger = nullptr;
        frmNoFeature = nullptr;
        frmModbusTags = nullptr;
        frmHostlinkTags = nullptr;
        frmDF1Tags = nullptr;
        frmTransferModbusConfig = nullptr;
        frmTransferHostlinkConfig = nullptr;
        frmTransferDF1Config = nullptr;
    }

    // A new document of `kind` as File New makes it: noname<n>.vlt, the frame's counter without `n`.
    template <typename Doc>
    Doc *NewDocument(DocKind kind, int n = 0)
    {
        auto *doc = dynamic_cast<Doc *>(form->CreateDocument(kind));
        doc->New("noname" + std::to_string(n ? n : form->NewFileCounter++) + ".vlt");
        return doc;
    }
};

inline std::string ReadBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll().toStdString();
}

inline void WriteBytes(const QString &path, const std::string &bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes.data(), qint64(bytes.size()));
}

// Answers the e-mail dialog with `address` (or cancels it) once it is up.
inline void AnswerEmail(const QString &address, bool ok = true)
{
    WhenModalOf<TfrmEmail>([address, ok](TfrmEmail *dlg) {
        dlg->txtEMail->setText(address);
        (ok ? dlg->btnOk : dlg->btnCancel)->click();
    });
}

// Accepts the tag editor of type T with `tag` as its result, without touching its controls; `then`
// runs once it has closed (to answer its next showing).
template <typename T, typename Tag>
void AnswerTagEditor(const Tag &tag, bool ok = true, std::vector<uint8_t> *modes = nullptr,
                     std::function<void()> then = nullptr)
{
    WhenModalOf<T>([tag, ok, modes, then](T *dlg) {
        if (modes) modes->push_back(dlg->EditMode);
        dlg->Tag = tag;
        ok ? dlg->accept() : dlg->reject();
        if (then) then();
    });
}

}  // namespace vxt::test
