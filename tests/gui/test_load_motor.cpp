// Motor data files through the loader (crafted files: refusals, messages, conversion and its
// failed write) and the motor data editor's wiring: values and labels, validators, the modified
// state, the save questions and a failed save.
#include "files_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <optional>

#include "FullDisk.h"
#include "drivedata/Init.h"
#include "drivedata/Versoftw.h"
#include "link/Seriale.h"
#include "shell/Form_send_motor.h"
#include "shell/Main_menus.h"
#include "shell/Mainstate.h"
#include "tools/Load_motor.h"
#include "tools_core/Load_motor_core.h"
#include "tools/Pid_corrente.h"

namespace {

using Bytes = QByteArray;
using filestest::read_file;
using filestest::write_file;

const std::string CORRUPT = "Dati Corrotti oppure File non valido !";
const std::string INCOMPATIBLE = "Dati incompatibili!";

// The main window's test set-up without the window: Italian, ORVEL, scripted boxes and dialogs.
class MotorFileTest : public maintest::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        LanguageIndex = 0;
        family_ = CurrentFamily;
        CurrentFamily = &FamilyOrvel;
        Init_motor_defaults(MotorEditCopy);
        MotorEditRef = MotorEditCopy;
        MotorDataFileName.clear();
    }
    void TearDown() override
    {
        CurrentFamily = family_;
        MotorDataFileName.clear();
        MainWindowTest::TearDown();
    }

    static QString path(const char* name) { return QDir::current().absoluteFilePath(name); }
    static Bytes motor_file(const MotorRecord& m, const DriveFamilyRecord& family)
    {
        std::array<uint8_t, MOTOR_FILE_SIZE> image{};
        DataFileHeader_build(image.data(), image.size(), m.b, sizeof m.b, family);
        return Bytes(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
    }
    static DriveFamilyRecord orvel(uint8_t major, uint8_t minor)
    {
        DriveFamilyRecord f = FamilyOrvel;
        f.version_major = major;
        f.version_minor = minor;
        return f;
    }
    static MotorRecord defaults()
    {
        MotorRecord m{};
        Init_motor_defaults(m);
        return m;
    }
    static uint8_t xor_of(const Bytes& b) { return DataFile_xor(reinterpret_cast<const uint8_t*>(b.data()), b.size()); }

    filestest::DialogScript dialogs;

private:
    const DriveFamilyRecord* family_ = nullptr;
};

TEST_F(MotorFileTest, RefusedFilesLeaveTheRecordAndNameAlone)
{
    struct Case {
        const char* name;
        std::function<Bytes()> file;  // null: no file
        std::string message;          // empty: silent
    };
    const MotorRecord m = defaults();
    const auto with_byte = [m](std::size_t at, uint8_t v) {
        Bytes f = motor_file(m, orvel(3, 20));
        f[0] = static_cast<char>(f[0] ^ f[static_cast<qsizetype>(at)] ^ v);
        f[static_cast<qsizetype>(at)] = static_cast<char>(v);
        return f;
    };
    const Case cases[] = {
        {"missing", nullptr, ""},
        {"89 bytes", [m] { Bytes f = motor_file(m, orvel(3, 20)); f.append('\0'); return f; }, CORRUPT},
        {"87 bytes, XOR 0",
         [m] {
             Bytes f = motor_file(m, orvel(3, 20));
             const char last = f.back();
             f.chop(1);
             f[0] = static_cast<char>(f[0] ^ last);
             return f;
         },
         CORRUPT},
        {"check byte", [m] { Bytes f = motor_file(m, orvel(3, 20)); f[0] = static_cast<char>(f[0] ^ 1); return f; },
         CORRUPT},
        {"PELSAN", [m] { return motor_file(m, FamilyPelsan); },
         "Dati per drive: PELSAN, non compatibile con drive: ORVEL!"},
        {"family code 5", [with_byte] { return with_byte(DataFileOfs::FamilyCode, 5); }, INCOMPATIBLE},
        {"major 4", [m] { return motor_file(m, orvel(4, 0)); }, INCOMPATIBLE},
        {"major 1", [m] { return motor_file(m, orvel(1, 10)); }, INCOMPATIBLE},
    };
    for (const Case& c : cases) {
        const QString name = path("refused.mot");
        QFile::remove(name);
        if (c.file) {
            ASSERT_TRUE(write_file(name, c.file()));
        }
        boxes.clear();
        MotorRecord dest;
        std::memset(dest.b, 0x5A, sizeof dest.b);
        MotorDataFileName = "/keep/this.mot";
        FileDialogSpec save;
        EXPECT_FALSE(Load_motor_load(name, &dest, save)) << c.name;
        EXPECT_EQ(box_texts(), c.message) << c.name << ": one message, never a question";
        if (!boxes.empty()) {
            EXPECT_EQ(boxes[0].title, "Attenzione") << c.name;
            EXPECT_EQ(boxes[0].icon, MsgIcon::Warning) << c.name;
        }
        EXPECT_EQ(dest.b[0], 0x5A) << c.name;
        EXPECT_EQ(dest.b[59], 0x5A) << c.name;
        EXPECT_EQ(MotorDataFileName, "/keep/this.mot") << c.name;
        EXPECT_TRUE(dialogs.asked.empty()) << c.name;
    }
}

