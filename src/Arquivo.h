#ifndef GOURAUD_ARQUIVO_H
#define GOURAUD_ARQUIVO_H

#include <fstream>
#include <string>

// Opening the files the programs read, with the system's reason when one cannot be read.
class Arquivo {
public:
    // Opens `nome` for reading, in binary, into `arquivo`; the reason it cannot be ("Is a
    // directory", "No such file or directory", ...), or "" when it is open.
    static std::string abrir(const std::string& nome, std::ifstream& arquivo);
};

#endif
