// The Configuration and Web Site commands of the main window.
#include "ChildWin.h"
#include "Command.h"
#include "DocumentInterfaces.h"
#include "Main.h"
#include "MsgBox.h"
#include "StrUtils.h"

namespace vxt {

namespace {

IConfigDocument *ActiveConfig(TMainForm *form)
{
    TMDIChild *doc = form->ActiveDocument();
    return doc && IsConfigKind(KindOf(doc)) ? dynamic_cast<IConfigDocument *>(doc) : nullptr;
}

ISiteDocument *ActiveSite(TMainForm *form)
{
    TMDIChild *doc = form->ActiveDocument();
    return doc && KindOf(doc) == DocKind::Site ? dynamic_cast<ISiteDocument *>(doc) : nullptr;
}

// Shows the tag dialog until it is cancelled or gives a name no other row has.
bool RunTagEditor(IConfigDocument *doc, int editMode, int exceptIndex)
{
    for (;;) {
        if (!doc->ShowTagEditor(editMode)) return false;
        const std::string name = doc->EditorTagName();
        if (!doc->TagExists(name, exceptIndex)) return true;
        ShowError(Format("The Tag %s already exists.", name.c_str()));
        editMode = 1;   // again, with the values just entered
    }
}

}  // namespace

void TMainForm::ConfigurationAddTagExecute()
{
    IConfigDocument *doc = ActiveConfig(this);
    if (!doc) return;
    if (doc->GetTagCount() >= kMaxTags) {
        ShowError("Cannot add more than 128 Tags.");
        return;
    }
    if (!RunTagEditor(doc, 0, -1)) return;
    doc->AddEditorTagToList();
    ActiveDocument()->Saved = false;
}

void TMainForm::ConfigurationEditTagExecute()
{
    IConfigDocument *doc = ActiveConfig(this);
    if (!doc) return;
    const int row = doc->SelectedTagIndex();
    if (row < 0) return;
    RunCommand([&]() {
        doc->LoadTagIntoEditor(row);
        if (!RunTagEditor(doc, 1, row)) return;
        doc->ReplaceSelectedWithEditorTag();
        ActiveDocument()->Saved = false;
    });
}

void TMainForm::ConfigurationRemoveTagExecute()
{
    IConfigDocument *doc = ActiveConfig(this);
    if (!doc) return;
    const int row = doc->SelectedTagIndex();
    if (row < 0) return;
    if (MessageDlg(Format("Are you sure to delete the Tag \"%s\"", doc->TagName(row).c_str()), MsgKind::Confirmation,
                   mbYesNo) != MsgResult::Yes)
        return;
    doc->DeleteSelectedTag();
    ActiveDocument()->Saved = false;
}

void TMainForm::ConfigurationSendToVeltoExecute()
{
    TMDIChild *doc = ActiveDocument();
    if (!Connected || !doc) return;
    const std::optional<DocKind> kind = KindOf(doc);
    if (!IsConfigKind(kind)) return;
    if (int(*kind) != int(ConnectedDevice.Family)) {
        ShowError("The Configuration file you're trying to send do not correspond\r\nto the Model of the Connected "
                  "Velto.");
        return;
    }
    RunCommand([&]() { doc->SendToVelto(ConnectedDevice); });
}

void TMainForm::ConfigurationGetFromVeltoExecute()
{
    if (!Connected || ConnectedDevice.Family > FamilyDF1) return;
    const DocKind kind = static_cast<DocKind>(ConnectedDevice.Family);
    const DocumentClass *cls = FindDocumentClass(kind);
    if (!cls) return;
    TMDIChild *doc = CreateDocument(kind);
    doc->New("noname" + std::to_string(NewFileCounter) + cls->Extension);
    NewFileCounter++;
    RunCommand([&]() { doc->GetFromVelto(ConnectedDevice); });
}

void TMainForm::WebSiteAddFileExecute()
{
    if (ISiteDocument *site = ActiveSite(this)) RunCommand([site]() { site->AddFile(); });
}

void TMainForm::WebSiteExtractFileExecute()
{
    if (ISiteDocument *site = ActiveSite(this)) RunCommand([site]() { site->ExtractFile(); });
}

void TMainForm::WebSiteViewFileExecute()
{
    if (ISiteDocument *site = ActiveSite(this)) RunCommand([site]() { site->ViewFile(); });
}

void TMainForm::WebSiteRemoveFileExecute()
{
    if (ISiteDocument *site = ActiveSite(this)) RunCommand([site]() { site->RemoveFile(); });
}

void TMainForm::WebSiteSendToVeltoExecute()
{
    TMDIChild *doc = ActiveDocument();
    if (!Connected || !doc || KindOf(doc) != DocKind::Site) return;
    RunCommand([&]() { doc->SendToVelto(ConnectedDevice); });
}

void TMainForm::WebSiteGetFromVeltoExecute()
{
    if (!Connected) return;
    const DocumentClass *cls = FindDocumentClass(DocKind::Site);
    if (!cls) return;
    TMDIChild *doc = CreateDocument(DocKind::Site);
    doc->New("noname" + std::to_string(NewFileCounter) + cls->Extension);
    NewFileCounter++;
    RunCommand([&]() { doc->GetFromVelto(ConnectedDevice); });
}

}  // namespace vxt
