// The table of options against what is made from it: the command line takes every option as the
// table declares it, the library's options set what the same command line sets, and the usage
// shows every option.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "Documentacao.h"
#include "OpcoesVisualizador.h"
#include "TabelaOpcoes.h"
#include "TabelaTeclas.h"
#include "gouraud/Opcoes.h"

using namespace gouraud::detail;

namespace {

OpcoesVisualizador::Leitura ler(const std::vector<std::string>& palavras) {
    std::vector<const char*> argv = {"visualizador"};
    for (const std::string& palavra : palavras) argv.push_back(palavra.c_str());
    return OpcoesVisualizador::ler(static_cast<int>(argv.size()), argv.data());
}

TEST(TabelaOpcoes, CadaOpcaoComoATabelaADeclara) {
    std::set<std::string> nomes;
    const std::string uso = Documentacao::uso();
    const std::string manual = Documentacao::manual();
    const std::string markdown = Documentacao::opcoesMarkdown();
    for (const Opcao& opcao : tabelaOpcoes()) {
        const std::string nome(opcao.nome);
        EXPECT_TRUE(nomes.insert(nome).second) << nome << " is declared twice";
        EXPECT_EQ(Opcao::procurar(nome), &opcao);
        EXPECT_NE(uso.find(nome), std::string::npos) << nome << " is not in the usage";
        EXPECT_NE(markdown.find("`" + nome), std::string::npos) << nome << " is not in the docs";
        std::string roff;
        for (const char c : nome) roff += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(manual.find(roff), std::string::npos) << nome << " is not in the manual";
        EXPECT_EQ(opcao.daBiblioteca == nullptr && opcao.daAbertura == nullptr,
                  opcao.campo.empty())
            << nome;
        switch (opcao.valor) {
            case Opcao::Valor::nenhum:
                // A switch takes no value, and is read with no word after it.
                EXPECT_TRUE(ler({nome}).opcoes) << nome << ": " << ler({nome}).motivo;
                EXPECT_EQ(ler({nome + "=x"}).motivo, "unknown option " + nome + "=x");
                break;
            case Opcao::Valor::obrigatorio:
                // Ending the line before the value gives the table's reason.
                EXPECT_FALSE(opcao.falta.empty()) << nome;
                EXPECT_EQ(ler({nome}).motivo, opcao.falta) << nome;
                break;
            case Opcao::Valor::opcional:
                EXPECT_TRUE(ler({nome}).opcoes) << nome;
                EXPECT_EQ(ler({nome, opcao.padrao.data()}).motivo, "") << nome;
                break;
        }
    }
}

TEST(TabelaOpcoes, ABibliotecaPedeOQueALinhaDeComandoPede) {
    const auto linha = ler({"--cima", "-z", "--vista", "iso", "--tamanho", "800x600", "--modo",
                            "phong", "--arestas", "--normais", "--sem-cor", "--ponto", "5"});
    ASSERT_TRUE(linha.opcoes) << linha.motivo;
    const gouraud::Opcoes biblioteca{.vista = gouraud::Vista::iso,
                                     .cima = gouraud::Cima::menosZ,
                                     .largura = 800,
                                     .altura = 600,
                                     .modo = gouraud::Modo::phong,
                                     .arestas = true,
                                     .normais = true,
                                     .cores = false,
                                     .ponto = 5};
    OpcoesVisualizador pedido;
    ASSERT_EQ(opcoesDaBiblioteca(biblioteca, pedido), "");
    const OpcoesVisualizador& o = *linha.opcoes;
    EXPECT_EQ(pedido.cima, o.cima);
    EXPECT_EQ(pedido.vista, o.vista);
    EXPECT_EQ(pedido.largura, o.largura);
    EXPECT_EQ(pedido.altura, o.altura);
    EXPECT_EQ(pedido.estilo.modo, o.estilo.modo);
    EXPECT_EQ(pedido.estilo.arestas, o.estilo.arestas);
    EXPECT_EQ(pedido.estilo.normais, o.estilo.normais);
    EXPECT_EQ(pedido.estilo.cores, o.estilo.cores);
    EXPECT_EQ(pedido.estilo.tamanhoPonto, o.estilo.tamanhoPonto);

    // How to open a file, likewise.
    const auto limites = ler({"--limite-memoria", "512", "--limite-tempo", "7", "--sem-isolamento"});
    ASSERT_TRUE(limites.opcoes) << limites.motivo;
    OpcoesVisualizador aberto;
    ASSERT_EQ(opcoesDaAbertura({.isolamento = false, .limiteMemoria = 512, .limiteTempo = 7},
                               aberto),
              "");
    EXPECT_EQ(aberto.isolamento.limiteMemoria, limites.opcoes->isolamento.limiteMemoria);
    EXPECT_EQ(aberto.isolamento.limiteTempo, limites.opcoes->isolamento.limiteTempo);
    EXPECT_EQ(aberto.isolamento.ativo, limites.opcoes->isolamento.ativo);
    EXPECT_EQ(opcoesDaAbertura({.limiteTempo = 0}, aberto),
              "the time limit 0 s is out of range: it goes from 1 to 86400 s");

    // The defaults of both are the same settings.
    const auto padrao = ler({});
    OpcoesVisualizador daBiblioteca;
    ASSERT_EQ(opcoesDaBiblioteca(gouraud::Opcoes{}, daBiblioteca), "");
    EXPECT_EQ(daBiblioteca.largura, padrao.opcoes->largura);
    EXPECT_EQ(daBiblioteca.estilo.modo, padrao.opcoes->estilo.modo);
    EXPECT_EQ(daBiblioteca.estilo.tamanhoPonto, padrao.opcoes->estilo.tamanhoPonto);
    EXPECT_EQ(daBiblioteca.cima, padrao.opcoes->cima);
}

TEST(TabelaOpcoes, ThreadsDaLinhaEDaBibliotecaComOsMesmosLimites) {
    for (const auto& [valor, esperado] :
         {std::pair{"0", 0}, {"1", 1}, {"256", OpcoesVisualizador::kMaisThreads}}) {
        const auto linha = ler({"--threads", valor});
        ASSERT_TRUE(linha.opcoes) << linha.motivo;
        EXPECT_EQ(linha.opcoes->threads, esperado);
        OpcoesVisualizador aberto;
        ASSERT_EQ(opcoesDaAbertura({.threads = esperado}, aberto), "");
        EXPECT_EQ(aberto.threads, esperado);
    }
    for (const char* fora : {"-1", "257", "dois", ""}) {
        const auto linha = ler({"--threads", fora});
        EXPECT_FALSE(linha.opcoes) << fora;
    }
    EXPECT_EQ(ler({"--threads", "257"}).motivo,
              "--threads takes a count from 0 (one per core) to 256, not 257");
    OpcoesVisualizador aberto;
    EXPECT_EQ(opcoesDaAbertura({.threads = -1}, aberto),
              "the thread count -1 is out of range: it goes from 0 (one per core) to 256");
    EXPECT_EQ(ler({}).opcoes->threads, 0);
}

TEST(TabelaTeclas, CadaTeclaUmaVezEOpcoesQueExistem) {
    std::set<std::pair<int, char>> teclas;
    std::set<Comando> comandos;
    for (const EntradaTeclas& entrada : tabelaTeclas()) {
        EXPECT_GT(entrada.quantAtalhos, 0) << entrada.rotulo;
        EXPECT_TRUE(entrada.opcao.empty() || Opcao::procurar(entrada.opcao) != nullptr)
            << entrada.rotulo << " names " << entrada.opcao;
        for (const Atalho& atalho : entrada.getAtalhos()) {
            const int qual = static_cast<int>(atalho.tecla.tipo) * 100 +
                             (atalho.tecla.tipo == Tecla::Tipo::especial
                                  ? static_cast<int>(atalho.tecla.especial)
                                  : 0);
            EXPECT_TRUE(teclas.insert({qual, atalho.tecla.caractere}).second)
                << entrada.rotulo << ": a key given twice";
            comandos.insert(atalho.comando);
        }
    }
    // Every command has a key.
    EXPECT_EQ(comandos.size(), static_cast<std::size_t>(Comando::sair) + 1);
    EXPECT_EQ(Documentacao::teclasDaOpcao("--modo"), "M");
    EXPECT_EQ(Documentacao::teclasDaOpcao("--tamanho"), "");
}

TEST(Documentacao, QuebraAsLinhasNosEspacos) {
    EXPECT_EQ(Documentacao::quebrar("aa bb cc dd", 5, "> "), "> aa bb\n> cc dd\n");
    EXPECT_EQ(Documentacao::quebrar("palavracomprida x", 4, ""), "palavracomprida\nx\n");
    EXPECT_EQ(Documentacao::quebrar("", 10, "  "), "");
}

}  // namespace
