#include "platform/ui/FileDialogs.h"

#include "platform/system/Registry.h"
#include "platform/ui/Dialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLayout>
#include <QLocale>
#include <QScreen>
#include <QTreeView>

#include <algorithm>
#include <array>

namespace {

// Where the platform's dialogs remember, per program, the folder last used.
constexpr const char* LastFolderKey = "\\Software\\Farovinter\\FileDialog";
constexpr const char* LastFolderName = "LastFolder";

enum Column { NameColumn, SizeColumn, TypeColumn, DateColumn };

QLocale Japanese()
{
    return {QLocale::Japanese, QLocale::Japan};
}

// Qt's file model writes sizes and dates in the system locale and calls a
// folder "Folder"; the dialog shows them in Japanese form.
class JapaneseColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || files == nullptr || index.column() == NameColumn)
            return QIdentityProxyModel::data(index, role);
        const QFileInfo info = files->fileInfo(mapToSource(index));
        switch (index.column()) {
        case SizeColumn:
            if (info.isDir())
                return QString();
            return Japanese().formattedDataSize(info.size(), 1, QLocale::DataSizeTraditionalFormat);
        case TypeColumn:
            if (info.isDir())
                return QStringLiteral("フォルダー");
            break;
        case DateColumn:
            return Japanese().toString(info.lastModified(), QLocale::ShortFormat);
        default:
            break;
        }
        return QIdentityProxyModel::data(index, role);
    }
};

// Asks before an existing file is replaced, through the replaceable message
// dialogs instead of Qt's own question.
class FileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (acceptMode() == AcceptSave && files.size() == 1 && QFileInfo(files.front()).isFile()) {
            const std::string text = files.front().toStdString() + " は既に存在します。\n上書きしますか?";
            if (MessageDlg(text, TMsgDlgType::mtWarning, mbYes | mbNo) != mrYes)
                return;
        }
        QFileDialog::accept();
    }
};

// The size, type and date columns wide enough for their longest usual text,
// and the dialog wider by what they gained, as far as the screen allows.
void WidenColumns(QFileDialog& dialog)
{
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (view == nullptr)
        return;
    const QFontMetrics metrics(view->font());
    const int padding = 3 * metrics.height();
    const QDateTime latest(QDate(2000, 12, 28), QTime(23, 58));
    const std::array<std::pair<Column, QString>, 3> widest{{
        {SizeColumn, Japanese().formattedDataSize(1023, 1, QLocale::DataSizeTraditionalFormat)},
        {TypeColumn, QStringLiteral("Windows BMP 画像")},
        {DateColumn, Japanese().toString(latest, QLocale::ShortFormat)},
    }};
    QHeaderView* header = view->header();
    int gained = 0;
    for (const auto& [column, text] : widest) {
        const int wanted = metrics.horizontalAdvance(text) + padding;
        gained += std::max(0, wanted - header->sectionSize(column));
        header->resizeSection(column, std::max(wanted, header->sectionSize(column)));
    }
    int width = dialog.width() + gained;
    if (const QScreen* screen = dialog.screen())
        width = std::min(width, screen->availableGeometry().width());
    dialog.resize(std::max(width, dialog.width()), dialog.height());
    // On a narrow screen the name column gives up what the others took.
    dialog.layout()->activate();
    const int excess = header->length() - view->viewport()->width();
    if (excess > 0)
        header->resizeSection(NameColumn, std::max(header->sectionSize(NameColumn) - excess, 8 * metrics.height()));
}

bool IsFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// The folder last used in this run, also when the registry cannot be written.
QString& LastFolder()
{
    static QString folder;
    return folder;
}

} // namespace

QStringList QtNameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& text = parts[i];
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        const QString list = patterns.join(QLatin1Char(' '));
        filters << (text.endsWith(QLatin1Char('(') + list + QLatin1Char(')')) ? text : text + " (" + list + ")");
    }
    return filters;
}

std::string TFileDialog::StartFolder() const
{
    const QString candidates[] = {
        QString::fromStdString(InitialDir),
        LastFolder(),
        QString::fromStdString(RegistryReadString(LastFolderKey, LastFolderName).value_or("")),
    };
    for (const QString& folder : candidates)
        if (IsFolder(folder))
            return QDir::cleanPath(QFileInfo(folder).absoluteFilePath()).toStdString();
    return QDir::homePath().toStdString();
}

bool TFileDialog::Execute()
{
    FileDialog dialog(FOwner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setProxyModel(new JapaneseColumns(&dialog));
    dialog.setAcceptMode(Saving() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(Saving() ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = QtNameFilters(Filter);
    dialog.setNameFilters(filters);
    if (FilterIndex >= 1 && FilterIndex <= filters.size())
        dialog.selectNameFilter(filters[FilterIndex - 1]);
    const QString start = QString::fromStdString(StartFolder());
    dialog.setDirectory(start);
    // The last name is offered again only in its own folder.
    const QFileInfo last(QString::fromStdString(FileName));
    if (!FileName.empty() && QDir::cleanPath(last.absolutePath()) == start)
        dialog.selectFile(last.absoluteFilePath());
    WidenColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    FileName = dialog.selectedFiles().front().toStdString();
    FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    LastFolder() = QFileInfo(dialog.selectedFiles().front()).absolutePath();
    // Remembering is a convenience: a registry that cannot be written changes nothing else.
    RegistryWriteString(LastFolderKey, LastFolderName, LastFolder().toStdString());
    return true;
}
