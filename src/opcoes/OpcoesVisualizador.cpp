#include "OpcoesVisualizador.h"

#include <CLI/CLI.hpp>

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "TabelaOpcoes.h"

namespace gouraud::detail {

namespace {

constexpr std::string_view kFimDasOpcoes = "--";

// A value the viewer refuses: thrown by an option's check, with the reason, to end the reading.
class ErroUso : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads one command line into an OpcoesVisualizador with CLI11. CLI11 finds the options of the
// table and their values; the checks of the values are the table's, and the file to draw is
// among the words CLI11 leaves over (its "extras"): after the parse, the first of them is the
// file, and an unknown option or a second file is refused.
class Leitor {
public:
    Leitor() {
        // The usage text is the viewer's own, so --help is an ordinary switch of the table.
        app.set_help_flag();
        app.allow_extras();
        for (const Opcao& opcao : tabelaOpcoes()) {
            declarar(opcao);
        }
    }
    Leitor(const Leitor&) = delete;
    Leitor& operator=(const Leitor&) = delete;

    OpcoesVisualizador::Leitura ler(int argc, const char* const* argv);

private:
    // Gives CLI11 one option of the table. Each value is checked as soon as it is read, so that
    // the first bad value on the line is the one named; a value is taken whatever it looks like,
    // so "--cima -y" works.
    void declarar(const Opcao& opcao);
    // The reason for one of CLI11's own errors, in the viewer's words.
    std::string motivoDe(const CLI::ParseError& erro, int argc, const char* const* argv) const;
    // Takes the file to draw from the words CLI11 left over; "" or the reason they are refused.
    std::string lerArquivos();

    CLI::App app{"visualizador"};
    OpcoesVisualizador opcoes;
    // Words that an option with an optional value took but that are not its value: files.
    std::vector<std::string> arquivosDasOpcoes;
    Opcao::Leitura leitura{opcoes, arquivosDasOpcoes};
};

void Leitor::declarar(const Opcao& opcao) {
    const std::string nomes =
        std::string(opcao.nome) + (opcao.curto.empty() ? "" : "," + std::string(opcao.curto));
    const auto aplicar = [this, &opcao](const std::string& valor) {
        const std::string motivo = opcao.ler(valor, leitura);
        if (!motivo.empty()) {
            throw ErroUso(motivo);
        }
    };
    switch (opcao.valor) {
        case Opcao::Valor::nenhum:
            app.add_flag_callback(nomes, [aplicar] { aplicar(""); })
                ->disable_flag_override()
                ->trigger_on_parse();
            break;
        case Opcao::Valor::obrigatorio:
            app.add_option_function<std::string>(nomes, aplicar)->trigger_on_parse();
            break;
        case Opcao::Valor::opcional:
            app.add_option_function<std::string>(nomes, aplicar)
                ->expected(0, 1)
                ->default_str(std::string(opcao.padrao))
                ->trigger_on_parse();
            break;
    }
}

std::string Leitor::motivoDe(const CLI::ParseError& erro, int argc,
                             const char* const* argv) const {
    // CLI11 runs out of words for an option's value only at the end of the command line.
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&erro) != nullptr && argc > 1) {
        const std::string_view ultima = argv[argc - 1];
        const Opcao* opcao = Opcao::procurar(ultima.substr(0, ultima.find('=')));
        if (opcao != nullptr && !opcao->falta.empty()) {
            return std::string(opcao->falta);
        }
    }
    // The other words CLI11 refuses are switches given a value, "--arestas=sim": not an option
    // of the viewer.
    for (int i = 1; i < argc && argv[i] != kFimDasOpcoes; ++i) {
        const std::string_view palavra = argv[i];
        const std::size_t igual = palavra.find('=');
        if (!palavra.starts_with("--") || igual == std::string_view::npos) {
            continue;
        }
        const Opcao* opcao = Opcao::procurar(palavra.substr(0, igual));
        if (opcao == nullptr || opcao->valor == Opcao::Valor::nenhum) {
            return "unknown option " + std::string(palavra);
        }
    }
    return erro.what();
}

std::string Leitor::lerArquivos() {
    std::vector<std::string> arquivos = arquivosDasOpcoes;
    bool fimDasOpcoes = false;
    for (const std::string& palavra : app.remaining()) {
        // CLI11 leaves the first "--" among the extras, where it came; every word after it is a
        // file, even one that looks like an option.
        if (!fimDasOpcoes && palavra == kFimDasOpcoes) {
            fimDasOpcoes = true;
        } else if (!fimDasOpcoes && palavra.size() > 1 && palavra[0] == '-') {
            // CLI11 takes a word such as "-3" for a value, not an option; before "--" it is
            // neither for the viewer.
            return "unknown option " + palavra;
        } else {
            arquivos.push_back(palavra);
            // A second file is refused before anything after it is looked at.
            if (arquivos.size() > 1) break;
        }
    }
    if (arquivos.size() > 1) {
        return "only one scene file can be given";
    }
    if (!arquivos.empty()) {
        opcoes.cena = arquivos.front();
    }
    return "";
}

OpcoesVisualizador::Leitura Leitor::ler(int argc, const char* const* argv) {
    OpcoesVisualizador::Leitura resultado;
    try {
        app.parse(argc, argv);
        resultado.motivo = lerArquivos();
        const gouraud::Buffers& buffers = opcoes.buffers;
        if (resultado.motivo.empty() && opcoes.olhar && opcoes.vista) {
            resultado.motivo = "--olhar and --vista were both given; choose one";
        } else if (resultado.motivo.empty() && (buffers.profundidade || buffers.normais ||
                                                 buffers.triangulo || buffers.parte)) {
            if (!opcoes.imagem && !opcoes.quadrosMedidos) {
                resultado.motivo =
                    "--buffers writes its files beside --imagem's: give --imagem (or --medir, "
                    "to time them) too";
            }
        }
        if (resultado.motivo.empty()) {
            // Options that go together wrongly are named as the command line writes them.
            const std::string conjunto = problemaConjunto(opcoes);
            resultado.motivo = conjunto.empty() ? "" : "--" + conjunto;
        }
    } catch (const ErroUso& erro) {
        resultado.motivo = erro.what();
    } catch (const CLI::ParseError& erro) {
        resultado.motivo = motivoDe(erro, argc, argv);
    }
    if (resultado.motivo.empty()) {
        resultado.opcoes = opcoes;
    }
    return resultado;
}

}  // namespace

OpcoesVisualizador::Leitura OpcoesVisualizador::ler(int argc, const char* const* argv) {
    Leitor leitor;
    return leitor.ler(argc, argv);
}

}  // namespace gouraud::detail