TEST_F(MotorFileTest, CurrentMajorLoadsWithoutQuestion)
{
    MotorRecord m = defaults();
    m.b[MotorField::NominalSpeed] = 0x77;
    ASSERT_TRUE(write_file(path("m.mot"), motor_file(m, orvel(3, 25))));
    MotorRecord dest{};
    FileDialogSpec save;
    ASSERT_TRUE(Load_motor_load(path("m.mot"), &dest, save));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(std::memcmp(dest.b, m.b, MOTOR_RECORD_SIZE), 0);
    EXPECT_EQ(MotorDataFileName, QFileInfo(path("m.mot")).absoluteFilePath());
}

TEST_F(MotorFileTest, Version2ConvertsIntoANewFileOnlyWhenWritten)
{
    // Version 2 record: 18 words from byte 28.
    MotorRecord old{};
    const uint16_t words[18] = {0, 3000, 100, 200, 100, 60, 20, 2, 120, 3, 2048, 0, 1200, 200, 20, 3, 0, 31};
    std::memcpy(old.b, words, sizeof words);
    const Bytes v2 = motor_file(old, orvel(2, 5));
    ASSERT_TRUE(write_file(path("old.mot"), v2));

    struct Case {
        const char* name;
        MsgButton answer;
        const char* chosen;  // empty: cancelled
        bool full_disk;
        bool loaded;
    };
    const Case cases[] = {
        {"No", MsgNo, "", false, false},
        {"cancelled", MsgYes, "", false, false},
        {"disk full", MsgYes, "new_full.mot", true, false},
        {"Yes and a name", MsgYes, "new.mot", false, true},
    };
    for (const Case& c : cases) {
        boxes.clear();
        dialogs.asked.clear();
        answers = {c.answer};
        std::optional<FullDisk> disk;
        if (c.full_disk) {
            disk.emplace();
            ASSERT_TRUE(disk->ready());
            disk->fill();
            dialogs.names = {QString::fromStdString(disk->file(c.chosen))};
        } else if (*c.chosen) {
            dialogs.names = {path(c.chosen)};
        }
        MotorRecord dest;
        std::memset(dest.b, 0x5A, sizeof dest.b);
        MotorDataFileName = "/keep/this.mot";
        FileDialogSpec save;
        EXPECT_EQ(Load_motor_load(path("old.mot"), &dest, save), c.loaded) << c.name;
        ASSERT_FALSE(boxes.empty()) << c.name;
        EXPECT_EQ(boxes[0].text, "Convertire i dati da Ver. 2.05 a Ver. 3.20 ?") << c.name;
        EXPECT_EQ(boxes[0].icon, MsgIcon::Question) << c.name;
        EXPECT_EQ(read_file(path("old.mot")), v2) << c.name << ": the opened file is untouched";
        if (!c.loaded) {
            EXPECT_EQ(dest.b[0], 0x5A) << c.name;
            EXPECT_EQ(MotorDataFileName, "/keep/this.mot") << c.name;
            EXPECT_EQ(boxes.size(), c.full_disk ? 2u : 1u) << c.name << ": " << box_texts();
            continue;
        }
        ASSERT_EQ(dialogs.asked.size(), 1u);
        EXPECT_EQ(dialogs.asked[0].title, "Salva con Nome");
        EXPECT_EQ(MotorDataFileName, QFileInfo(path("new.mot")).absoluteFilePath());
        EXPECT_EQ(Rec_get<uint16_t>(dest.b, MotorField::SingleTurn), 12);
        EXPECT_EQ(Rec_get<uint16_t>(dest.b, MotorField::MultiTurn), 0);
        EXPECT_EQ(Rec_get<uint32_t>(dest.b, MotorField::Pulses), 2048u);
        EXPECT_EQ(Rec_get<uint32_t>(dest.b, MotorField::PolePitch), 10000u);
        const Bytes written = read_file(path("new.mot"));
        ASSERT_EQ(written.size(), 88);
        EXPECT_EQ(xor_of(written), 0);
        EXPECT_EQ(written[17], 3);
        EXPECT_EQ(written[18], 20);
        EXPECT_EQ(std::memcmp(written.constData() + 28, dest.b, MOTOR_RECORD_SIZE), 0);
    }
}

