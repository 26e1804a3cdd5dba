#pragma once
// The one gateway for modal message boxes. The GUI installs a sink that shows a QMessageBox;
// tests install a sink that records the messages and scripts the answers.
#include <functional>
#include <string>

enum class MsgIcon { Warning, Error, Information, Question };

enum MsgButton : unsigned {
    MsgOk = 1u << 0,
    MsgCancel = 1u << 1,
    MsgYes = 1u << 2,
    MsgNo = 1u << 3,
};

struct MsgRequest {
    MsgIcon icon;
    std::string title;  // "Attenzione" / "Attention"
    std::string text;
    unsigned buttons;   // MsgButton bits
};

// Returns the MsgButton pressed.
using MsgSink = std::function<MsgButton(const MsgRequest&)>;

// Installs a sink and returns the previous one. With no sink installed every box answers its
// first button (Ok, else Yes) and is written to stderr.
MsgSink Msgbox_set_sink(MsgSink sink);

MsgButton Msgbox_show(const MsgRequest& request);

// Title of every box in the given language (0 Italian, 1 English, 2 French).
const char* Msgbox_title(unsigned language);
