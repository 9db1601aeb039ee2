#include "app/MainMenu.h"

#include "app/main.h"
#include "platform/ui/Application.h"
#include "platform/ui/MenuEnabler.h"

#include <QMenu>
#include <QMenuBar>

#include <cstring>

namespace {

using M = TMainForm;

std::vector<TMenuRow> Rows()
{
    return {
        {.Depth = 0, .Caption = "ファイル(&F)", .Field = &M::File1, .OnOpen = &M::File1Click},
        {.Depth = 1, .Caption = "開く(&O)...", .Shortcut = Qt::CTRL | Qt::Key_O, .Field = &M::Open1, .OnClick = &M::Open1Click},
        {.Depth = 1, .Caption = "保存(&S)...", .Shortcut = Qt::CTRL | Qt::Key_S, .Field = &M::Save1, .OnClick = &M::Save1Click},
        {.Depth = 1, .Caption = "名付けて保存(&A)...", .Shortcut = Qt::CTRL | Qt::ALT | Qt::Key_S, .Field = &M::SaveAs1, .OnClick = &M::Save2Click},
        {.Depth = 1, .Caption = "-"},
        {.Depth = 1, .Caption = "閉じる(&C)", .Shortcut = Qt::CTRL | Qt::Key_W, .Field = &M::Close1, .OnClick = &M::Close1Click},

        {.Depth = 0, .Caption = "編集(&E)", .Field = &M::Edit1, .OnOpen = &M::EditClick},
        {.Depth = 1, .Caption = "元に戻す(&U)", .Shortcut = Qt::CTRL | Qt::Key_Z, .Field = &M::Undo1, .OnClick = &M::Undo1Click},
        {.Depth = 1, .Caption = "やり直し(&R)", .Shortcut = Qt::CTRL | Qt::Key_Y, .Field = &M::Redo1, .OnClick = &M::Redo1Click},
        {.Depth = 1, .Caption = "-"},
        {.Depth = 1, .Caption = "コピー(&C)", .Shortcut = Qt::CTRL | Qt::Key_C, .Field = &M::Copy1, .OnClick = &M::CopyClick},
        {.Depth = 1, .Caption = "貼り付け(&P)", .Shortcut = Qt::CTRL | Qt::Key_V, .Field = &M::Paste1, .OnClick = &M::PasteClick},
        {.Depth = 1, .Caption = "-"},
        {.Depth = 1, .Caption = "復帰(&V)", .Field = &M::Start1, .OnClick = &M::Start1Click},
        {.Depth = 1, .Caption = "履歴のクリア(&F)", .Field = &M::F1, .OnClick = &M::F1Click},

        {.Depth = 0, .Caption = "イメージ(&I)", .Field = &M::Effect, .OnOpen = &M::EffectClick},
        {.Depth = 1, .Caption = "補正(&A)", .Field = &M::Correction1},
        {.Depth = 2, .Caption = "ガンマ補正(&G)...", .OnClick = &M::GaClick},
        {.Depth = 2, .Caption = "明るさ補正(&B)...", .OnClick = &M::BrigClick},
        {.Depth = 2, .Caption = "コントラスト補正(&C)...", .OnClick = &M::ContClick},
        {.Depth = 2, .Caption = "色調補正(&R)...", .OnClick = &M::ColorClick},
        {.Depth = 2, .Caption = "HLS補正(&H)...", .OnClick = &M::HlsRClick},
        {.Depth = 2, .Caption = "LMS補正(&L)...", .GroupIndex = 234, .OnClick = &M::LmsRClick},
        {.Depth = 2, .Caption = "輝度範囲最大化(&A)", .GroupIndex = 234, .ByGroup = true},
        {.Depth = 1, .Caption = "カラー変更(&C)", .Field = &M::ColorChange1},
        {.Depth = 2, .Caption = "ネガポジ反転(&I)", .GroupIndex = 20, .ByGroup = true},
        {.Depth = 2, .Caption = "ポスタリゼーション(&P)...", .GroupIndex = 20, .OnClick = &M::PostClick},
        {.Depth = 2, .Caption = "ソラリゼーション"},
        {.Depth = 3, .Caption = "M&AX", .GroupIndex = 210, .ByGroup = true},
        {.Depth = 3, .Caption = "M&IN", .GroupIndex = 211, .ByGroup = true},
        {.Depth = 2, .Caption = "セピアカラー"},
        {.Depth = 3, .Caption = "&Normal", .GroupIndex = 220, .ByGroup = true},
        {.Depth = 3, .Caption = "&Red", .GroupIndex = 221, .ByGroup = true},
        {.Depth = 3, .Caption = "&Green", .GroupIndex = 222, .ByGroup = true},
        {.Depth = 3, .Caption = "&Blue", .GroupIndex = 223, .ByGroup = true},
        {.Depth = 3, .Caption = "&Purple", .GroupIndex = 224, .ByGroup = true},
        {.Depth = 3, .Caption = "&Metal", .GroupIndex = 225, .ByGroup = true},
        {.Depth = 2, .Caption = "グレースケール"},
        {.Depth = 3, .Caption = "&Normal", .GroupIndex = 230, .ByGroup = true},
        {.Depth = 3, .Caption = "&Rad", .GroupIndex = 231, .ByGroup = true},
        {.Depth = 3, .Caption = "&Green", .GroupIndex = 232, .ByGroup = true},
        {.Depth = 3, .Caption = "&Blue", .GroupIndex = 233, .ByGroup = true},
        {.Depth = 1, .Caption = "回転(&R)", .Field = &M::Rotation1},
        {.Depth = 2, .Caption = "右90度回転(&0)", .GroupIndex = 30, .ByGroup = true},
        {.Depth = 2, .Caption = "左90度回転(&9)", .GroupIndex = 31, .ByGroup = true},
        {.Depth = 2, .Caption = "180度回転(&1)", .GroupIndex = 32, .ByGroup = true},
        {.Depth = 2, .Caption = "水平反転(&H)", .GroupIndex = 33, .ByGroup = true},
        {.Depth = 2, .Caption = "垂直反転(&V)", .GroupIndex = 34, .ByGroup = true},
        {.Depth = 1, .Caption = "フィルタ(&F)", .Field = &M::Filter1},
        {.Depth = 2, .Caption = "エンボス", .GroupIndex = 40, .ByGroup = true},
        {.Depth = 2, .Caption = "ダークエンボス", .GroupIndex = 41, .ByGroup = true},
        {.Depth = 2, .Caption = "カラーエンボス", .GroupIndex = 42, .ByGroup = true},
        {.Depth = 2, .Caption = "シャープ...", .GroupIndex = 43, .OnClick = &M::SharClick},
        {.Depth = 2, .Caption = "ソフト（&S）"},
        {.Depth = 3, .Caption = "ソフト...(&S)", .OnClick = &M::Soft1Click},
        {.Depth = 3, .Caption = "メディアン", .GroupIndex = 45, .ByGroup = true},
        {.Depth = 3, .Caption = "モーションブラー...(&M)", .OnClick = &M::MotionClick},
        {.Depth = 3, .Caption = "ガウシンアンブラー...(&G)", .OnClick = &M::GaussianClick},
        {.Depth = 2, .Caption = "サンパワー", .GroupIndex = 47, .ByGroup = true},
        {.Depth = 2, .Caption = "グラディエント(&G)"},
        {.Depth = 3, .Caption = "水平差分", .GroupIndex = 110, .ByGroup = true},
        {.Depth = 3, .Caption = "水平Roberts", .GroupIndex = 111, .ByGroup = true},
        {.Depth = 3, .Caption = "水平Sobel", .GroupIndex = 112, .ByGroup = true},
        {.Depth = 3, .Caption = "垂直差分", .GroupIndex = 113, .ByGroup = true},
        {.Depth = 3, .Caption = "垂直Roberts", .GroupIndex = 114, .ByGroup = true},
        {.Depth = 3, .Caption = "垂直Sobel", .GroupIndex = 115, .ByGroup = true},
        {.Depth = 2, .Caption = "ラプラシアン(&L)"},
        {.Depth = 3, .Caption = "Laplacian&1", .GroupIndex = 100, .ByGroup = true},
        {.Depth = 3, .Caption = "Laplacian&2", .GroupIndex = 101, .ByGroup = true},
        {.Depth = 3, .Caption = "Laplacian&3", .GroupIndex = 102, .ByGroup = true},
        {.Depth = 3, .Caption = "Laplacian&4", .GroupIndex = 103, .ByGroup = true},
        {.Depth = 2, .Caption = "カスタム...(&C)", .OnClick = &M::CustClick},
        {.Depth = 2, .Caption = "オイルペイント...", .OnClick = &M::OilClick},
        {.Depth = 2, .Caption = "Kuwahara(&K)", .OnClick = &M::KuwaharaK1Click},
        {.Depth = 1, .Caption = "画素変更(&B)", .Field = &M::M5, .OnOpen = &M::M5Click},
        {.Depth = 2, .Caption = "&4Bit（16色）", .GroupIndex = 50, .Field = &M::Bit41, .ByGroup = true},
        {.Depth = 2, .Caption = "&8Bit（256色）", .GroupIndex = 51, .Field = &M::Bit81, .ByGroup = true},
        {.Depth = 2, .Caption = "-"},
        {.Depth = 2, .Caption = "&True Color", .Shortcut = Qt::CTRL | Qt::Key_T, .GroupIndex = 52, .Field = &M::TrueColor1, .ByGroup = true},
        {.Depth = 1, .Caption = "サイズ変更(&S)...", .Shortcut = Qt::CTRL | Qt::Key_F, .Field = &M::M6, .OnClick = &M::M6Click},

        {.Depth = 0, .Caption = "ヘルプ(&H)", .Field = &M::Help1},
        {.Depth = 1, .Caption = "ヘルプ(&H)...", .OnClick = &M::N6Click},
        {.Depth = 1, .Caption = "作者のページ(&W)...", .OnClick = &M::hpClick},
        {.Depth = 1, .Caption = "作者にメール(&M)...", .OnClick = &M::mailClick},
        {.Depth = 1, .Caption = "-"},
        {.Depth = 1, .Caption = "SusiePlugIn(&S)...", .OnClick = &M::SusiePlugIn1Click},
        {.Depth = 1, .Caption = "バージョン情報(&A)...", .OnClick = &M::About1Click},
    };
}

} // namespace