// ---- the editor ----

class MotorEditorTest : public MotorFileTest {
protected:
    std::unique_ptr<TForm_load_motor> open()
    {
        auto w = std::make_unique<TForm_load_motor>();
        w->show();
        for (QTimer* t : w->findChildren<QTimer*>())
            t->stop();  // the test runs the ticks
        return w;
    }
    static void type_into(QLineEdit* memo, const QString& text)
    {
        memo->setFocus();
        memo->clear();
        QTest::keyClicks(memo, text);
        QTest::keyClick(memo, Qt::Key_Return);
    }
    static QString shown_value(FlowPanel* p) { return p->findChild<QLineEdit*>()->text(); }
    static void choose(QComboBox* box, int index)
    {
        box->setCurrentIndex(index);
        Q_EMIT box->activated(index);
    }
};

TEST_F(MotorEditorTest, ShowsTheRecordAndFollowsMotorAndFeedbackType)
{
    auto w = open();
    EXPECT_EQ(w->FlowPanel_vel_nom->caption(), "Velocità Nominale [rpm]");
    EXPECT_EQ(shown_value(w->FlowPanel_vel_nom), "3000");
    EXPECT_EQ(shown_value(w->FlowPanel_corr_nom), "1.00");
    EXPECT_EQ(w->ComboBox_poli_motore_rotativo->currentText(), "6");
    EXPECT_EQ(w->ComboBox_motor_type->currentText(), "0 - Sincrono MP, rotativo");
    EXPECT_EQ(w->ComboBox_feedback_type->currentText(), "0 - Encoder Incr. senza Halls");
    EXPECT_EQ(w->Panel_encoder_risoluzione_giro_dat_increment_only->text(), "4096");
    EXPECT_EQ(w->Panel_encoder_risoluzione_giro_dat_increment_and_halls->text(), "4096");
    EXPECT_EQ(w->Panel_par_mot_flg_dat_feedback_reverse->text(), "0000h");
    EXPECT_EQ(w->Panel_par_mot_flg_enc_type_input_no_hall->text(), "0000h");
    EXPECT_TRUE(w->FlowPanel_passo_polare->isHidden());
    EXPECT_EQ(w->FlowPanel_indutt_sincrona->caption(), "Induttanza Sincrona [H]");
    EXPECT_EQ(w->Panel_enc_type_input_no_hall->text(), "Ingresso encoder");
    EXPECT_FALSE(w->Menu_Salva->isEnabled());
    type_into(w->FlowPanel_encoder_imp_increment_only->findChild<QLineEdit*>(), "1000");
    EXPECT_EQ(w->Panel_encoder_risoluzione_giro_dat_increment_and_halls->text(), "4000");
    EXPECT_EQ(Rec_get<uint32_t>(MotorEditCopy.b, MotorField::Pulses), 1000u);

    choose(w->ComboBox_motor_type, 1);
    EXPECT_EQ(Rec_get<uint16_t>(MotorEditCopy.b, MotorField::MotorType), 1);
    EXPECT_EQ(w->FlowPanel_vel_nom->caption(), "Velocità Nominale [mm/s]");
    EXPECT_EQ(w->Panel_poli_motore_linear->text(), "2 ");
    EXPECT_FALSE(w->Panel_poli_motore_linear->isHidden());
    EXPECT_TRUE(w->ComboBox_poli_motore_rotativo->isHidden());
    EXPECT_FALSE(w->FlowPanel_passo_polare->isHidden());
    EXPECT_EQ(shown_value(w->FlowPanel_passo_polare), "10.000");
    EXPECT_EQ(w->FlowPanel_encoder_imp_increment_only->caption(), "Impulsi/passo polare");
    EXPECT_EQ(w->FlowPanel_encoder_bit_multi_turn->caption(), "Bit multi passo polare");
    choose(w->ComboBox_motor_type, 2);
    EXPECT_TRUE(w->Panel_poli_motore->isHidden());
    EXPECT_TRUE(w->FlowPanel_passo_polare->isHidden());

    choose(w->ComboBox_feedback_type, 3);
    EXPECT_FALSE(w->PageControl_feedback_type->isHidden());
    EXPECT_EQ(w->PageControl_feedback_type->currentIndex(), 3);
    choose(w->ComboBox_feedback_type, 4);
    EXPECT_TRUE(w->PageControl_feedback_type->isHidden()) << "sensorless has no page";

    choose(w->ComboBox_feedback_type, 1);
    w->CheckBox_cogging_compensa_encoder_and_hall->click();
    choose(w->ComboBox_enc_type_input_hall, 1);
    w->CheckBox_feedback_reverse->click();
    EXPECT_EQ(Rec_get<uint16_t>(MotorEditCopy.b, MotorField::Flags), 0x000E);
    EXPECT_EQ(w->Panel_par_mot_flg_dat_cogging_compensa_SSI->text(), "000Eh");
    choose(w->ComboBox_poli_motore_rotativo, 4);
    EXPECT_EQ(Rec_get<uint16_t>(MotorEditCopy.b, MotorField::PolePairs), 5);
    choose(w->ComboBox_feedback_type, 0);
    EXPECT_EQ(w->ComboBox_enc_type_input_no_hall->currentIndex(), 1) << "flags bit 3 shown on the page";
    EXPECT_TRUE(w->CheckBox_cogging_compensa_encoder_only->isChecked());
}

