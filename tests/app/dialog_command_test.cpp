#include "AppTestSupport.h"
#include "MenuTestSupport.h"
#include "app/DialogCommand.h"
#include "effects/LookupTables.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A dialog that closes itself with the result a test asks for once its modal loop runs.
class TTestForm : public TForm {
public:
    static inline int NextResult = mrOk;
    static inline int Alive = 0;

    explicit TTestForm(QWidget* owner) : TForm(owner)
    {
        ++Alive;
        QTimer::singleShot(0, this, [this] { SetModalResult(NextResult); });
    }
    ~TTestForm() override { --Alive; }

    TFvDIB bmp;
    int Value = 7;
};

TTestForm* TestForm = nullptr;

struct Fixture : TOpenedWindow {
    Fixture() : TOpenedWindow("dialog", 9, 5) {}
};

TEST(DialogCommand, OkAppliesWithTheDialogsValuesAndTimes)
{
    Fixture f;
    TTestForm::NextResult = mrOk;
    int seenValue = 0;
    RunDialogCommand(f.form, TestForm,
                     TDialogRow<TTestForm>{.Apply = [&](TTestForm& dialog) {
                         // The dialog is reachable through its variable while the command runs.
                         EXPECT_EQ(&dialog, TestForm);
                         seenValue = dialog.Value;
                         Negative(*CurrentImage);
                     }});
    EXPECT_EQ(seenValue, 7);
    EXPECT_EQ(TestForm, nullptr);
    EXPECT_EQ(TTestForm::Alive, 0);
    TFvDIB expected;
    expected.Assign(&f.original);
    Negative(expected);
    EXPECT_EQ(PixelBytes(*CurrentImage), PixelBytes(expected));
    EXPECT_TRUE(f.form.PanelText(3).endsWith(" ms"));
    EXPECT_EQ(f.form.Document().Count(), 2u);
    EXPECT_TRUE(f.form.Document().ChangeFlag);
}

TEST(DialogCommand, CancelAppliesNothingAndShowsTheDocumentOnlyWhenTheRowSaysAlways)
{
    for (const TViewAfter view : {TViewAfter::Applied, TViewAfter::Always}) {
        Fixture f;
        TTestForm::NextResult = mrCancel;
        bool applied = false;
        RunDialogCommand(f.form, TestForm,
                         TDialogRow<TTestForm>{.Apply = [&](TTestForm&) { applied = true; }, .View = view});
        EXPECT_FALSE(applied);
        EXPECT_EQ(TestForm, nullptr);
        EXPECT_EQ(TTestForm::Alive, 0);
        EXPECT_EQ(f.form.PanelText(3), "");
        EXPECT_EQ(f.form.Document().Count(), 1u);
        EXPECT_EQ(f.form.Document().ChangeFlag, view == TViewAfter::Always);
        EXPECT_EQ(PixelBytes(*CurrentImage), PixelBytes(f.original));
    }
}

TEST(DialogCommand, PreviewResultIsTakenWithItsTimeWithoutComputingAgain)
{
    Fixture f;
    TTestForm::NextResult = mrPreviewed;
    bool applied = false;
    TFvDIB previewed;
    RunDialogCommand(f.form, TestForm,
                     TDialogRow<TTestForm>{.Apply = [&](TTestForm&) { applied = true; },
                                           .Preview = [&](TTestForm& dialog) {
                                               FillImage(dialog.bmp, 3, 4);
                                               previewed.Assign(&dialog.bmp);
                                               return TPreviewResult{dialog.bmp, 42};
                                           }});
    EXPECT_FALSE(applied);
    EXPECT_EQ(TestForm, nullptr);
    EXPECT_EQ(PixelBytes(*CurrentImage), PixelBytes(previewed));
    EXPECT_EQ(f.form.PanelText(3), "42 ms");
    EXPECT_EQ(f.form.Document().Count(), 2u);
    EXPECT_TRUE(f.form.Document().ChangeFlag);
}

