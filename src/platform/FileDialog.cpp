#include "FileDialog.h"

#include "FileUtils.h"
#include "MsgBox.h"
#include "QtStr.h"
#include "StrUtils.h"

#include <QFileDialog>
#include <QStringList>
#include <sys/stat.h>

namespace vxt {

namespace {

struct Next {
    bool set = false;
    std::optional<std::string> name;
    bool setMany = false;
    std::vector<std::string> names;
};

Next &NextName()
{
    static Next n;
    return n;
}

bool TakeNext(std::optional<std::string> &out)
{
    if (!NextName().set) return false;
    out = NextName().name;
    NextName().set = false;
    NextName().name.reset();
    return true;
}

// Qt reads a filter's patterns from its last brackets. Each filter is given to Qt as the text to show
// followed by the patterns to apply, and the dialogs hide that second part.
// "*.*" means every file, as the filter texts intend; to Qt it would skip names without a dot.
QString QtFilter(const std::string &filter)
{
    const QStringList parts = QStr(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString mask = parts[i + 1];
        mask.replace(QLatin1Char(';'), QLatin1Char(' '));
        QStringList patterns = mask.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (QString &p : patterns)
            if (p == QStringLiteral("*.*")) p = QStringLiteral("*");
        const QString shown =
            parts[i].contains(QLatin1Char('(')) ? parts[i] : parts[i] + QStringLiteral(" (") + mask + QLatin1Char(')');
        out << shown + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

constexpr QFileDialog::Options kOptions = QFileDialog::HideNameFilterDetails;

}  // namespace

std::optional<std::string> GetOpenFileName(QWidget *parent, const std::string &title, const std::string &filter,
                                           const std::string &initialName)
{
    std::optional<std::string> r;
    if (TakeNext(r)) return r;
    QString f = QFileDialog::getOpenFileName(parent, QStr(title), QPath(initialName), QtFilter(filter),
                                             nullptr, kOptions);
    if (f.isEmpty()) return std::nullopt;
    return StdPath(f);
}

std::vector<std::string> GetOpenFileNames(QWidget *parent, const std::string &title, const std::string &filter)
{
    if (NextName().setMany) {
        std::vector<std::string> r = std::move(NextName().names);
        NextName().setMany = false;
        NextName().names.clear();
        return r;
    }
    std::vector<std::string> r;
    for (const QString &f :
         QFileDialog::getOpenFileNames(parent, QStr(title), QString(), QtFilter(filter), nullptr, kOptions))
        r.push_back(StdPath(f));
    return r;
}

namespace {

// Qt would ask by the name's text, which cannot tell the bytes of a name written by another
// system; the question asks about the bytes that will be written, whatever lies there. For a link
// the user is told which file the save will write.
bool MayReplace(const std::string &path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return true;
    const std::string name = ExtractFileName(path), target = LinkTarget(path);
    const std::string question =
        S_ISLNK(st.st_mode) && target != path
            ? Format("%s already exists as a link to \"%s\".\r\nDo you want to write that file?", name.c_str(),
                     target.c_str())
            : Format("%s already exists.\r\nDo you want to replace it?", name.c_str());
    return MessageDlg(question, MsgKind::Warning, mbYesNo) == MsgResult::Yes;
}

}  // namespace

std::optional<std::string> GetSaveFileName(QWidget *parent, const std::string &title, const std::string &filter,
                                           const std::string &initialName, const std::string &defaultExt)
{
    std::optional<std::string> r;
    if (TakeNext(r)) return r;
    QString start = QPath(initialName);
    for (;;) {
        QFileDialog dlg(parent, QStr(title), start, QtFilter(filter));
        dlg.setOptions(kOptions | QFileDialog::DontConfirmOverwrite);
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        if (!defaultExt.empty()) dlg.setDefaultSuffix(QStr(defaultExt));
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
        start = dlg.selectedFiles().first();
        const std::string chosen = StdPath(start);
        if (MayReplace(chosen)) return chosen;
    }
}

void SetNextFileName(std::optional<std::string> name)
{
    NextName().set = true;
    NextName().name = std::move(name);
}

void SetNextFileNames(std::vector<std::string> names)
{
    NextName().setMany = true;
    NextName().names = std::move(names);
}

void ClearNextFileName() { NextName() = Next{}; }

}  // namespace vxt
