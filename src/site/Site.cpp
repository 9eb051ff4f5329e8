#include "Site.h"

#include "Command.h"
#include "FileDialog.h"
#include "FileUtils.h"
#include "FileViewer.h"
#include "MsgBox.h"
#include "NumFormat.h"
#include "QtStr.h"
#include "StrUtils.h"
#include "TransferSite.h"
#include "Utiles.h"

#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace vxt {

namespace {

const char kCaption[] = "Velto Web Site - ";
const char kAddFilter[] =
    "All Files (*.*)|*.*|HTML Files (*.html)|*.html|HTM Files (*.htm)|*.htm|SSI Web Page (*.shtml)|*.shtml|GIF "
    "Files (*.gif)|*.gif|JPEG Files (*.jpg)|*.jpg|Text Files (*.txt)|*.txt";
constexpr int kMaxNameChars = 16;
constexpr int kCostPerFile = 30;

template <typename T>
T *WithName(T *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel *Box(const char *name)
{
    auto *l = WithName(new QLabel, name);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

}  // namespace

TMDISite::TMDISite(QWidget *parent) : TMDIChild(parent), Site(std::make_unique<TVeltoSite>(std::string()))
{
    setObjectName(QStringLiteral("MDISite"));
    auto *client = new QWidget;
    client->setObjectName(QStringLiteral("SiteClient"));

    // Files
    auto *files = WithName(new QGroupBox(QStringLiteral("Files")), "grpFiles");
    lstFiles = WithName(new QTableWidget(0, 2), "lstFiles");
    lstFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    lstFiles->setShowGrid(true);
    lstFiles->setWordWrap(false);
    lstFiles->verticalHeader()->hide();
    lstFiles->verticalHeader()->setDefaultSectionSize(lstFiles->fontMetrics().height() + 4);
    lstFiles->horizontalHeader()->setHighlightSections(false);
    lstFiles->horizontalHeader()->setStretchLastSection(false);
    auto *h0 = new QTableWidgetItem(QStringLiteral("Filename"));
    h0->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto *h1 = new QTableWidgetItem(QStringLiteral("Size"));
    h1->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lstFiles->setHorizontalHeaderItem(0, h0);
    lstFiles->setHorizontalHeaderItem(1, h1);
    lstFiles->setColumnWidth(0, 110);
    lstFiles->setColumnWidth(1, 60);
    lstFiles->setMinimumWidth(110 + 60 + lstFiles->frameWidth() * 2 + 22);
    // The selection stays visible when the list loses the focus.
    QPalette pal = lstFiles->palette();
    pal.setBrush(QPalette::Inactive, QPalette::Highlight, pal.brush(QPalette::Active, QPalette::Highlight));
    pal.setBrush(QPalette::Inactive, QPalette::HighlightedText, pal.brush(QPalette::Active, QPalette::HighlightedText));
    lstFiles->setPalette(pal);

    btnAddFile = WithName(new QPushButton(QStringLiteral("&Add File(s)...")), "btnAddFile");
    btnExtractFile = WithName(new QPushButton(QStringLiteral("&Extract File...")), "btnExtractFile");
    btnViewFile = WithName(new QPushButton(QStringLiteral("View File...")), "btnViewFile");
    btnRemoveFile = WithName(new QPushButton(QStringLiteral("&Remove File")), "btnRemoveFile");
    stFileused = Box("stFileused");
    stFileused->setAlignment(Qt::AlignCenter);
    auto *fileButtons = new QVBoxLayout;
    for (QPushButton *b : {btnAddFile, btnExtractFile, btnViewFile, btnRemoveFile}) {
        b->setAutoDefault(false);
        fileButtons->addWidget(b);
    }
    fileButtons->addStretch();
    fileButtons->addWidget(new QLabel(QStringLiteral("% used by file")));
    fileButtons->addWidget(stFileused);
    auto *filesLayout = new QHBoxLayout(files);
    filesLayout->addWidget(lstFiles, 1);
    filesLayout->addLayout(fileButtons);

    // Site Information
    auto *info = WithName(new QGroupBox(QStringLiteral("Site Information")), "grpSiteInformation");
    prgTotalUsed = WithName(new QProgressBar, "prgTotalUsed");
    prgTotalUsed->setOrientation(Qt::Vertical);
    prgTotalUsed->setRange(0, 100);
    prgTotalUsed->setTextVisible(false);
    prgTotalUsed->setFixedWidth(22);
    auto *bar = new QVBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("100%")), 0, Qt::AlignHCenter);
    bar->addWidget(prgTotalUsed, 1, Qt::AlignHCenter);
    bar->addWidget(new QLabel(QStringLiteral("0%")), 0, Qt::AlignHCenter);
    stMaximumSize = Box("stMaximumSize");
    stRequiredSize = Box("stRequiredSize");
    stBytesLeft = Box("stBytesLeft");
    stTotalFiles = Box("stTotalFiles");
    auto *boxes = new QVBoxLayout;
    const char *captions[] = {"Maximum Site Size", "Required Size", "Bytes Left", "Total files in Site"};
    QLabel *infoBoxes[] = {stMaximumSize, stRequiredSize, stBytesLeft, stTotalFiles};
    for (int i = 0; i < 4; ++i) {
        boxes->addWidget(new QLabel(QString::fromLatin1(captions[i])));
        boxes->addWidget(infoBoxes[i]);
    }
    boxes->addStretch();
    auto *infoLayout = new QHBoxLayout(info);
    infoLayout->addLayout(bar);
    infoLayout->addLayout(boxes, 1);
    // Room for the widest texts: a full container's size with its share.
    stRequiredSize->setMinimumWidth(stRequiredSize->fontMetrics().horizontalAdvance(
                                        QStringLiteral("1572864 bytes (100.00%)")) +
                                    12);

