// The base of every document window: a configuration or a web site shown inside the main window.
#pragma once

#include "VXTTypes.h"

#include <QMdiSubWindow>
#include <optional>
#include <string>

namespace vxt {

class TMDIChild : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TMDIChild(QWidget *parent = nullptr);
    ~TMDIChild() override;

    // The operations every document kind supplies, in this order.
    virtual void New(const std::string &fileName) = 0;
    virtual void Open(const std::string &fileName) = 0;
    // Open from the file's content, read already by the caller.
    virtual void OpenContent(const std::string &fileName, const std::string &content) = 0;
    virtual bool GetFromVelto(const TDeviceData &device) = 0;
    virtual bool UpdateFile() = 0;
    virtual bool Save();
    virtual bool SaveAs() = 0;
    virtual bool SendToVelto(const TDeviceData &device) = 0;
    virtual void OnClose();
    virtual bool OnCloseQuery();

    // The save dialog of this document: its filter ("Desc (*.ext)|*.ext") and default extension.
    std::optional<std::string> dlgSaveFileExecute(const std::string &filter, const std::string &defaultExt);

    std::string FileName;
    bool Saved = true;
    bool Named = false;

    // The main window asked every document already; close without asking again.
    void CloseConfirmed();

    // The caption without the modified mark.
    void SetCaption(const std::string &caption);

    // What the main window's update rules ask of a document.
    virtual bool TagsPageActive() const { return false; }
    virtual bool HasSelectedItem() const { return false; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool closeConfirmed_ = false;
};

}  // namespace vxt
