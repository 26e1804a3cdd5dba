#pragma once
// Line rates that have no B-constant, set through termios2 (BOTHER). Kept apart from
// Serport.cpp because the kernel's termios2 header clashes with <termios.h>.
#include <cstdint>

// Sets input and output rate of the open terminal `fd` to `baud`. False when refused.
bool Serport_set_custom_speed(int fd, uint32_t baud);
// Reads the output rate of `fd` as a number of bits per second. False when unavailable.
bool Serport_get_speed(int fd, uint32_t* baud);
