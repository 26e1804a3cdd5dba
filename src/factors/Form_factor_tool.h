#pragma once
// The factor result dialogs of the two factor pages: the three pairs of the unit-factor model for
// PageContext, shown as integers, stored into that context's drive record and (context 0) sent to
// the drive on "Updates". TForm_can_factor_tool holds the CiA 402 objects 6093h, 6094h, 6097h,
// TForm_mdb_factor_tool the Modbus registers 0609h-060Ch and 0406h-040Dh. A pair that failed its
// reduction is shown but never stored or sent. One instance of each at a time.
#include <cstdint>

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QStatusBar;
class QTimer;

// The factor page of a context shows what the dialog stored.
using FactorPageRefreshFn = void (*)(uint8_t ctx);

struct FactorDialogSpec;

class TForm_factor_tool : public QDialog {
    Q_OBJECT
public:
    static constexpr int VALUES = 6;  // numerator and denominator per quantity

    void FormShow();
    void set_language(uint8_t ctx);
    void BitBtn_aggiornaClick();
    void BitBtn_closeClick();
    void Timer_monitor_serialeTimer();

    // The shown value of a member: the double truncated toward zero to 64 bits (clamped first).
    static int64_t shown_value(double v);
    // Success flag of the quantity's pair at the last show.
    uint8_t pair_ok(int quantity) const { return quantity >= 0 && quantity < 3 ? ok_[quantity] : 0; }

    QGroupBox* GroupBox = nullptr;  // GroupBox_DS402_Factor / GroupBox_Mdb_Factor
    QLabel* value_panel[VALUES] = {};
    QPushButton* BitBtn_aggiorna = nullptr;
    QPushButton* BitBtn_close = nullptr;
    QStatusBar* StatusBar_Com = nullptr;
    QTimer* Timer_monitor_seriale = nullptr;

protected:
    TForm_factor_tool(const FactorDialogSpec& spec, FactorPageRefreshFn refresh, QWidget* parent);
    void showEvent(QShowEvent* event) override;

private:
    void store(uint8_t ctx) const;
    bool send_with_link();
    void updated_message() const;

    const FactorDialogSpec& spec_;
    FactorPageRefreshFn refresh_;
    uint8_t ctx_ = 0;
    uint8_t ok_[3] = {};
    bool shown_ = false;
};

class TForm_can_factor_tool final : public TForm_factor_tool {
    Q_OBJECT
public:
    explicit TForm_can_factor_tool(FactorPageRefreshFn refresh, QWidget* parent = nullptr);
    ~TForm_can_factor_tool() override;
};

class TForm_mdb_factor_tool final : public TForm_factor_tool {
    Q_OBJECT
public:
    explicit TForm_mdb_factor_tool(FactorPageRefreshFn refresh, QWidget* parent = nullptr);
    ~TForm_mdb_factor_tool() override;
};

// The open dialog of each kind, null while none is open.
extern TForm_can_factor_tool* Form_can_factor_tool;
extern TForm_mdb_factor_tool* Form_mdb_factor_tool;
