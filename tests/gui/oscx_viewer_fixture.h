#pragma once
// Shared set-up of the recording viewer and trace print tests: the printout's set-up (Italian, C
// locale, ORVEL, the A4 table), both sorted catalogues, a folder for recordings, the viewer shown
// without a drive, and recordings written with the scope's writer.
#include "print_fixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

#include "gui_app.h"
#include "scope/Diagramx.h"
#include "scope/Oscx.h"
#include "scope_core/Oscx_file_core.h"
#include "scope/Oscx_load_dat.h"
#include "scope/Oscx_print.h"
#include "scope/Oscx_set.h"
#include "scope_core/Oscx_signals_core.h"
#include "shell/Colordlg.h"
#include "shell/Filedlg.h"

class OscxViewerTest : public PrintTest {
protected:
    void SetUp() override
    {
        PrintTest::SetUp();
        ASSERT_TRUE(dir_.isValid());
        static const bool sorted = [] {
            Oscx_set_sort_signals(ScopeCatalogueOrvel, &ScopeCatalogueOrvelCount);
            Oscx_set_sort_signals(ScopeCataloguePelsan, &ScopeCataloguePelsanCount);
            return true;
        }();
        (void)sorted;
        ScopeFamilyCatalogue[0] = {ScopeCatalogueOrvel, ScopeCatalogueOrvelCount};
        ScopeFamilyCatalogue[1] = {ScopeCataloguePelsan, ScopeCataloguePelsanCount};
        ScopeSignalTable = ScopeFamilyCatalogue[0];
        Versoftw_init_family_versions();
        saved_family_ = CurrentFamily;
        CurrentFamily = &FamilyOrvel;
        Oscx_register_windows([](OscxWindow, OscxWindowFactory) {});
    }
    void TearDown() override
    {
        Filedlg_set_sink({});
        Colordlg_set_sink({});
        viewer_.reset();
        TForm_Oscx_print_preview::fixed_panel.reset();
        end_test_objects();
        CurrentFamily = saved_family_;
        PrintTest::TearDown();
    }

    TForm_Oscx_load_dat& open_viewer()
    {
        viewer_.reset(TForm_Oscx_load_dat_new(nullptr));
        viewer_->show();
        return *viewer_;
    }
    std::string ui(const std::string& spec) const { return ::ui(spec, viewer_.get()); }

    // The settings of a recording: channel c on catalogue row c + 1, all shown, automatic.
    static ScopeSettingsRec settings()
    {
        ScopeSettingsRec s{};
        for (unsigned c = 0; c < SCOPE_CHANNELS; ++c) {
            s.channel[c].signal_code = ScopeCatalogueOrvel[c + 1].code;
            s.channel[c].flags = 0x01;
            s.channel[c].colour = 0x000000;
            s.channel[c].scale_max = 4000;
            s.channel[c].scale_min = -4000;
        }
        s.record_length = 1000;
        s.axis_right = 1;
        return s;
    }
    static std::vector<double> samples(uint32_t n)
    {
        std::vector<double> rows(std::size_t(n) * SCOPE_CHANNELS);
        for (std::size_t i = 0; i < rows.size(); ++i)
            rows[i] = double(i) * 0.5 - 3;
        return rows;
    }
    static std::vector<uint8_t> recording(const ScopeSettingsRec& s, const std::vector<double>& rows,
                                          const DriveFamilyRecord& family = FamilyOrvel, uint16_t motor = 0)
    {
        const ScopeSamplePiece piece{rows.data(), static_cast<uint32_t>(rows.size() / SCOPE_CHANNELS)};
        return Scope_recording_image(s, family, motor, &piece, 1);
    }
    QString write(const char* name, const std::vector<uint8_t>& bytes)
    {
        const QString path = dir_.path() + "/" + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }
    // Opens the file through the open command with the file dialog scripted.
    void open_file(const QString& path)
    {
        Filedlg_set_sink([path](const FileDialogSpec&) { return path; });
        viewer_->BitBtn_openClick();
        Filedlg_set_sink({});
    }
    std::string message_texts()
    {
        std::string out;
        for (const MsgRequest& m : take_messages())
            out += m.title + ": " + m.text + ";";
        return out;
    }

    std::unique_ptr<TForm_Oscx_load_dat> viewer_;
    QTemporaryDir dir_;
    const DriveFamilyRecord* saved_family_ = nullptr;
};