TEST_F(MotorEditorTest, SsiBitSumIsRefusedOnceAndAnEditMarksModified)
{
    Rec_set<uint16_t>(MotorEditCopy.b, MotorField::FeedbackType, 3);
    Rec_set<uint16_t>(MotorEditCopy.b, MotorField::MultiTurn, 12);
    MotorEditRef = MotorEditCopy;
    auto w = open();
    QLineEdit* single = w->FlowPanel_encoder_bit_single_turn->findChild<QLineEdit*>();
    type_into(single, "20");
    EXPECT_EQ(Rec_get<uint16_t>(MotorEditCopy.b, MotorField::SingleTurn), 12) << "refused";
    EXPECT_TRUE(w->Timer_chk->isActive());
    w->Timer_chkTimer();
    EXPECT_FALSE(w->Timer_chk->isActive());
    EXPECT_EQ(box_texts(),
              "La somma di 'Bit singolo giro'  e  'Bit multi giro'\n non deve superare il valore 31!");
    w->Timer_runTimer();
    EXPECT_FALSE(w->Modified);
    EXPECT_FALSE(w->BitBtn_salva_dati_motor->isEnabled());

    type_into(single, "19");
    EXPECT_EQ(Rec_get<uint16_t>(MotorEditCopy.b, MotorField::SingleTurn), 19);
    w->Timer_runTimer();
    EXPECT_TRUE(w->Modified);
    EXPECT_TRUE(w->BitBtn_salva_dati_motor->isEnabled());
    EXPECT_TRUE(w->Menu_Salva->isEnabled());

    boxes.clear();
    answers = {MsgNo};
    w->Menu_ChiudiClick();
    EXPECT_EQ(box_texts(), "Vuoi Salvare i  Dati su File ?");
    EXPECT_FALSE(w->isVisible());
}

