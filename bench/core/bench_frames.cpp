// Frame CRC and build, and the request queue under load.
#include <benchmark/benchmark.h>

#include <cstring>

#include "drivedata/Globvar.h"
#include "link/Seriale.h"

namespace {

Ser_req_ptr write_var(uint16_t index, uint32_t value)
{
    Ser_req_ptr r = Ser_req_new(SerCmd::WriteVar, 8);
    const uint8_t item[8] = {uint8_t(index >> 8), uint8_t(index), 0, 0x20,
                             uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)};
    std::memcpy(r->frame.get() + 2, item, sizeof item);
    return r;
}

void BM_Crc255(benchmark::State& state)
{
    uint8_t frame[255];
    for (int i = 0; i < 255; ++i)
        frame[i] = uint8_t(i * 31 + 7);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Crc16_modbus(frame, sizeof frame));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 255);
}
BENCHMARK(BM_Crc255);

// What a builder and the sender do for the longest frame: allocate, fill, write the CRC.
void BM_BuildFrame255(benchmark::State& state)
{
    uint8_t payload[251];
    for (int i = 0; i < 251; ++i)
        payload[i] = uint8_t(i);
    for (auto _ : state) {
        Ser_req_ptr r = Ser_req_new(SerCmd::WriteBlock, sizeof payload);
        std::memcpy(r->frame.get() + 2, payload, sizeof payload);
        Ser_frame_set_crc(r->frame.get(), r->length);
        benchmark::DoNotOptimize(r->frame[254]);
    }
}
BENCHMARK(BM_BuildFrame255);

// A full queue of 200: a merged write that scans to the tail, one append, next and pop.
void BM_QueueMergePushNextPop(benchmark::State& state)
{
    Seriale_init();
    Seriale_clear_queue();
    Drive_status_update_word(StatusBit::WritesHeld, 0);
    for (int i = 0; i < SER_QUEUE_MAX - 2; ++i)
        Seriale_push(Ser_req_new(7, 1));
    Seriale_push(write_var(0x2010, 0), 1);
    uint32_t value = 0;
    Ser_tx_frame tx;
    for (auto _ : state) {
        Seriale_push(write_var(0x2010, ++value), 1);
        Seriale_push(Ser_req_new(7, 1));
        Seriale_next(tx);
        Seriale_pop(tx.id);
    }
    state.counters["queued"] = Seriale_count();
    Seriale_clear_queue();
}
BENCHMARK(BM_QueueMergePushNextPop);

}  // namespace
