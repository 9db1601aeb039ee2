// The custom-filter dialog: nine weights of a 3 x 3 kernel typed into a grid.
#pragma once

#include "platform/ui/Form.h"

class QPushButton;
class QTableWidget;
class QWidget;

class TCustForm : public TForm {
public:
    explicit TCustForm(QWidget* Owner);

    QWidget* Panel1;
    QTableWidget* StringGrid1;
    QPushButton* Button1;
    QPushButton* Button2;

    // Runs whenever a cell's text changes, as the grid redraws it: enables OK
    // exactly when no cell is empty.
    void StringGrid1DrawCell();
    void Button1Click();
};

extern TCustForm* CustForm;
// The weights of the last OK, row by row; kept between uses of the dialog.
extern double CustomKernel[3][3];