    auto *layout = new QHBoxLayout(client);
    layout->addWidget(files, 1);
    layout->addWidget(info);
    client->setMinimumSize(547, 335);
    setWidget(client);
    resize(sizeHint().expandedTo(QSize(547, 335)));

    connect(lstFiles, &QTableWidget::itemSelectionChanged, this, &TMDISite::lstFilesSelectItem);
    ConnectCommand(btnAddFile, &QPushButton::clicked, this, &TMDISite::AddFile);
    ConnectCommand(btnExtractFile, &QPushButton::clicked, this, &TMDISite::ExtractFile);
    ConnectCommand(btnViewFile, &QPushButton::clicked, this, &TMDISite::ViewFile);
    ConnectCommand(btnRemoveFile, &QPushButton::clicked, this, &TMDISite::RemoveFile);

    RefreshFileList();
    RefreshSiteInfo();
    FormShow();
}

TMDISite::~TMDISite() { Site.reset(); }

void TMDISite::showEvent(QShowEvent *event)
{
    TMDIChild::showEvent(event);
    if (!shown_) {
        shown_ = true;
        // The frame is known only now: the client area gets its full size.
        resize(sizeHint().expandedTo(minimumSizeHint()));
        FormShow();
    }
}

void TMDISite::FormShow()
{
    lstFiles->clearSelection();
    for (QPushButton *b : {btnExtractFile, btnViewFile, btnRemoveFile}) b->setEnabled(false);
    stFileused->clear();
}

int TMDISite::SelectedRow() const
{
    const QList<QTableWidgetItem *> sel = lstFiles->selectedItems();
    return sel.isEmpty() ? -1 : sel.first()->row();
}

bool TMDISite::HasSelectedItem() const { return SelectedRow() >= 0; }

std::string TMDISite::RowName(int row) const { return Site->GetEntry(row).Name; }

uint32_t TMDISite::RowSize(int row) const { return Site->GetEntry(row).Size; }

void TMDISite::RefreshFileList()
{
    lstFiles->clearSelection();
    lstFiles->setRowCount(0);
    const int n = Site->FileCount();
    lstFiles->setRowCount(n);
    for (int i = 0; i < n; ++i) {
        const TSiteSubHeader e = Site->GetEntry(i);
        lstFiles->setItem(i, 0, new QTableWidgetItem(QShown(e.Name)));
        auto *size = new QTableWidgetItem(QString::number(e.Size));
        size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lstFiles->setItem(i, 1, size);
    }
    lstFilesSelectItem();
}

void TMDISite::RefreshSiteInfo()
{
    const int32_t s = Site->Size();
    const double share = double(s) * 100.0 / TVeltoSite::kCapacity;
    stMaximumSize->setText(QStr(Format("%d bytes", TVeltoSite::kCapacity)));
    stRequiredSize->setText(QStr(Format("%d bytes (", s) + FloatToFixed(share, 2) + "%)"));
    stBytesLeft->setText(QStr(Format("%d bytes", Site->FreeSpace())));
    prgTotalUsed->setValue(std::clamp(int(std::lround(share)), 0, 100));
    stTotalFiles->setText(QStr(Format("%d file(s)", Site->FileCount())));
}