TEST_F(MotorEditorTest, SaveQuestionsAndAFailedSave)
{
    auto w = open();
    Rec_set<uint16_t>(MotorEditCopy.b, MotorField::NominalSpeed, 1234);
    w->Timer_runTimer();
    ASSERT_TRUE(w->Modified);

    // Yes to the close question, then the save dialog cancelled: saved all the same, closed.
    answers = {MsgYes};
    w->Menu_ChiudiClick();
    EXPECT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].title, "Salva");
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(std::memcmp(MotorEditRef.b, MotorEditCopy.b, MOTOR_RECORD_SIZE), 0);

    // With a file name: "Salva" writes it; a full disk shows only the writer's warning.
    w = open();
    FullDisk disk;
    ASSERT_TRUE(disk.ready());
    const QString kept = QString::fromStdString(disk.file("kept.mot"));
    MotorDataFileName = kept;
    Rec_set<uint16_t>(MotorEditCopy.b, MotorField::NominalSpeed, 2222);
    w->Timer_runTimer();
    ASSERT_TRUE(w->Modified);
    boxes.clear();
    disk.fill();
    w->BitBtn_salva_dati_motor->click();
    ASSERT_EQ(boxes.size(), 1u) << box_texts();
    EXPECT_NE(boxes[0].text, "Dati Salvati !");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
    EXPECT_TRUE(w->Modified);
    EXPECT_TRUE(w->BitBtn_salva_dati_motor->isEnabled());
    EXPECT_EQ(MotorDataFileName, kept);
    EXPECT_FALSE(QFile::exists(kept));

    // A failed write on the close question keeps the editor open and modified.
    boxes.clear();
    answers = {MsgYes};
    w->Menu_ChiudiClick();
    disk.drain();
    EXPECT_EQ(boxes[0].text, "Vuoi Salvare le Modifiche al File : kept.mot ?");
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->Modified);

    boxes.clear();
    w->BitBtn_salva_dati_motor->click();
    EXPECT_EQ(box_texts(), "Dati Salvati !");
    EXPECT_FALSE(w->Modified);
    const Bytes written = read_file(kept);
    ASSERT_EQ(written.size(), 88);
    EXPECT_EQ(std::memcmp(written.constData() + 28, MotorEditCopy.b, MOTOR_RECORD_SIZE), 0);

    // "Nuovo" keeps the file name; OK sets the defaults.
    boxes.clear();
    answers = {MsgOk};
    w->BitBtn_open_dati_motor_defClick();
    EXPECT_EQ(box_texts(), "Impostare Dati Default ?|Dati Default Impostati !");
    EXPECT_EQ(Rec_get<uint16_t>(MotorEditCopy.b, MotorField::NominalSpeed), 3000);
    EXPECT_EQ(MotorDataFileName, kept);
    EXPECT_FALSE(w->Modified);
}

