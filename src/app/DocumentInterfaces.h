// What the main window's Configuration and Web Site commands ask of the documents. The documents
// live in libraries above the main window, so it reaches them through these interfaces.
#pragma once

#include <string>

namespace vxt {

// A gateway configuration document with its tag list and its family's tag dialog.
class IConfigDocument {
public:
    virtual ~IConfigDocument() = default;
    virtual int GetTagCount() const = 0;
    virtual int SelectedTagIndex() const = 0;            // -1 without a selected row
    virtual std::string TagName(int index) const = 0;    // the row's caption
    virtual bool TagExists(const std::string &name, int exceptIndex) const = 0;
    // Loads row `index` into the family's tag dialog (its `Tag`); raises when the row's texts do not convert.
    virtual void LoadTagIntoEditor(int index) = 0;
    // Shows the family's tag dialog with `EditMode` 0 (cleared) or 1 (from its `Tag`); true on OK.
    virtual bool ShowTagEditor(int editMode) = 0;
    virtual std::string EditorTagName() const = 0;       // the name of the dialog's `Tag`
    virtual void AddEditorTagToList() = 0;               // `AddTagToList` of the dialog's `Tag`
    virtual void ReplaceSelectedWithEditorTag() = 0;     // `ReplaceSelectedTag` of the dialog's `Tag`
    virtual void DeleteSelectedTag() = 0;
};

// A web-site document and its file commands.
class ISiteDocument {
public:
    virtual ~ISiteDocument() = default;
    virtual void AddFile() = 0;
    virtual void ExtractFile() = 0;
    virtual void ViewFile() = 0;
    virtual void RemoveFile() = 0;
};

}  // namespace vxt
