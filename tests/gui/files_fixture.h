#pragma once
// Shared pieces of the data-file, archive and transfer tests: a scripted file-dialog sink, drive
// data file images built by hand, and running code inside a modal dialog's loop.
#include "main_fixture.h"

#include <QApplication>
#include <QFile>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "drivedata/Init.h"
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

// A drive image in host order from the simulator's drive-order bytes.
inline DriveRecord host_image(const SimBytes& drive_order)
{
    DriveRecord r;
    std::memcpy(r.b, drive_order.data(), DRIVE_RECORD_SIZE);
    Init_swap_image(r.b);
    return r;
}

// Runs body once a modal dialog of type D is active, then leaves it to the body to close the
// dialog. `ran` tells whether the body ran.
// - The body runs from the dialog's own event loop, not inside the polling timer's slot, and only
//   while that dialog still exists and is shown.
// - A body may close the dialog (a Close click, close(), done()); the dialog is only deleted
//   after its exec() returned, so the body may still read it, but must not delete it.
// - The script belongs to the running test: if its dialog never came, it ends with the test and
//   can neither run on a later test's dialog nor write to the test's locals.
// - After timeout_ms without its dialog, whatever modal dialog is up is ended (queued, so no
//   dialog is closed from within a call it is running), so a test never hangs in a dialog that
//   did not come.
template <typename D>
void when_modal(const std::function<void(D*)>& body, bool* ran = nullptr, int timeout_ms = 10000)
{
    auto* timer = new QTimer;
    test_objects().emplace_back(timer);
    auto start = std::make_shared<QElapsedTimer>();
    start->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, body, ran, start, timeout_ms] {
        if (auto* found = qobject_cast<D*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            const QPointer<D> d(found);
            QTimer::singleShot(0, found, [d, body, ran] {
                if (!d || !d->isVisible())
                    return;  // closed before the body could run: ran stays false
                if (ran)
                    *ran = true;
                body(d.data());
            });
        } else if (start->elapsed() > timeout_ms) {
            timer->stop();
            timer->deleteLater();
            if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                QTimer::singleShot(0, other, [other] { other->done(QDialog::Rejected); });
        }
    });
    timer->start();
}

}  // namespace filestest
