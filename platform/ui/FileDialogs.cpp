#include "platform/ui/FileDialogs.h"

#include "platform/ui/Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

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

bool TFileDialog::Execute()
{
    FileDialog dialog(FOwner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(Saving() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(Saving() ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = QtNameFilters(Filter);
    dialog.setNameFilters(filters);
    if (FilterIndex >= 1 && FilterIndex <= filters.size())
        dialog.selectNameFilter(filters[FilterIndex - 1]);
    if (!FileName.empty())
        dialog.selectFile(QString::fromStdString(FileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    FileName = dialog.selectedFiles().front().toStdString();
    FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
}