TEST(DialogCommand, EngineFailureLeavesNoTraceButTheMessageAndFreesTheDialog)
{
    Fixture f;
    TTestForm::NextResult = mrOk;
    // As from a menu item: the handler reports the exception and the program goes on.
    Guarded([&] {
        RunDialogCommand(f.form, TestForm,
                         TDialogRow<TTestForm>{.Apply = [](TTestForm&) { throw Exception("Source bitmap too small"); },
                                               .View = TViewAfter::Always,
                                               .Refit = true});
    })();
    EXPECT_EQ(f.capture.Shown.Exceptions, std::vector<std::string>{"Source bitmap too small"});
    EXPECT_EQ(TestForm, nullptr);
    EXPECT_EQ(TTestForm::Alive, 0);
    EXPECT_EQ(f.form.PanelText(3), "");
    EXPECT_EQ(f.form.Document().Count(), 1u);
    EXPECT_FALSE(f.form.Document().ChangeFlag);
    EXPECT_EQ(PixelBytes(*CurrentImage), PixelBytes(f.original));
}

TEST(DialogCommand, OnlyTheSizeRowRefitsTheWindowAndOnlyAfterOk)
{
    Fixture f;
    f.form.show();
    TTestForm::NextResult = mrOk;
    const auto grow = [](TTestForm&) { CurrentImage->SetSize(500, 400); };
    RunDialogCommand(f.form, TestForm, TDialogRow<TTestForm>{.Apply = grow});
    const QSize kept = f.form.size();
    RunDialogCommand(f.form, TestForm, TDialogRow<TTestForm>{.Apply = grow, .Refit = true});
    EXPECT_NE(f.form.size(), kept);
    EXPECT_EQ(f.form.width(), 505);
}

// The form itself: buttons, Esc, Enter and the close box end it with their results.
TEST(Form, ButtonsKeysAndTheCloseBoxGiveTheirModalResults)
{
    TForm form(nullptr);
    // Enter reaches the default button from any other control.
    auto* edit = new QLineEdit(&form);
    auto* ok = new QPushButton("OK(&O)", &form);
    auto* cancel = new QPushButton("キャンセル(&C)", &form);
    ok->move(0, 0);
    cancel->move(0, 40);
    form.SetButtonModalResult(ok, mrOk);
    form.SetButtonModalResult(cancel, mrCancel);
    form.SetDefaultButton(ok);
    const auto showThen = [&](auto act) {
        QTimer::singleShot(0, &form, act);
        return form.ShowModal();
    };
    EXPECT_EQ(showThen([&] { cancel->click(); }), mrCancel);
    EXPECT_EQ(showThen([&] { ok->click(); }), mrOk);
    EXPECT_EQ(showThen([&] {
                  edit->setFocus();
                  QTest::keyClick(edit, Qt::Key_Return);
              }),
              mrOk);
    EXPECT_EQ(showThen([&] { form.close(); }), mrCancel);
    // Esc does nothing until there is a cancel button.
    EXPECT_EQ(showThen([&] {
                  QTest::keyClick(&form, Qt::Key_Escape);
                  EXPECT_TRUE(form.isVisible());
                  form.SetCancelButton(cancel);
                  QTest::keyClick(&form, Qt::Key_Escape);
              }),
              mrCancel);
    // A result of 0 keeps the form open.
    EXPECT_EQ(showThen([&] {
                  form.SetModalResult(0);
                  EXPECT_TRUE(form.isVisible());
                  form.SetModalResult(mrPreviewed);
              }),
              mrPreviewed);
}

// Counts what activation runs.
class TActivatedForm : public TForm {
public:
    using TForm::TForm;
    int Activated = 0;
    int Deactivated = 0;
    void FormActivate() override { ++Activated; }
    void FormDeactivate() override { ++Deactivated; }
};

