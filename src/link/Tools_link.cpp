#include "link/Tools_link.h"

ProcReplyRec ProcReply{};
std::atomic<uint8_t> ProcState{0};
std::atomic<uint8_t> CoggingFlags{0};
