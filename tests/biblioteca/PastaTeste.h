#ifndef GOURAUD_TESTES_PASTA_TESTE_H
#define GOURAUD_TESTES_PASTA_TESTE_H

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// A folder of the running test's own, named after it and the run's seed, removed at the end.
class PastaTeste {
public:
    explicit PastaTeste(const std::string& prefixo)
        : caminho(std::filesystem::temp_directory_path() /
                  (prefixo + "-" +
                   std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        std::filesystem::create_directories(caminho);
    }
    ~PastaTeste() { std::filesystem::remove_all(caminho); }
    PastaTeste(const PastaTeste&) = delete;
    PastaTeste& operator=(const PastaTeste&) = delete;
    std::string operator/(const std::string& nome) const { return (caminho / nome).string(); }

private:
    std::filesystem::path caminho;
};

#endif
