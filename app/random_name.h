#pragma once

#include <cstdint>

#include "app/random_source.h"

namespace vexa {

// Fills `buffer` with size - 1 characters drawn from the ASCII digits, lower-case and upper-case
// letters (each group left out when its flag says so) and a closing NUL. With every group left
// out the buffer becomes the empty string; a null buffer or size 0 does nothing. A null source
// means the process's generator.
void makeRandomName(RandomSource* source, char* buffer, uint32_t size, bool noDigits,
                    bool noLowerCase, bool noUpperCase);

// The name of the process's window class: 15 random digits and letters, made on the first call
// and the same for the rest of the process. GUI thread only.
const char* windowClassName();

}  // namespace vexa
