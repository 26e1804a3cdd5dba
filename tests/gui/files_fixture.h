#pragma once
// Shared pieces of the data-file, archive and transfer tests: a scripted file-dialog sink, drive
// data file images built by hand, and running code inside a modal dialog's loop.
#include "main_fixture.h"

#include <QApplication>
#include <QFile>
#include <QDialog>
#include <QTimer>

#include <array>
#include <deque>
#include <functional>
#include <vector>

#include "drivedata/Versoftw.h"
#include "shell/Filedlg.h"
#include "shell/Main_files.h"

namespace filestest {

using maintest::pump_for;
using maintest::pump_until;

// Records every file dialog; answers with the scripted names in order (empty: cancelled).
class DialogScript {
public:
    DialogScript()
    {
        old_ = Filedlg_set_sink([this](const FileDialogSpec& spec) {
            asked.push_back(spec);
            if (names.empty())
                return QString();
            const QString n = names.front();
            names.pop_front();
            return n;
        });
    }
    ~DialogScript() { Filedlg_set_sink(std::move(old_)); }

    std::vector<FileDialogSpec> asked;
    std::deque<QString> names;

private:
    FiledlgSink old_;
};

inline QByteArray read_file(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool write_file(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A drive data file image of any family record and payload; the check byte is right.
inline QByteArray drive_file(const DriveFamilyRecord& family, const DriveRecord& payload)
{
    std::array<uint8_t, DRIVE_FILE_SIZE> image{};
    DataFileHeader_build(image.data(), image.size(), payload.b, sizeof payload.b, family);
    return QByteArray(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
}

// The current family's record with another data version.
inline DriveFamilyRecord family_with_version(uint8_t major, uint8_t minor)
{
    DriveFamilyRecord f = *CurrentFamily;
    f.version_major = major;
    f.version_minor = minor;
    return f;
}

// A record with every byte set from a pattern.
inline DriveRecord pattern_record(unsigned seed)
{
    DriveRecord r;
    for (std::size_t i = 0; i < DRIVE_RECORD_SIZE; ++i)
        r.b[i] = static_cast<uint8_t>(i * 7 + seed * 13 + 1);
    return r;
}

// Runs body once a modal widget of type D is active (polled from the event loop), then leaves it
// to the body to close the dialog. `ran` tells whether the body ran.
template <typename D>
void when_modal(const std::function<void(D*)>& body, bool* ran = nullptr, int timeout_ms = 10000)
{
    auto* timer = new QTimer;
    auto start = std::make_shared<QElapsedTimer>();
    start->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, body, ran, start, timeout_ms] {
        if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            if (ran)
                *ran = true;
            body(d);
        } else if (start->elapsed() > timeout_ms) {
            // Never leave a test hanging in a dialog that did not come.
            timer->stop();
            timer->deleteLater();
            if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                other->done(0);
        }
    });
    timer->start();
}

}  // namespace filestest
