#include "AppTestSupport.h"
#include "ModalDriver.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/Application.h"
#include "platform/ui/FileDialogs.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QObject>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace {

class Thrower : public QObject {
public:
    int kind = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        switch (kind) {
        case 0:
            throw EConvertError("Cannot assign a TFvDIB to a TPicture");
        case 1:
            throw EAbort();
        case 2:
            throw std::bad_alloc();
        default:
            throw std::runtime_error("plain");
        }
    }
};

TEST(Application, ExceptionsLeavingAnEventHandlerAreShownAndTheProgramGoesOn)
{
    CaptureMessages capture;
    Thrower thrower;
    for (int kind = 0; kind < 4; ++kind) {
        thrower.kind = kind;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&thrower, &event);
    }
    // The silent exception shows nothing.
    EXPECT_EQ(capture.Shown.Exceptions,
              (std::vector<std::string>{"Cannot assign a TFvDIB to a TPicture", "Out of memory", "plain"}));
}

TEST(Application, GuardedSlotsReportInsteadOfThrowing)
{
    CaptureMessages capture;
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, &button,
                     Guarded([](bool) { throw EInvalidOperation("Canvas does not allow drawing"); }));
    button.click();
    EXPECT_EQ(capture.Shown.Exceptions, std::vector<std::string>{"Canvas does not allow drawing"});
}

TEST(Application, PlainMessagesCarryTheTitleAndDialogsTheirType)
{
    CaptureMessages capture;
    capture.Shown.Answer = mrNo;
    ShowMessage("ファイルは存在しません");
    EXPECT_EQ(MessageDlg("現在のデータを破棄して開きますか？", TMsgDlgType::mtInformation, mbYes | mbNo), mrNo);
    ASSERT_EQ(capture.Shown.Dialogs.size(), 2u);
    EXPECT_EQ(capture.Shown.Dialogs[0].Caption, "Farovinter ぽるてぃか");
    EXPECT_EQ(capture.Shown.Dialogs[1].Caption, "Information");
    EXPECT_EQ(capture.Shown.Dialogs[1].Buttons, mbYes | mbNo);
}

TEST(Application, QtsOwnDialogsSpeakJapaneseWhateverTheLocale)
{
    QMessageBox box;
    EXPECT_EQ(box.addButton(QMessageBox::Yes)->text().toStdString(), "はい(&Y)");
    EXPECT_EQ(box.addButton(QMessageBox::No)->text().toStdString(), "いいえ(&N)");
    TOpenDialog open(nullptr);
    std::string accept, reject, name;
    WhenShown<QFileDialog>([&](QFileDialog& d) {
        accept = d.labelText(QFileDialog::Accept).toStdString();
        reject = d.labelText(QFileDialog::Reject).toStdString();
        name = d.labelText(QFileDialog::FileName).toStdString();
        d.reject();
    });
    EXPECT_FALSE(open.Execute());
    EXPECT_EQ(accept, "開く(&O)");
    EXPECT_EQ(reject, "キャンセル");
    EXPECT_EQ(name, "ファイル名(&N):");
}

} // namespace