void TMDISite::lstFilesSelectItem()
{
    const int row = SelectedRow();
    for (QPushButton *b : {btnExtractFile, btnViewFile, btnRemoveFile}) b->setEnabled(row >= 0);
    if (row < 0) {
        stFileused->clear();
        return;
    }
    stFileused->setText(QStr(FloatToFixed(double(RowSize(row)) * 100.0 / Site->Size(), 2) + "%"));
}

void TMDISite::New(const std::string &fileName)
{
    SetCaption(kCaption + fileName);
    FileName = GetAppDir() + fileName;
    // Empty whatever lies on disk under that name: a new document starts with no files.
    Site = std::make_unique<TVeltoSite>(std::string());
    Site->FileName = FileName;
    RefreshFileList();
    RefreshSiteInfo();
    Saved = true;
    Named = false;
    loaded_ = true;
}

void TMDISite::Open(const std::string &fileName)
{
    if (!FileExists(fileName)) return;
    Load(fileName, [&] { return std::make_unique<TVeltoSite>(fileName); });
}

void TMDISite::OpenContent(const std::string &fileName, const std::string &content)
{
    Load(fileName, [&] { return std::make_unique<TVeltoSite>(fileName, content); });
}

void TMDISite::Load(const std::string &fileName, const std::function<std::unique_ptr<TVeltoSite>()> &load)
{
    std::unique_ptr<TVeltoSite> opened;
    try {
        opened = load();
        opened->CheckLayout();
    } catch (const std::exception &e) {
        ShowError(Format("The File \"%s\" cannot be opened as a Velto Web Site.\r\n%s", fileName.c_str(), e.what()));
        // A window made only to show this file has nothing to show.
        if (!loaded_) close();
        return;
    }
    Site = std::move(opened);
    SetCaption(kCaption + fileName);
    FileName = fileName;
    Saved = true;
    Named = true;
    loaded_ = true;
    RefreshFileList();
    RefreshSiteInfo();
}

bool TMDISite::UpdateFile()
{
    Site->SaveToFile();
    Saved = true;
    return true;
}

bool TMDISite::SaveAs()
{
    const std::optional<std::string> name = dlgSaveFileExecute("Velto Web Site (*.kws)|*.kws", "kws");
    if (!name) return false;
    // The names change only once the file is written: a failed save leaves the document as it was.
    const std::string previous = Site->FileName;
    Site->FileName = *name;
    try {
        UpdateFile();
    } catch (...) {
        Site->FileName = previous;
        throw;
    }
    FileName = *name;
    Named = true;
    SetCaption(kCaption + *name);
    return true;
}

bool TMDISite::SendToVelto(const TDeviceData &device)
{
    if (MessageDlg("Sending this Web Site to Velto will overwrite current Device Web Site.\r\nAre you sure to Send "
                   "this Web Site to Connected Velto?",
                   MsgKind::Warning, mbYesNo) != MsgResult::Yes)
        return true;
    if (!frmTransferSite) return true;
    std::string stream = Site->Bytes();
    frmTransferSite->Stream = &stream;
    frmTransferSite->Device = device;
    frmTransferSite->Direction = 1;
    frmTransferSite->exec();
    frmTransferSite->Stream = nullptr;
    return true;
}

bool TMDISite::GetFromVelto(const TDeviceData &device)
{
    if (!frmTransferSite) return true;
    std::string stream;
    frmTransferSite->Stream = &stream;
    frmTransferSite->Device = device;
    frmTransferSite->Direction = 0;
    frmTransferSite->exec();
    frmTransferSite->Stream = nullptr;
    if (!frmTransferSite->Completed) return true;
    TVeltoSite received{std::string()};
    received.LoadFromBytes(stream);
    try {
        received.CheckLayout();
    } catch (const ESiteError &e) {
        ShowError(std::string("The Web Site received from Velto cannot be used.\r\n") + e.what());
        return true;
    }
    Site->LoadFromBytes(stream);
    RefreshFileList();
    RefreshSiteInfo();
    Saved = false;
    return true;
}

