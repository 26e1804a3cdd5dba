#pragma once
// The shared run state of every layer back to its start values, for start-up and test fixtures.

// The link's own state: mode change, image read, page context, simulated inputs, scope switches,
// read list, write acknowledgement, chunk and status flags, line timing (counters excepted).
struct LinkSharedState {
    static void reset();
};

// Upper layers' resets, installed at start-up (the shell's), called after the lower ones.
struct StateResetEntries {
    void (*upper)() = nullptr;
};
extern StateResetEntries StateResets;

// DriveDataState, LinkSharedState, then the installed upper resets.
void State_reset_all();
