#include "platform/Syslang.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

unsigned Syslang_default_language()
{
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value)
            return std::strncmp(value, "it", 2) == 0 ? 0u : 1u;
    }
    return 1u;
}
