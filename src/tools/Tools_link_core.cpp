#include "tools/Tools_link_core.h"

ProcReplyRec ProcReply{};
std::atomic<uint8_t> ProcState{0};
std::atomic<uint8_t> CoggingFlags{0};
