// The plug-in list: one fixed-width line per loaded image plug-in.
#pragma once

#include "platform/ui/Form.h"

#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;
class TSPIs;
struct TPluginDescription;

class TSusieForm : public TForm {
public:
    explicit TSusieForm(QWidget* owner);

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr;

    void FormActivate() override;
    void FormResize();

protected:
    void resizeEvent(QResizeEvent* event) override;
};

extern TSusieForm* SusieForm;

// What the plug-in list shows of each plug-in of spis, in its order.
std::vector<TPluginDescription> DescribePlugins(const TSPIs& spis);
