// The common open and save dialogs on Qt's own file dialog (the same on every
// desktop, and driven by keyboard and tests alike). Filters are given as the
// platform's "text|pattern|text|pattern" string; FilterIndex counts from 1.
// Sizes, types and dates are shown in Japanese form.
#pragma once

#include <QStringList>

#include <string>

class QWidget;

// Qt's name filters for a "text|pattern" list: "text (p1 p2)", the text alone
// when it already ends with its patterns; "*.*" stands for every file.
QStringList QtNameFilters(const std::string& filter);

class TFileDialog {
public:
    explicit TFileDialog(QWidget* owner) : FOwner(owner) {}
    virtual ~TFileDialog() = default;

    std::string Filter;
    int FilterIndex = 1;
    std::string FileName;
    std::string InitialDir;

    // Shows the dialog modally; on OK FileName and FilterIndex are those
    // chosen, and the file's folder is remembered in the user's registry.
    bool Execute();

    // Where the dialog opens: InitialDir, else the folder last used by any
    // file dialog (also in an earlier run), else the home folder; only
    // existing folders count, made absolute.
    std::string StartFolder() const;

protected:
    virtual bool Saving() const = 0;

private:
    QWidget* FOwner;
};

// Only existing files can be chosen.
class TOpenDialog : public TFileDialog {
public:
    using TFileDialog::TFileDialog;

protected:
    bool Saving() const override { return false; }
};

// Any name can be given; an existing file is replaced only after the user
// agreed in a message dialog, which tests can answer.
class TSaveDialog : public TFileDialog {
public:
    using TFileDialog::TFileDialog;

protected:
    bool Saving() const override { return true; }
};
