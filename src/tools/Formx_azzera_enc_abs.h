#pragma once
// Absolute-encoder zeroing: the encoder zeroing's window without Hall code and offset edit, on
// drive function 9, information sub-code 10 and procedure mode 7; the sensor may be moved from
// phase 2 on.
#include "tools/Formx_azzera_enc.h"

class TForm_Azzera_Enc_ABS : public ZeroingWindow {
    Q_OBJECT
public:
    explicit TForm_Azzera_Enc_ABS(QWidget* parent = nullptr);
    ~TForm_Azzera_Enc_ABS() override;
    void AbsZeroingMonitorTick(uint32_t now) { monitor_tick(now); }
    void AbsZeroing_show_values() { show_values(); }

protected:
    void show_values() override;
    void invalidate() override;
};