const std::vector<TMenuRow>& MainMenuRows()
{
    static const std::vector<TMenuRow> rows = Rows();
    return rows;
}

void BuildMainMenu(TMainForm& form, QMenuBar& bar, TMenuEnabler& enabler)
{
    const std::vector<TMenuRow>& rows = MainMenuRows();
    QMenu* menus[4] = {};
    for (size_t i = 0; i < rows.size(); ++i) {
        const TMenuRow& row = rows[i];
        QMenu* parent = row.Depth > 0 ? menus[row.Depth - 1] : nullptr;
        if (std::strcmp(row.Caption, "-") == 0) {
            parent->addSeparator();
            continue;
        }
        const QString caption = QString::fromUtf8(row.Caption);
        QAction* action = nullptr;
        if (i + 1 < rows.size() && rows[i + 1].Depth > row.Depth) {
            QMenu* menu = parent != nullptr ? parent->addMenu(caption) : bar.addMenu(caption);
            menus[row.Depth] = menu;
            action = menu->menuAction();
            if (row.OnOpen != nullptr)
                enabler.Register(menu, [&form, handler = row.OnOpen] { (form.*handler)(); });
        } else {
            action = parent->addAction(caption);
            action->setShortcut(row.Shortcut);
            if (row.OnClick != nullptr)
                QObject::connect(action, &QAction::triggered, &form,
                                 Guarded([&form, handler = row.OnClick](bool) { (form.*handler)(); }));
            else if (row.ByGroup)
                QObject::connect(action, &QAction::triggered, &form,
                                 Guarded([&form, action](bool) { form.ButtonClick(*action); }));
        }
        action->setData(row.GroupIndex);
        if (row.Field != nullptr)
            form.*row.Field = action;
    }
}
