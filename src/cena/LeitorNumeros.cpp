#include "LeitorNumeros.h"

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <system_error>

namespace gouraud::detail {

namespace {

// Classic-locale white space is ' ' plus the contiguous control range '\t' '\n' '\v' '\f' '\r'.
constexpr unsigned char kPrimeiroEspacoDeControle = '\t';
constexpr unsigned char kUltimoEspacoDeControle = '\r';

// Largest magnitude an int can hold when negative; any larger magnitude is already out of range,
// so accumulation stops growing there (keeping the loop free of 64-bit overflow).
constexpr std::uint64_t kMagnitudeMaximaNegativa =
    static_cast<std::uint64_t>(std::numeric_limits<int>::max()) + 1;
constexpr std::uint64_t kMagnitudeMaximaPositiva = std::numeric_limits<int>::max();
constexpr std::uint64_t kBaseDecimal = 10;

bool ehEspaco(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u == ' ' || static_cast<unsigned char>(u - kPrimeiroEspacoDeControle) <=
                           kUltimoEspacoDeControle - kPrimeiroEspacoDeControle;
}

bool ehDigito(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

bool ehSinal(char c) { return c == '+' || c == '-'; }

bool ehMarcaDeExpoente(char c) { return c == 'e' || c == 'E'; }

const char* pularEspacos(const char* p, const char* fim) {
    while (p != fim && ehEspaco(*p)) ++p;
    return p;
}

// True when the number parsed in [inicio, final) ends with an exponent. The leading sign has
// been handled before `inicio`, so a sign or e/E before the trailing digits can only belong to
// an exponent.
bool terminaEmExpoente(const char* inicio, const char* final) {
    while (final != inicio && ehDigito(final[-1])) --final;
    return final != inicio && (ehSinal(final[-1]) || ehMarcaDeExpoente(final[-1]));
}

// Converts a token that std::from_chars rejected as out of range the way the stream does: through
// strtod in the "C" locale (independent of any setlocale call). The result is ±0 on underflow or
// ±HUGE_VAL on overflow.
double converterForaDeFaixa(const char* inicio, const char* fim) {
    static const locale_t localeC = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    const std::string copia(inicio, fim);  // strtod needs a NUL-terminated string
    if (localeC == static_cast<locale_t>(0)) return std::strtod(copia.c_str(), nullptr);
    return strtod_l(copia.c_str(), nullptr, localeC);
}

}  // namespace

LeitorNumeros::LeitorNumeros(const char* inicio, const char* fim)
    : atual(inicio), fim(fim), parado(false) {}

bool LeitorNumeros::lerInteiro(int& valor) {
    valor = 0;
    if (parado) return false;
    const char* p = pularEspacos(atual, fim);
    // Records where the stream's extraction stopped and stops the reader.
    const auto falhar = [this](const char* onde) {
        atual = onde;
        parado = true;
        return false;
    };

    bool negativo = false;
    if (p != fim && ehSinal(*p)) {
        negativo = *p == '-';
        ++p;
    }
    if (p == fim || !ehDigito(*p)) return falhar(p);

    // The stream consumes every digit even past the int range, then fails the range check.
    std::uint64_t magnitude = 0;
    do {
        if (magnitude <= kMagnitudeMaximaNegativa) {
            magnitude = magnitude * kBaseDecimal + static_cast<std::uint64_t>(*p - '0');
        }
        ++p;
    } while (p != fim && ehDigito(*p));

    const std::uint64_t limite = negativo ? kMagnitudeMaximaNegativa : kMagnitudeMaximaPositiva;
    if (magnitude > limite) return falhar(p);
    const auto comSinal = static_cast<std::int64_t>(magnitude);
    valor = static_cast<int>(negativo ? -comSinal : comSinal);
    atual = p;
    return true;
}

bool LeitorNumeros::lerReal(double& valor) {
    valor = 0.0;
    if (parado) return false;
    const char* const inicioToken = pularEspacos(atual, fim);
    const auto falhar = [this](const char* onde) {
        atual = onde;
        parado = true;
        return false;
    };

    // The stream takes one leading sign, '+' included; from_chars accepts neither '+' nor, after
    // our own sign, a second sign, so the sign is handled here.
    const char* p = inicioToken;
    bool negativo = false;
    if (p != fim && ehSinal(*p)) {
        negativo = *p == '-';
        ++p;
    }
    // Only a digit or '.' can start the mantissa; this also rejects "inf" and "nan".
    if (p == fim || !(ehDigito(*p) || *p == '.')) return falhar(p);

    double lido = 0.0;
    auto [final, erro] = std::from_chars(p, fim, lido, std::chars_format::general);
    // Common case first: a value in range not followed by an e/E, where both parsers agree.
    if (erro == std::errc{} && (final == fim || !ehMarcaDeExpoente(*final))) [[likely]] {
        valor = negativo ? -lido : lido;  // rounding to nearest is symmetric, so negating is exact
        atual = final;
        return true;
    }
    // A digit always parses, so this is a '.' without digits: the stream consumed the '.'.
    if (erro == std::errc::invalid_argument) return falhar(p + 1);

    // from_chars leaves an e/E it cannot complete with digits; the stream instead swallows it
    // with an optional sign and fails. An e/E after a complete exponent ends the token instead.
    if (final != fim && ehMarcaDeExpoente(*final) && !terminaEmExpoente(p, final)) {
        ++final;
        if (final != fim && ehSinal(*final)) ++final;
        return falhar(final);
    }

    if (erro == std::errc::result_out_of_range) {
        lido = converterForaDeFaixa(inicioToken, final);
        if (std::isinf(lido)) return falhar(final);  // overflow fails; underflow keeps ±0
    } else if (negativo) {
        lido = -lido;
    }
    valor = lido;
    atual = final;
    return true;
}

bool LeitorNumeros::falhou() const { return parado; }

std::size_t LeitorNumeros::restante() const { return static_cast<std::size_t>(fim - atual); }

const char* LeitorNumeros::inicioProximoNumero() const { return pularEspacos(atual, fim); }

}  // namespace gouraud::detail
