#pragma once
// Motor data editor: edits the main window's motor edit copy (MotorEditCopy) away from the drive
// image, creates, opens and saves motor data files and sends the record to the drive; and the
// loader of motor data files that the main window's load command uses.
#include <cstdint>
#include <memory>
#include <vector>

#include <QString>

#include "controls/MemoUpDwx.h"
#include "shell/Filedlg.h"
#include "shell/Stbar.h"
#include "tools/Tool_common.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenuBar;
class QPushButton;
class QTabWidget;
class QTimer;

// Loads a motor data file into destination: missing file false and silent; a corrupted, foreign,
// newer or older unconvertible file is refused with its message; a version-2 file is converted on
// Yes and written under a name chosen in save_dialog. On success MotorDataFileName is the absolute
// name of the file that now matches the record. A refused load, No, a cancelled name or a failed
// write (after the writer's warning) leave destination and MotorDataFileName unchanged.
bool Load_motor_load(const QString& file_name, MotorRecord* destination, FileDialogSpec& save_dialog);

class TForm_load_motor : public ToolDialog {
    Q_OBJECT
public:
    explicit TForm_load_motor(QWidget* parent = nullptr);
    ~TForm_load_motor() override;

    void FormShow() override;
    // Closing asks to save first; a failed save keeps the editor open.
    void done(int result) override;
    void Timer_runTimer();
    void Timer_chkTimer();

    void BitBtn_open_dati_motor_defClick();
    void BitBtn_load_dati_motorClick();
    void BitBtn_salva_dati_motorClick();
    void Menu_Save_asClick();
    void Menu_ChiudiClick();
    void Menu_VisualizzaClick();
    void BitBtn_inviaClick();

    void ComboBox_motor_typeChange(int index);
    void ComboBox_poli_motore_rotativoChange(int index);
    void ComboBox_feedback_typeChange(int index);
    void CheckBox_feedback_reverseClick();
    void CheckBox_cogging_compensaClick(QCheckBox* box);
    void ComboBox_enc_type_inputChange(int index);

    void Load_motor_show_values();
    void Load_motor_set_texts();
    void Load_motor_apply_motor_type();
    void Load_motor_apply_feedback_type();
    void Load_motor_show_flags();
    void Load_motor_check_modified();
    void Load_motor_mark_saved();
    void Load_motor_update_send_button();
    // Only while modified: asks to save and saves on Yes. False when a write failed (still
    // modified); Yes with a cancelled name counts as saved.
    bool Load_motor_ask_save();

    QMenuBar* MainMenu;
    QAction* Menu_Nuovo;
    QAction* Menu_Apri;
    QAction* Menu_Salva;
    QAction* Menu_Save_as;
    QAction* Menu_Chiudi;
    QAction* Menu_Visualizza;
    QPushButton* BitBtn_open_dati_motor_def;
    QPushButton* BitBtn_load_dati_motor;
    QPushButton* BitBtn_salva_dati_motor;
    QPushButton* BitBtn_invia;

    QGroupBox* GroupBox_dati_motore;
    QLabel* Panel_motor_type;
    QComboBox* ComboBox_motor_type;
    QWidget* Panel_poli_motore;
    QLabel* Panel_poli_motore_caption;
    QComboBox* ComboBox_poli_motore_rotativo;
    QLabel* Panel_poli_motore_linear;
    FlowPanel* FlowPanel_vel_nom;
    FlowPanel* FlowPanel_corr_nom;
    FlowPanel* FlowPanel_corr_picco;
    FlowPanel* FlowPanel_corr_stallo;
    FlowPanel* FlowPanel_volt_nom;
    FlowPanel* FlowPanel_resist_fase;
    FlowPanel* FlowPanel_indutt_sincrona;
    FlowPanel* FlowPanel_I2t_time;
    FlowPanel* FlowPanel_passo_polare;

    QGroupBox* GroupBox_feedback;
    QLabel* Panel_feedback_type;
    QComboBox* ComboBox_feedback_type;
    QCheckBox* CheckBox_feedback_reverse;
    QLabel* Panel_par_mot_flg_dat_feedback_reverse;
    QTabWidget* PageControl_feedback_type;
    // Incremental encoder without Halls.
    FlowPanel* FlowPanel_encoder_imp_increment_only;
    QLabel* Panel_encoder_risoluzione_giro_increment_only;
    QLabel* Panel_encoder_risoluzione_giro_dat_increment_only;
    QLabel* Panel_enc_type_input_no_hall;
    QComboBox* ComboBox_enc_type_input_no_hall;
    QLabel* Panel_par_mot_flg_enc_type_input_no_hall;
    QCheckBox* CheckBox_cogging_compensa_encoder_only;
    QLabel* Panel_par_mot_flg_dat_cogging_compensa_encoder_only;
    // Incremental encoder with Halls.
    FlowPanel* FlowPanel_encoder_imp_increment_and_halls;
    QLabel* Panel_encoder_risoluzione_giro_increment_and_halls;
    QLabel* Panel_encoder_risoluzione_giro_dat_increment_and_halls;
    FlowPanel* FlowPanel_encoder_offset_increment_and_halls;
    QLabel* Panel_enc_type_input_hall;
    QComboBox* ComboBox_enc_type_input_hall;
    QLabel* Panel_par_mot_flg_enc_type_input_hall;
    QCheckBox* CheckBox_cogging_compensa_encoder_and_hall;
    QLabel* Panel_par_mot_flg_dat_cogging_compensa_encoder_and_hall;
    // SSI encoder.
    FlowPanel* FlowPanel_encoder_bit_single_turn;
    FlowPanel* FlowPanel_encoder_bit_multi_turn;
    FlowPanel* FlowPanel_encoder_offset_serial_ssi;
    FlowPanel* FlowPanel_offset_multigiro;
    QCheckBox* CheckBox_cogging_compensa_SSI;
    QLabel* Panel_par_mot_flg_dat_cogging_compensa_SSI;

    QWidget* Panel_Load_dat_MOTSBar;
    QTimer* Timer_run;
    QTimer* Timer_chk;

    uint8_t Ready = 0;
    uint8_t Modified = 0;

private:
    void build_motor_group();
    void build_feedback_group();
    QWidget* build_encoder_page(bool halls);
    QWidget* build_ssi_page();
    void create_edits();
    void delete_edits();
    void show_resolution(uint32_t pulses);
    uint8_t check_bits(double candidate, std::size_t other_field);
    void set_flag(uint16_t bit, bool on);
    bool write_file(const QString& name);
    void finish_close();

    std::vector<std::unique_ptr<MemoUpDwx<uint16_t>>> plain_;  // the u16 edits without validator
    std::unique_ptr<MemoUpDwx<uint32_t>> pole_pitch_;
    std::unique_ptr<MemoUpDwx<uint32_t>> pulses_[2];  // without Halls, with Halls
    std::unique_ptr<MemoUpDwx<uint16_t>> offset_[2];  // with Halls, SSI
    std::unique_ptr<MemoUpDwx<uint16_t>> single_turn_;
    std::unique_ptr<MemoUpDwx<uint16_t>> multi_turn_;
    std::unique_ptr<MemoUpDwx<int32_t>> multi_offset_;
    StbarPane panes_[4];
    StbarPane* pane_list_[5];
    Stbarx* stb_ = nullptr;
    bool closed_ = false;
};

extern TForm_load_motor* Form_load_motor;

