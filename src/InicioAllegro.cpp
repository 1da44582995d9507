#include "FalhaAllegro.h"

#include <allegro.h>

#include <iostream>

void FalhaAllegro::relatar(const char* programa, const char* etapa) {
    std::cerr << programa << ": " << etapa << " failed: ";
    if (allegro_error[0] != '\0') {
        std::cerr << allegro_error;
    } else {
        // The library leaves the reason empty when no system driver at all could start.
        std::cerr << "no display could be opened (DISPLAY may be unset)";
    }
    std::cerr << std::endl;
}