void TMDISite::AddFile()
{
    const std::vector<std::string> chosen = GetOpenFileNames(this, "Select Files to Add", kAddFilter);
    if (chosen.empty()) return;
    AddFiles(chosen);
}

void TMDISite::AddFiles(const std::vector<std::string> &files)
{
    if (files.empty()) return;
    for (const std::string &f : files) {
        const std::string name = ExtractFileName(f);
        if (name.size() >= size_t(kMaxNameChars + 1)) {
            MessageDlg(Format("The Name of the File \"%s\" is to Large for Velto Web Server.\r\nThe filename must be "
                              "shorter than 17 characters including its extension,\r\n\r\nNo files have been Added.",
                              name.c_str()),
                       MsgKind::Warning, mbOK);
            return;
        }
    }
    for (const std::string &f : files) {
        const std::string name = ExtractFileName(f);
        if (Site->FileExists(name)) {
            MessageDlg(Format("The File \"%s\" already exists in the Velto Web Site.\r\n\r\nNo files have been Added.",
                              name.c_str()),
                       MsgKind::Warning, mbOK);
            return;
        }
    }
    // The bytes read count, not the size the system reports (files of /proc report 0); no file is
    // read further than the room left.
    const int32_t free = Site->FreeSpace();
    std::vector<std::string> data;
    int64_t need = 0;
    for (const std::string &f : files) {
        const int64_t room = std::max<int64_t>(free - need - kCostPerFile, 0);
        data.push_back(ReadFileHead(f, size_t(room) + 1));
        need += int64_t(data.back().size()) + kCostPerFile;
        if (free < need) {
            MessageDlg(Format("There is no room enough in Velto Web Site file for the File(s) you selected.\r\nThe "
                              "total size of the selected File(s) must be less than %d bytes at this moment.\r\n\r\n"
                              "No files have been Added.\r\n\r\nNote: Each file needs 30 bytes plus the file size "
                              "in Velto Web Site.",
                              free),
                       MsgKind::Warning, mbOK);
            return;
        }
    }
    // A file the container refuses stops the adding; what was added before it stays, and shows.
    const int before = Site->FileCount();
    try {
        for (size_t i = 0; i < files.size(); ++i) Site->AddFile(files[i], data[i]);
    } catch (...) {
        if (Site->FileCount() != before) Saved = false;
        RefreshFileList();
        RefreshSiteInfo();
        throw;
    }
    RefreshFileList();
    RefreshSiteInfo();
    Saved = false;
}

void TMDISite::ExtractFile()
{
    const int row = SelectedRow();
    if (row < 0) return;
    const std::string name = RowName(row);
    const std::optional<std::string> dest =
        GetSaveFileName(this, "Extract File As", "All Files (*.*)|*.*", StoredNameAsFileName(name));
    if (!dest) return;
    Site->ExtractFile(name, *dest);
}

void TMDISite::ViewFile()
{
    const int row = SelectedRow();
    if (row < 0 || !frmFileViewer) return;
    const std::string name = RowName(row);
    // A folder of our own, readable by us alone and removed with everything in it.
    const QString pattern = QDir::tempPath() + QStringLiteral("/vxt-view-XXXXXX");
    QTemporaryDir dir(pattern);
    if (!dir.isValid())
        throw EFileError("Cannot create a temporary folder to view the file.\r\n\"" + StdPath(pattern) +
                         "\": " + dir.errorString().toStdString());
    const QString tmp = dir.filePath(QStringLiteral("view.tmp"));
    struct Remove {
        QString path;
        ~Remove() { QFile::remove(path); }
    } remove{tmp};
    QFile::remove(tmp);
    Site->ExtractFile(name, StdPath(tmp));
    frmFileViewer->FileName = StdPath(tmp);
    frmFileViewer->Title = name;
    frmFileViewer->exec();
}

void TMDISite::RemoveFile()
{
    const int row = SelectedRow();
    if (row < 0) return;
    const std::string name = RowName(row);
    if (MessageDlg(Format("Are you sure to Remove the File \"%s\" from Velto Web Site?", name.c_str()),
                   MsgKind::Confirmation, mbYesNo) != MsgResult::Yes)
        return;
    Site->RemoveFile(name);
    RefreshFileList();
    RefreshSiteInfo();
    Saved = false;
}

}  // namespace vxt
