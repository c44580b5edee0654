#pragma once
// The prefilter page: the numerator and denominator coefficients of the
// fixed prefilter the designed filter is cascaded with, edited row by row,
// and the switches of its magnitude and group delay plots.

#include "data/Tables.h"
#include "panel/TablePage.h"
#include "screen/PlotScreens.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace dovra::gui {

class DovraScreen;

class FixedFilterListPanel : public TableListCard {
  public:
    FixedFilterListPanel() : TableListCard({{"Coefficients", 0}}) {}
};

class FixedFilterEditPanel : public TableEditCard {
  public:
    FixedFilterEditPanel();

    QLineEdit* coefficientField() const { return coefficient_; }
    void showSelectedRecord(int i, const FixedFilterDataBase& table);
    /// Stores the coefficient; false (with the message shown) when refused.
    bool apply(int mode, FixedFilterDataBase& table);

  private:
    QLineEdit* coefficient_;
};

class FixedFilterPanel : public TablePage {
  public:
    FixedFilterPanel(DovraScreen& screen, FixedFilterDataBase& numerator,
                     FixedFilterDataBase& denominator);
    ~FixedFilterPanel() override;

    void notify_of_state() override;

    // The table operations of the page.
    int getSize(const FixedFilterDataBase& table) const { return table.getSize(); }
    void removeRecord(FixedFilterDataBase& table, int i) { table.removeRecord(i); }
    void displayDatabase(const FixedFilterDataBase& table, ListLines& list) const {
        table.display(list);
    }
    /// Appends the row to the table it belongs to.
    void addRecord(const FixedFilterDataBaseRecord& row);
    /// Only for a row i of the row's table.
    void insertRecord(const FixedFilterDataBaseRecord& row, int i);
    void setRecord(const FixedFilterDataBaseRecord& row, int i);
    const FixedFilterDataBaseRecord* getRecord(const FixedFilterDataBase& table, int i) const {
        return table.getRecord(i);
    }

    /// The magnitude window was closed by the user.
    void deleteMagTsScreen();
    /// The group delay window was closed by the user.
    void deleteGdScreen();
    bool magnitudePlotShown() const { return magShown_; }
    bool groupDelayPlotShown() const { return gdShown_; }
    FfMagPlotScreen* magnitudePlotWindow() const { return magWindow_.get(); }
    FfGdPlotScreen* groupDelayPlotWindow() const { return gdWindow_.get(); }

    FixedFilterDataBase& currentTable() const { return *current_; }
    QRadioButton* numeratorButton() const { return numeratorRadio_; }
    QRadioButton* denominatorButton() const { return denominatorRadio_; }
    QCheckBox* magnitudePlotBox() const { return magBox_; }
    QCheckBox* groupDelayPlotBox() const { return gdBox_; }
    FixedFilterListPanel& listCard() const { return *listCard_; }
    FixedFilterEditPanel& editCard() const { return *editCard_; }

  protected:
    int selectedLine() const override;
    void showSelectedRecord(int i) override;
    bool applyRecord(int mode) override;
    void removeSelectedRecord(int i) override;
    void updateList() override;
    void refreshPlots() override;
    void clearMessage() override;

  private:
    void selectTable(FixedFilterDataBase& table);
    void toggleMagnitudePlot();
    void toggleGroupDelayPlot();

    // The two prefilter plot windows: open, dispose of, redraw (refreshImage)
    // and start afresh (setInitFlag(1)).
    void showMagnitudePlotWindow();
    void disposeMagnitudePlotWindow();
    void refreshMagnitudePlotWindow();
    void initMagnitudePlotWindow();
    void showGroupDelayPlotWindow();
    void disposeGroupDelayPlotWindow();
    void refreshGroupDelayPlotWindow();
    void initGroupDelayPlotWindow();

    FixedFilterDataBase& numerator_;
    FixedFilterDataBase& denominator_;
    FixedFilterDataBase* current_;
    FixedFilterListPanel* listCard_;
    FixedFilterEditPanel* editCard_;
    QRadioButton* numeratorRadio_;
    QRadioButton* denominatorRadio_;
    QCheckBox* magBox_;
    QCheckBox* gdBox_;
    bool magShown_ = false;
    bool gdShown_ = false;
    PlotWindowSlot<FfMagPlotScreen> magWindow_;
    PlotWindowSlot<FfGdPlotScreen> gdWindow_;
};

} // namespace dovra::gui
