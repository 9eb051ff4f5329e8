// The web-site document: one container (.kws) of the device's web pages, its files listed with the
// share of the capacity they use; files are added, extracted, viewed and removed here, and the
// whole container is sent to or fetched from the device through the FTP transfer dialog.
#pragma once

#include "ChildWin.h"
#include "DocumentInterfaces.h"
#include "VeltoSite.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace vxt {

class TMDISite : public TMDIChild, public ISiteDocument {
    Q_OBJECT
public:
    explicit TMDISite(QWidget *parent = nullptr);
    ~TMDISite() override;

    void New(const std::string &fileName) override;
    void Open(const std::string &fileName) override;
    void OpenContent(const std::string &fileName, const std::string &content) override;
    bool GetFromVelto(const TDeviceData &device) override;
    bool UpdateFile() override;
    bool SaveAs() override;
    bool SendToVelto(const TDeviceData &device) override;
    bool HasSelectedItem() const override;

    void AddFile() override;
    void ExtractFile() override;
    void ViewFile() override;
    void RemoveFile() override;
    // The checks of adding and the adding itself, for files chosen in the add dialog.
    void AddFiles(const std::vector<std::string> &files);

    void RefreshFileList();
    void RefreshSiteInfo();
    void lstFilesSelectItem();
    void FormShow();

    std::unique_ptr<TVeltoSite> Site;   // the container; always present

    QTableWidget *lstFiles;
    QPushButton *btnAddFile, *btnExtractFile, *btnViewFile, *btnRemoveFile;
    QLabel *stFileused;
    QProgressBar *prgTotalUsed;
    QLabel *stMaximumSize, *stRequiredSize, *stBytesLeft, *stTotalFiles;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Shows the container `load` gives, or the reason it cannot be opened.
    void Load(const std::string &fileName, const std::function<std::unique_ptr<TVeltoSite>()> &load);
    int SelectedRow() const;
    std::string RowName(int row) const;
    uint32_t RowSize(int row) const;

    bool loaded_ = false;   // New or Open has given the document its content
    bool shown_ = false;
};

}  // namespace vxt
