#include "shell/Toolwin.h"

#include <QDialog>

#include <array>
#include <cstddef>

namespace {
struct ToolSlot {
    ToolFactory factory;
    QPointer<QWidget> window;
};
std::array<ToolSlot, static_cast<std::size_t>(ToolWin::Count)> tool_slots;

ToolSlot& slot(ToolWin kind) { return tool_slots[static_cast<std::size_t>(kind)]; }
}  // namespace

void Toolwin_register(ToolWin kind, ToolFactory factory) { slot(kind).factory = std::move(factory); }

void Toolwin_unregister(ToolWin kind) { slot(kind).factory = nullptr; }

bool Toolwin_available(ToolWin kind) { return static_cast<bool>(slot(kind).factory); }

QWidget* Toolwin_create(ToolWin kind, QWidget* parent)
{
    ToolSlot& s = slot(kind);
    if (!s.factory)
        return nullptr;
    s.window = s.factory(parent);
    return s.window;
}

int Toolwin_run_modal(ToolWin kind, QWidget* parent)
{
    int result = 0;
    if (QWidget* window = Toolwin_create(kind, parent)) {
        if (auto* dialog = qobject_cast<QDialog*>(window))
            result = dialog->exec();
        delete window;
    }
    return result;
}

QWidget* Toolwin_open(ToolWin kind) { return slot(kind).window; }
