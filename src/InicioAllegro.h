#ifndef GOURAUD_FALHA_ALLEGRO_H
#define GOURAUD_FALHA_ALLEGRO_H

// How the two programs report a graphics library start-up step that failed.
class FalhaAllegro {
public:
    // Writes "PROGRAMA: ETAPA failed: REASON" as one line on standard error, the reason being
    // the library's own, or that no display could be opened when the library gives none.
    static void relatar(const char* programa, const char* etapa);
};

#endif
