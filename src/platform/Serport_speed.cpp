#include "platform/Serport_speed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

bool Serport_set_custom_speed(int fd, uint32_t baud)
{
    if (baud == 0)
        return false;
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return false;
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = baud;
    t.c_ospeed = baud;
    if (ioctl(fd, TCSETS2, &t) != 0)
        return false;
    // The driver may round to a rate its clock can make; more than 2 % off is refused.
    termios2 check{};
    if (ioctl(fd, TCGETS2, &check) != 0)
        return false;
    const uint64_t diff = check.c_ospeed > baud ? check.c_ospeed - baud : baud - check.c_ospeed;
    return diff * 50u <= baud;
}

bool Serport_get_speed(int fd, uint32_t* baud)
{
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return false;
    *baud = t.c_ospeed;
    return true;
}