TEST(Form, AnotherApplicationsFocusNeitherDeactivatesNorActivatesAgain)
{
    TActivatedForm form(nullptr);
    form.show();
    QApplication::setActiveWindow(&form);
    EXPECT_EQ(form.Activated, 1);
    // The focus leaves for another application's window and comes back.
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(&form);
    EXPECT_EQ(std::pair(form.Activated, form.Deactivated), std::pair(1, 0));
    // Closing ends the activation once.
    form.hide();
    QApplication::setActiveWindow(nullptr);
    EXPECT_EQ(std::pair(form.Activated, form.Deactivated), std::pair(1, 1));
    // A form closed while another is active had nothing to end.
    TActivatedForm other(nullptr);
    other.show();
    form.show();
    QApplication::setActiveWindow(&other);
    form.hide();
    EXPECT_EQ(std::pair(form.Activated, form.Deactivated), std::pair(1, 1));
}

TEST(Form, DialogBorderFixesTheSizeAndScreenCentrePlacesIt)
{
    TForm form(nullptr);
    form.resize(200, 100);
    form.SetBorderStyle(TFormBorderStyle::bsDialog);
    form.SetPosition(TFormPosition::poScreenCenter);
    QTimer::singleShot(0, &form, [&] { form.SetModalResult(mrOk); });
    form.ShowModal();
    EXPECT_EQ(form.minimumSize(), QSize(200, 100));
    EXPECT_EQ(form.maximumSize(), QSize(200, 100));
    const QRect screen = form.screen()->geometry();
    EXPECT_EQ(form.pos(), QPoint(screen.x() + (screen.width() - 200) / 2, screen.y() + (screen.height() - 100) / 2));

    // A designed position is kept.
    TForm designed(nullptr);
    designed.resize(200, 100);
    designed.move(37, 41);
    QTimer::singleShot(0, &designed, [&] { designed.SetModalResult(mrOk); });
    EXPECT_EQ(designed.ShowModal(), mrOk);
    EXPECT_EQ(designed.pos(), QPoint(37, 41));
    // A second showing starts without the first one's result.
    QTimer::singleShot(0, &designed, [&] { designed.hide(); });
    EXPECT_EQ(designed.ShowModal(), mrNone);

    // Centred on the window of its owner.
    QWidget owner;
    owner.setGeometry(40, 30, 600, 400);
    owner.show();
    TForm centred(&owner);
    centred.resize(200, 100);
    centred.SetPosition(TFormPosition::poMainFormCenter);
    QTimer::singleShot(0, &centred, [&] { centred.SetModalResult(mrOk); });
    centred.ShowModal();
    const QRect frame = owner.frameGeometry();
    EXPECT_EQ(centred.pos(), QPoint(frame.x() + (frame.width() - 200) / 2, frame.y() + (frame.height() - 100) / 2));
}

TEST(Form, DesignFontsStandInForTheDesignedFaces)
{
    const QFont proportional = DesignFont("ＭＳ Ｐゴシック", -12);
    EXPECT_EQ(proportional.families().front(), "IPAPGothic");
    EXPECT_EQ(proportional.pixelSize(), 12);
    const QFont fixed = DesignFont("ＭＳ ゴシック", 16);
    EXPECT_EQ(fixed.families(), QStringList({"IPAGothic", "Noto Sans Mono CJK JP"}));
    EXPECT_TRUE(fixed.fixedPitch());
    EXPECT_EQ(fixed.styleHint(), QFont::TypeWriter);
    EXPECT_EQ(fixed.pixelSize(), 16);
    // Other faces are asked for by name; no size is still one pixel.
    const QFont other = DesignFont("Tahoma", 0);
    EXPECT_EQ(other.families().front(), "Tahoma");
    EXPECT_FALSE(other.fixedPitch());
    EXPECT_EQ(other.pixelSize(), 1);
}

} // namespace
