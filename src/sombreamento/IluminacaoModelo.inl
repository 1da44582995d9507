// The lighting formula for one vertex (R = double), two (R = Par) or four (an AVX2 type), each
// step the same IEEE operation in the same order whatever R is. Included inside an anonymous
// namespace by the files that evaluate it, after declaring
//   R potencia(R base, double expoente)   base^expoente in each lane
// for each R they use; R needs +, -, *, /, unary -, <, > (giving a mask M with &), raiz,
// selecionar and algum, as Par.h has them.

constexpr double kCanalMaximo = 255.0;
// Exponents up to this bound that are whole numbers are raised by repeated multiplication.
constexpr double kMaiorExpoenteInteiro = 1 << 30;

// A triple of one number type: a double, or a vector of several vertices' values.
template <typename R>
struct Terno {
    R x;
    R y;
    R z;
};

template <typename R>
R produtoInterno(const Terno<R>& a, const Terno<R>& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Unit vector along a: each component times the reciprocal of the length
// sqrt((x*x + y*y) + z*z), as Operadores::normalizacao; three NaN for the zero vector.
template <typename R>
Terno<R> unitario(const Terno<R>& a) {
    const R inverso = R(1.0) / raiz(produtoInterno(a, a));
    return {inverso * a.x, inverso * a.y, inverso * a.z};
}

bool expoenteInteiro(double expoente) {
    return expoente >= 0 && expoente <= kMaiorExpoenteInteiro && std::floor(expoente) == expoente;
}

// base^expoente for a whole exponent by binary exponentiation (the square-and-multiply steps
// from the lowest bit up), which is several times cheaper than pow and differs from it in the
// last bits only.
template <typename R>
R potenciaInteira(R base, double expoente) {
    auto restante = static_cast<std::uint32_t>(expoente);
    R resultado(1.0);
    while (restante != 0) {
        if ((restante & 1U) != 0) {
            resultado = resultado * base;
        }
        restante >>= 1U;
        if (restante != 0) {
            base = base * base;
        }
    }
    return resultado;
}

// The channel limited to [0, 255]; a NaN gives 0.
template <typename R>
R limitarCanal(R valor) {
    const R limitado = selecionar(valor > R(kCanalMaximo), R(kCanalMaximo), valor);
    return selecionar(valor > R(0.0), limitado, R(0.0));
}

// The Phong colour of vertices at p with unit normal n (counting where temNormal holds), seen
// from `foco` and lit from `posicaoLuz`, for one vertex (R = double) or two (R = Par). Each
// step is the same IEEE operation in the same order in either case.
template <typename R, typename M>
Terno<R> colorir(const Iluminacao& luz, const Terno<R>& p, Terno<R> n, M temNormal,
                 const Ponto& foco, const Ponto& posicaoLuz) {
    Terno<R> cor{R(luz.ka * luz.ia.x), R(luz.ka * luz.ia.y), R(luz.ka * luz.ia.z)};
    const Terno<R> paraFoco{R(foco.x) - p.x, R(foco.y) - p.y, R(foco.z) - p.z};
    // Two-sided: the normal faces the side the camera is on.
    const auto inverter = produtoInterno(n, paraFoco) < R(0.0);
    n = {selecionar(inverter, -n.x, n.x), selecionar(inverter, -n.y, n.y),
         selecionar(inverter, -n.z, n.z)};
    // With the light at the focus, L and Vv are the same vector: worked out once.
    const bool luzNoFocoAtual =
        posicaoLuz.x == foco.x && posicaoLuz.y == foco.y && posicaoLuz.z == foco.z;
    const Terno<R> l =
        unitario(Terno<R>{R(posicaoLuz.x) - p.x, R(posicaoLuz.y) - p.y, R(posicaoLuz.z) - p.z});
    const R nl = produtoInterno(n, l);
    const auto difusa = temNormal & (nl > R(0.0));
    if (!algum(difusa)) {
        return {limitarCanal(cor.x), limitarCanal(cor.y), limitarCanal(cor.z)};
    }
    cor = {selecionar(difusa, cor.x + R(luz.kd * luz.od.x * luz.il.x) * nl, cor.x),
           selecionar(difusa, cor.y + R(luz.kd * luz.od.y * luz.il.y) * nl, cor.y),
           selecionar(difusa, cor.z + R(luz.kd * luz.od.z * luz.il.z) * nl, cor.z)};
    const Terno<R> v = luzNoFocoAtual ? l : unitario(paraFoco);
    const R dobro = R(2.0) * nl;
    const Terno<R> r{dobro * n.x - l.x, dobro * n.y - l.y, dobro * n.z - l.z};
    const R rv = produtoInterno(r, v);
    const auto especular = difusa & (rv > R(0.0));
    if (algum(especular)) {
        const R termo = potencia(rv, luz.eta);
        cor = {selecionar(especular, cor.x + R(luz.ks * luz.il.x) * termo, cor.x),
               selecionar(especular, cor.y + R(luz.ks * luz.il.y) * termo, cor.y),
               selecionar(especular, cor.z + R(luz.ks * luz.il.z) * termo, cor.z)};
    }
    return {limitarCanal(cor.x), limitarCanal(cor.y), limitarCanal(cor.z)};
}

