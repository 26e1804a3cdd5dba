#include "platform/Msgbox.h"

#include <cstdio>
#include <mutex>

namespace {
std::mutex sink_mutex;
MsgSink current_sink;

MsgButton default_answer(const MsgRequest& r)
{
    std::fprintf(stderr, "[%s] %s\n", r.title.c_str(), r.text.c_str());
    if (r.buttons & MsgOk)
        return MsgOk;
    if (r.buttons & MsgYes)
        return MsgYes;
    return MsgCancel;
}
}  // namespace

MsgSink Msgbox_set_sink(MsgSink sink)
{
    std::lock_guard<std::mutex> lock(sink_mutex);
    MsgSink old = std::move(current_sink);
    current_sink = std::move(sink);
    return old;
}

MsgButton Msgbox_show(const MsgRequest& request)
{
    MsgSink sink;
    {
        std::lock_guard<std::mutex> lock(sink_mutex);
        sink = current_sink;
    }
    return sink ? sink(request) : default_answer(request);
}

const char* Msgbox_title(unsigned language)
{
    return language == 0 ? "Attenzione" : "Attention";
}