TEST_F(MotorEditorTest, OpenLoadsAFileAndTheSendButtonFollowsLinkAndPower)
{
    MotorRecord m = defaults();
    Rec_set<uint16_t>(m.b, MotorField::NominalSpeed, 4321);
    ASSERT_TRUE(write_file(path("open.mot"), motor_file(m, orvel(3, 20))));
    auto w = open();
    dialogs.names = {path("open.mot")};
    w->BitBtn_load_dati_motor->click();
    EXPECT_EQ(box_texts(), "Dati Caricati !");
    EXPECT_EQ(dialogs.asked.at(0).title, "Apri");
    EXPECT_EQ(shown_value(w->FlowPanel_vel_nom), "4321");
    EXPECT_EQ(MotorDataFileName, QFileInfo(path("open.mot")).absoluteFilePath());

    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    EditStateFlags = EditState::Linked;
    w->Timer_runTimer();
    EXPECT_TRUE(w->BitBtn_invia->isEnabled());
    EditStateFlags = EditState::Linked | EditState::Status5;
    w->Timer_runTimer();
    EXPECT_FALSE(w->BitBtn_invia->isEnabled()) << "power on";
    EditStateFlags = EditState::Linked;
    Ser_link_flags.store(0);
    w->Timer_runTimer();
    EXPECT_FALSE(w->BitBtn_invia->isEnabled()) << "link down";
}

TEST_F(MotorEditorTest, CurrentRegulatorDialogEditsTheCopy)
{
    Seriale_init();
    Seriale_clear_queue();
    TForm_PID_corrente d;
    d.show();
    EXPECT_EQ(d.windowTitle(), "PID Corrente");
    EXPECT_EQ(d.FlowPanel_PID_corr_kp->findChild<QLineEdit*>()->text(), "1200");
    type_into(d.FlowPanel_PID_corr_kd->findChild<QLineEdit*>(), "999");
    EXPECT_EQ(Rec_get<uint16_t>(MotorEditCopy.b, MotorField::CurrentKd), 999);
    EXPECT_TRUE(Seriale_view().entries.empty()) << "nothing goes to the drive";
    Seriale_queue_close();
    type_into(d.FlowPanel_PID_corr_kp->findChild<QLineEdit*>(), "0");
    EXPECT_EQ(Rec_get<uint16_t>(MotorEditCopy.b, MotorField::CurrentKp), 1200) << "below the range";
}

}  // namespace

namespace {

TEST_F(MotorEditorTest, SendWritesTheRecordToTheDrive)
{
    open_window();
    attach_simulator();
    connect_and_read();
    LanguageIndex = 0;
    Rec_set<uint16_t>(MotorEditCopy.b, MotorField::PeakCurrent, 250);
    auto w = std::make_unique<TForm_load_motor>(main.get());
    w->show();
    ASSERT_TRUE(maintest::pump_until([&] { return w->BitBtn_invia->isEnabled(); }, 5000));

    bool ran = false;
    bool finished = false;
    QString title;
    QStringList lines;
    filestest::when_modal<TForm_send_motor>(
        [&](TForm_send_motor* d) {
            title = d->Panel_dat_send->text();
            lines = d->message_lines();
            maintest::pump_until([d] { return d->BitBtn_continua->isEnabled(); }, 3000);
            d->BitBtn_continua->click();
            finished = maintest::pump_until([d] { return d->message_lines().value(1) == "Scrittura Terminata"; }, 5000);
            d->BitBtn_close->click();
        },
        &ran);
    w->BitBtn_invia->click();
    ASSERT_TRUE(ran);
    EXPECT_TRUE(finished);
    EXPECT_EQ(title, "Carica dati da file");
    EXPECT_EQ(lines.value(0), "      ");
    const std::vector<std::string> frames = linktest::hex_requests(*sim, 9);
    ASSERT_EQ(frames.size(), 1u);
    const SimBytes frame = sim->requests(9).at(0).bytes;
    ASSERT_EQ(frame.size(), 64u);
    EXPECT_EQ(SimBytes(frame.begin() + 6, frame.begin() + 10), sim_unhex("00 00 27 10")) << "pole pitch";
    EXPECT_EQ(SimBytes(frame.begin() + 16, frame.begin() + 18), sim_unhex("0B B8")) << "nominal speed";
    EXPECT_EQ(std::memcmp(DriveRecordBank[0].b + RecOfs::Motor, MotorEditCopy.b, MOTOR_RECORD_SIZE), 0);
    w.reset();
}

}  // namespace
